#include "document/BurstTable.h"

#include <algorithm>
#include <array>

#include "document/KaisekiDoc.h"
#include "document/Measurements.h"
#include "pipeline/GraphGeometry.h"
#include "pipeline/ModBase.h"
#include "platform/Json.h"
#include "platform/NumberFormat.h"
#include "platform/Rounding.h"

namespace tavrel {

const std::array<const char*, kBurstColumns> kBurstColumnNames = {
    "file",        "channel", "burst", "onset_ms", "offset_ms",
    "duration_ms", "peak",    "mean",  "rms",      "integral"};

namespace {

constexpr int kDigits = 10;  // as the results table

double RealColumn(const BurstRow& row, int column) {
    const spectral::Burst& b = row.values;
    switch (column) {
        case 3:
            return b.onsetMs;
        case 4:
            return b.offsetMs;
        case 5:
            return b.durationMs;
        case 6:
            return b.peak;
        case 7:
            return b.mean;
        case 8:
            return b.rms;
        default:
            return b.integral;
    }
}

}  // namespace

std::vector<BurstRow> MeasureBursts(CKaisekiDoc& doc, const std::string& file,
                                    const spectral::BurstSettings& settings, bool releaseBuffers) {
    std::array<std::vector<spectral::Burst>, CKaisekiDoc::kChannels> found;
    VisitMeasuredChannels(doc, releaseBuffers, [&](int d, std::string&, const CModBase& end) {
        found[static_cast<std::size_t>(d)] =
            spectral::FindBursts(DeliveredValues(end), end.GetSamplingRate(), settings);
    });
    std::vector<BurstRow> rows;
    for (int d = 0; d < CKaisekiDoc::kChannels; ++d) {
        int number = 0;
        for (const spectral::Burst& b : found[static_cast<std::size_t>(d)])
            rows.push_back({file, d + 1, ++number, b});
    }
    return rows;
}

std::string BurstCell(const BurstRow& row, int column) {
    std::string out;
    if (column == 0) return row.file;
    if (column == 1)
        AppendInt(out, row.channel);
    else if (column == 2)
        AppendInt(out, row.burst);
    else if (column < kBurstColumns)
        AppendG(out, RealColumn(row, column), kDigits);
    return out;
}

void AppendBurstHeader(std::string& out, char separator) {
    for (int k = 0; k < kBurstColumns; ++k) {
        if (k) out += separator;
        out += kBurstColumnNames[static_cast<std::size_t>(k)];
    }
    out += '\n';
}

void AppendBurstRows(std::string& out, std::span<const BurstRow> rows, char separator) {
    for (const BurstRow& row : rows) {
        for (int k = 0; k < kBurstColumns; ++k) {
            if (k) out += separator;
            AppendTableField(out, BurstCell(row, k), separator);
        }
        out += '\n';
    }
}

void AppendBurstJson(std::string& out, std::span<const BurstRow> rows) {
    bool first = true;
    for (const BurstRow& row : rows) {
        if (!first) out += ",\n";
        first = false;
        out += "{\"file\":";
        AppendJsonString(out, row.file);
        out += ",\"channel\":";
        AppendJsonInt(out, row.channel);
        out += ",\"burst\":";
        AppendJsonInt(out, row.burst);
        for (int k = 3; k < kBurstColumns; ++k) {
            out += ",\"";
            out += kBurstColumnNames[static_cast<std::size_t>(k)];
            out += "\":";
            AppendJsonDouble(out, RealColumn(row, k));
        }
        out += '}';
    }
}

std::vector<Rect> BurstShadeRects(const Rect& band, const BurstShade& shade, int outputCount,
                                  int visibleFirst, int visibleLast) {
    std::vector<Rect> rects;
    if (outputCount <= 0 || outputCount != shade.outputCount) return rects;
    long long first = 0;
    long long last = outputCount;
    if (visibleLast > visibleFirst) {
        first = std::max(visibleFirst, 0);
        last = std::min(visibleLast, outputCount);
    }
    if (last <= first) return rects;
    // The placement of the graph's trace: sample i at x0 + round((i - first) p).
    const GraphFrame g = MakeGraphFrame({band.left + 70, band.top, band.right, band.bottom}, 1, 1);
    const double p = g.width / static_cast<double>(last - first);
    for (const auto& [a, b] : shade.samples) {
        if (b < first || a >= last) continue;
        const long long from = std::max<long long>(a, first);
        const long long to = std::min<long long>(b, last - 1);
        const int xa = AddCoord(g.x0, RoundToInt(static_cast<double>(from - first) * p));
        const int xb = AddCoord(g.x0, RoundToInt(static_cast<double>(to - first) * p) + 1LL);
        rects.push_back({xa, g.top1, xb, g.bottom1});
    }
    return rects;
}

}  // namespace tavrel
