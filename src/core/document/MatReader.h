// MATLAB data files (.mat, versions 5 and 7.3), read through matio.
//
// A file starting with "MATLAB" and naming itself a "MAT-file" in its text header is a MATLAB
// file. Its channels are, in file order: the columns of its first numeric two-dimensional matrix
// (rows are samples; the other way round when the rows are fewer than the columns and at most
// sixteen), or, without such a matrix, its numeric vectors of the first vector's length, one
// channel each. Real double, single and integer classes are read. The sampling rate is a numeric
// scalar named fs, Fs, FS, rate, srate, sampling_rate or SamplingRate; without one the
// data-settings dialog gives it, as for comma-separated text. Every other variable (structs,
// cells, complex, sparse, logical, text, vectors of another length, further matrices) is skipped
// and named in the notes; a file with nothing readable is refused with the reason. The column
// skip and the row cap act as for every recording.
//
// matio and the HDF5 library under it (version 7.3) are used under one lock.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "document/Recording.h"

namespace tavrel {

class Progress;

// Whether a file starting with `head` (its first 128 bytes or fewer) is a MATLAB file.
bool IsMatHeader(std::string_view head);

RecordingResult ReadMatRecording(std::FILE* data, const std::string& path,
                                 const ReadOptions& options, Progress* progress);

}  // namespace tavrel
