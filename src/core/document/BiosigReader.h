// Recordings of the formats BioSig reads (GDF, CFWB, SCP-ECG, ABF, ACQ and many more), read
// through libbiosig.
//
// A file whose first bytes are binary (a byte below 0x20 other than tab, line and page ends) and
// that is neither EDF/BDF nor a MATLAB file is offered to BioSig; a file BioSig does not know is
// read as comma-separated text, as before. A file BioSig knows but cannot read is refused with
// BioSig's reason. The channels BioSig reports as data channels, in file order, are the columns
// as for EDF (the column-skip setting skips leading channels, at most sixteen are read, the row
// cap counts samples per channel); the values are BioSig's physical values; the first read
// channel gives the rate and unit; channels of another rate are not read. The file's event table
// becomes the recording's events.
//
// BioSig keeps state in globals (its error variables, its event-code tables) and is not known to
// be thread-safe: every use of it here is done under one lock. It also crashes on some damaged
// headers: it is first tried on each file in a child process (opening, the first and the last
// block), and a file it fails on there is refused.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "document/Recording.h"

namespace tavrel {

class Progress;

// Whether a file starting with `head` is binary (not text, so not comma-separated values).
bool IsBinaryHead(std::string_view head);

// Whether BioSig's library could be loaded (it is loaded at the first call of any of these).
bool BiosigAvailable();

// Reads the recording open as `data` (named `path`) through BioSig. Nothing (no value) when BioSig
// does not know the format; a ReadError when it knows it and refuses the file, or when BioSig
// cannot be loaded.
std::optional<RecordingResult> ReadBiosigRecording(std::FILE* data, const std::string& path,
                                                   const ReadOptions& options, Progress* progress);

// What BioSig makes of a GDF file's codes, for the GDF files read without it (GdfReader): the unit
// of a physical dimension code, and the text of each event of `types` given the file's own
// descriptions of its user-defined events (`descriptions[t]` for type t; entry 0 is empty), as
// the reading through BioSig gives them.
std::string BiosigUnit(std::uint16_t code);
std::vector<std::string> BiosigEventTexts(const std::vector<std::uint16_t>& types,
                                          const std::vector<std::string>& descriptions);

}  // namespace tavrel
