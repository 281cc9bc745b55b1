#include "document/RecordingPlan.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <limits>

#include "document/DataFileReader.h"
#include "document/DataSettings.h"
#include "platform/Rounding.h"
#include "platform/Translate.h"

namespace tavrel {

// Why a recording whose first read signal has `rate` samples per second cannot be read: the
// program's rates are whole hertz from 1 to 100000, and a record of 1000 s read as 1 Hz would give
// every time off by its factor. Empty when the rate can be read.
std::string UnreadableRate(double rate) {
    if (rate >= kMinRateValue && rate <= kMaxRateValue) return {};
    char text[64];
    const auto written =
        std::to_chars(text, text + sizeof text, rate, std::chars_format::general, 6);
    // clang-format off
    return FormatText(Translate("Document", "最初に読み込む信号のサンプリング周波数は %1 Hz です。読み込めるのは 1 から 100000 Hz までです"),
                      {std::string(text, written.ptr)});
    // clang-format on
}

bool ChannelPlan::Empty() const {
    return std::all_of(source.begin(), source.end(), [](int s) { return s < 0; });
}

int DialogRate(double rate) {
    if (!std::isfinite(rate)) return static_cast<int>(kMinRateValue);
    rate = std::clamp(rate, static_cast<double>(kMinRateValue), static_cast<double>(kMaxRateValue));
    return std::clamp(RoundToInt(rate), static_cast<int>(kMinRateValue),
                      static_cast<int>(kMaxRateValue));
}

std::string DescriptorPath(std::FILE* file, const std::string& path) {
    std::string named = "/proc/self/fd/" + std::to_string(fileno(file));
    std::error_code ec;
    return std::filesystem::exists(named, ec) ? named : path;
}

void EndAtColumnZero(Recording& recording) {
    const std::size_t rows = recording.columns[0].size();
    recording.rowCount = static_cast<int>(rows);
    for (auto& column : recording.columns)
        if (column.size() > rows) column.resize(rows);
}

ChannelPlan PlanChannels(const std::vector<SourceChannel>& channels, long long samples,
                         const ReadOptions& options, Recording& recording) {
    ChannelPlan plan;
    for (const SourceChannel& channel : channels)
        recording.signalLabels.push_back(channel.label);
    const int first = std::max(options.skipColumns, 0);
    const int count = std::min(static_cast<int>(channels.size()) - first, Recording::kColumns);
    if (count <= 0 || samples <= 0) return plan;
    const long long cap = options.maxRows > 0 ? options.maxRows : std::numeric_limits<int>::max();
    plan.count = std::min(samples, cap);
    recording.notes.rowsLeftOut = samples > cap;
    const SourceChannel& lead = channels[static_cast<std::size_t>(first)];
    if (lead.rate > 0.0) {
        plan.refusal = UnreadableRate(lead.rate);
        if (!plan.refusal.empty()) {
            plan.count = 0;
            return plan;
        }
    }
    if (lead.rate > 0.0) recording.notes.values = RecordingValues{DialogRate(lead.rate), lead.unit};
    if (lead.rate != std::floor(lead.rate)) recording.notes.unroundedRate = lead.rate;
    for (int k = 0; k < count; ++k) {
        const SourceChannel& channel = channels[static_cast<std::size_t>(first + k)];
        if (channel.rate != lead.rate) {
            recording.notes.otherRate.push_back(channel.label);
            continue;
        }
        plan.source[static_cast<std::size_t>(k)] = first + k;
        recording.labels[static_cast<std::size_t>(k)] = channel.label;
        ReserveColumn(recording.columns[static_cast<std::size_t>(k)],
                      static_cast<std::size_t>(plan.count));
    }
    return plan;
}

}  // namespace tavrel
