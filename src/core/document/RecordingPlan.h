// What the readers of binary recordings (BioSig, BrainVision, MATLAB) share: choosing the channels
// that become the sixteen columns, exactly as the EDF reading chooses its signals.
//
// The channels in file order after the skipped ones are the columns 0-15. The first of them gives
// the recording's rate and unit; a channel of another rate is not read (its label is noted for the
// user) and its column stays empty. At most the row cap of samples is read of each channel.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "document/Recording.h"

namespace tavrel {

struct SourceChannel {
    std::string label;
    double rate = 0.0;  // samples per second; 0 when the file does not say
    std::string unit;
};

struct ChannelPlan {
    // For each column k, the channel read into it, or -1.
    std::vector<int> source = std::vector<int>(Recording::kColumns, -1);
    // Samples read of each read channel.
    long long count = 0;
    // Whether any channel is read.
    bool Empty() const;
    // Why nothing may be read (the first read channel's rate cannot be represented); else empty.
    std::string refusal;
};

// Plans the reading of `channels`, each `samples` long, into `recording`: notes the rate and unit
// (when the first read channel's rate is known), the channels of another rate and the rows the
// cap leaves out, and reserves the columns' storage (kept storage where there is such).
ChannelPlan PlanChannels(const std::vector<SourceChannel>& channels, long long samples,
                         const ReadOptions& options, Recording& recording);

// After a reading, also one stopped in between: the rows are column 0's length, and no column
// holds more values than that.
void EndAtColumnZero(Recording& recording);

// Why a recording whose first read signal has `rate` samples per second cannot be read: the
// program's rates are whole hertz from 1 to 100000, and a record of 1000 s read as 1 Hz would give
// every time off by its factor. Empty when the rate can be read.
std::string UnreadableRate(double rate);

// The rate given to the data-settings dialog for `rate` samples per second (rounded, kept within
// the dialog's 1-100000).
int DialogRate(double rate);

// A name under which the open `file` can be opened again (the descriptor's entry in /proc), or
// `path` where the system has no such entries: a library that opens files by name then reads the
// very file opened, and the name is looked up once.
std::string DescriptorPath(std::FILE* file, const std::string& path);

}  // namespace tavrel
