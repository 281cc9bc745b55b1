// The processed-data file: sixteen channels' values, labels and sample times written as
// comma-separated text with CR LF line ends, an optional header line and an optional leading
// column of serial numbers or times.
//
//   header     [Time([ms]),|Num,]CH1(<label>),CH2(<label>),...   up to the last channel with values
//   line i     [<time>,|<i>,]<v0>,<v1>,...,<vh>   h = the last channel with more than i values;
//              a shorter channel below h contributes 0
//
// Numbers are written with "%0.10G" as the Windows C runtime does (1E-005, 1.234567891E+012,
// -0; infinities and NaN as INF, -INF and NAN), serial numbers with "%0d", labels in CP932. The
// time column follows the channel with the most values (the lowest such channel on a tie).
//
// With m_perChannelTime set, every channel up to the last one with values has two columns, its
// own sample times and its values; a channel's cells past its last value are empty:
//
//   header     [Time([ms]),|Num,]CH1 time [ms],CH1(<label>),CH2 time [ms],CH2(<label>),...
//   line i     [<time>,|<i>,]<t0>,<v0>,<t1>,<v1>,...    (",," for a channel shorter than i + 1)
#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "document/ExportSettings.h"
#include "pipeline/ModBase.h"
#include "platform/Result.h"

namespace tavrel {

class CKaisekiDoc;

// What one channel delivers for the export (GetChannelData): its values, its unit label (UTF-8)
// and the time of each value in milliseconds.
struct ChannelExport {
    std::vector<double> values;
    std::string label;
    std::vector<double> times;
    // In place of `values` and `times` when `stepTimes` is set (GatherChannelData): the chain
    // output's samples, held by `output` when taken over, otherwise by the chain itself (which
    // must then not compute again while they are used), the time of value i being
    // `timeStep * i`. No copy of a long recording is made.
    std::span<const double> samples;
    SampleBuffer output;
    double timeStep = 0.0;
    bool stepTimes = false;

    std::span<const double> Values() const {
        return stepTimes ? samples : std::span<const double>(values);
    }
    // Values with a time: all of them for a chain's output.
    std::size_t TimeCount() const { return stepTimes ? samples.size() : times.size(); }
    double TimeAt(std::size_t i) const {
        return stepTimes ? timeStep * static_cast<double>(i) : times[i];
    }
};

// Receives the file's bytes in pieces; returns false when they cannot be written, which stops
// the writing.
using ExportSink = std::function<bool(std::string_view bytes)>;

// Writes the export of `channels` (normally sixteen) to `sink` in pieces of about a megabyte.
// Returns false when the sink refused a piece.
bool WriteExport(std::span<const ChannelExport> channels, const ExportSettings& settings,
                 const ExportSink& sink);
// The whole file as one string.
std::string FormatExport(std::span<const ChannelExport> channels, const ExportSettings& settings);

// The file name the export proposes: "Untitled" without a data file, otherwise "処理済" followed by
// the data file's last path component ('/' and '\' both separate components, so a document made
// on Windows proposes 処理済run1.csv for C:\data\run1.csv).
std::string ProposeExportName(const std::string& dataFilePath);

// How writing the export file ended: done, or the reason of the failure (the system's text).
using ExportResult = Result<Done, std::string>;

// Asks every channel of the document for its data (GetChannelData: each chain computes its output
// afresh, which is why the document is not const) and writes the export to `path` through an
// AtomicFile, which replaces an existing file only once the whole export is on the disk. Shows
// nothing to the user: the export command turns a failure into its message. When the file cannot
// be created or written, the result says why, an earlier file is left as it was and no partial
// file is left behind.
ExportResult WriteProcessedData(CKaisekiDoc& doc, const std::string& path,
                                const ExportSettings& settings);

// The "save processed data" command: asks the host for the file and the export settings, then
// writes every channel's processed data; a failure is told in a message box.
void ExportProcessedData(CKaisekiDoc& doc);

}  // namespace tavrel
