// BrainVision recordings (BrainAmp and other amplifiers): a text header (.vhdr), the samples in a
// binary file (.eeg) and the markers in a text file (.vmrk), read here from their published
// definition.
//
// The header is recognised by its first line ("Brain Vision Data Exchange Header File" or
// "BrainVision Data Exchange Header File"); the data and marker files it names are looked up
// beside it. Binary samples of the formats INT_16, UINT_16, INT_32, IEEE_FLOAT_32 and
// IEEE_FLOAT_64, multiplexed or vectorized, little-endian, are read and multiplied by each
// channel's resolution (the value is in the channel's unit, µV when none is given). All channels
// share the rate 1e6 / SamplingInterval (µs). The channels are the columns as for every recording
// (column skip, sixteen at most, the row cap per channel). Every marker becomes an event at its
// position (1 = the first sample), with its length in samples as the duration when it spans more
// than one, and its description (or its type without one) as the text.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "document/Recording.h"

namespace tavrel {

class Progress;

bool IsBrainVisionHeader(std::string_view head);

// Reads the recording whose header is open as `header` (named `path`).
RecordingResult ReadBrainVisionRecording(std::FILE* header, const std::string& path,
                                         const ReadOptions& options, Progress* progress);

// The markers of the marker file text `text` at `intervalUs` microseconds per sample.
std::vector<RecordingEvent> ParseBrainVisionMarkers(std::string_view text, double intervalUs);

}  // namespace tavrel
