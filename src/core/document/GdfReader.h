// GDF recordings of version 2.10 to 2.51 (the files BioSig's own writer makes), read without
// BioSig: the headers, the event table and the data records are decoded here, the samples in large
// blocks straight into the columns.
//
// The reading gives exactly what the reading through BioSig gives (BiosigReader): every signal is
// a data channel, in file order; the common rate is BioSig's (the samples per record over the
// record's duration), the labels are the header's up to the first NUL, the units and the event
// texts are BioSig's for the codes the file holds; a value is raw x Cal + Off with Cal and Off as
// BioSig computes them from the physical and digital ranges, and a raw value at or beyond the
// digital range is not a number, as BioSig marks it. The event positions are the file's, less one.
//
// Anything this reader is not sure to read as BioSig does is left to BioSig (and so to its guarded
// reading in a child process): another version, a sample type without a decoder here, a header
// whose sizes do not fit the file, tags of the extra header that are not known to be harmless, an
// event table of another layout, a first read signal sampled below the record's common rate
// (BioSig repeats its samples), and so on. The sizes a header gives are checked against the file's
// length before anything is allocated for them.
#pragma once

#include <cstdio>
#include <optional>
#include <string_view>

#include "document/Recording.h"

namespace tavrel {

class Progress;

// Whether a file that starts with `head` is a GDF file ("GDF " and the version).
bool IsGdfHeader(std::string_view head);

// Reads the GDF recording open as `data`. Nothing (no value) when the file is left to BioSig.
std::optional<RecordingResult> ReadGdfRecording(std::FILE* data, const ReadOptions& options,
                                                Progress* progress);

}  // namespace tavrel
