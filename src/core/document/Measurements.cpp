#include "document/Measurements.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <functional>
#include <optional>

#include "document/KaisekiDoc.h"
#include "modules/analysis/SpectralKernels.h"
#include "pipeline/ModBase.h"
#include "platform/Json.h"
#include "platform/NumberFormat.h"
#include "platform/Rounding.h"
#include "platform/WorkerPool.h"

namespace tavrel {

const std::array<const char*, kMeasurementColumns> kMeasurementColumnNames = {
    "file",      "channel", "unit",   "samples", "rate_hz",    "duration_ms",
    "min",       "max",     "mean",   "rms",     "peak_abs",   "marker_index",
    "marker_ms", "last",    "mnf_hz", "mdf_hz",  "slope_per_s"};

namespace {

constexpr int kDigits = 10;  // "%0.10G", as the export

// Whether the head of `channel` has source samples to deliver: the document holds rows and the
// channel's source column is a column with values (a missing column holds none).
bool HeadHasSamples(const CKaisekiDoc& doc, int channel) {
    const CHeadFilter* head = doc.Head(channel);
    if (!head || doc.m_rowCount <= 0) return false;
    const auto own = static_cast<std::size_t>(head->m_channel);
    if (head->m_channel < 0 || own >= doc.m_channelSource.size()) return false;
    const std::size_t column = doc.m_channelSource[own];
    return column < CKaisekiDoc::kChannels && column < doc.m_columns.size() &&
           !doc.m_columns[column].empty();
}

// The statistics of the values: sums in index order, so that the figures do not depend on how
// the loop is compiled; min and max over the finite values only.
void Measure(std::span<const double> values, MeasurementRow& row) {
    row.samples = static_cast<long long>(values.size());
    if (values.empty()) return;
    double sum = 0.0;
    double squares = 0.0;
    bool anyFinite = false;
    double low = 0.0;
    double high = 0.0;
    for (double v : values) {
        sum += v;
        squares += v * v;
        if (!std::isfinite(v)) continue;
        if (!anyFinite) {
            low = high = v;
            anyFinite = true;
        } else {
            low = std::min(low, v);
            high = std::max(high, v);
        }
    }
    const double n = static_cast<double>(values.size());
    row.mean = sum / n;
    row.rms = std::sqrt(squares / n);
    row.last = values.back();
    if (anyFinite) {
        row.min = low;
        row.max = high;
        row.peakAbs = std::max(std::fabs(low), std::fabs(high));
    }
}

}  // namespace

void AppendInt(std::string& out, long long value) {
    char digits[24];
    const auto r = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, r.ptr);
}

namespace {

void AppendField(std::string& out, const std::string& field, char separator) {
    if (field.find_first_of(std::string{separator, '"', '\r', '\n'}) == std::string::npos) {
        out += field;
        return;
    }
    out += '"';
    for (char c : field) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

}  // namespace

void VisitMeasuredChannels(CKaisekiDoc& doc, bool releaseBuffers,
                           const std::function<void(int, std::string&, const CModBase&)>& visit) {
    // The channels are computed side by side; each visit sees only its own channel's chain.
    ParallelForCollecting(CKaisekiDoc::kChannels, [&](int d) {
        if (!HeadHasSamples(doc, d)) return;
        // The export's pull without its copies: the chain's end computes its output and the
        // label, and the values the export would copy out of that output (with a time for each)
        // are measured where they lie.
        std::string label;
        doc.GetChannelData(nullptr, &label, nullptr, d);
        CHeadFilter* head = doc.Head(d);
        if (!label.empty() && head) {
            // As the export writes the label, but in UTF-8.
            std::replace_if(
                label.begin(), label.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
            // The module that delivered the values: the chain's end, or an active probe.
            visit(d, label, *CModBase::ChainEnd(head));
        }
        if (releaseBuffers && head) head->ClearBuffers();
    });
}

std::span<const double> DeliveredValues(const CModBase& end) {
    if (!end.m_output || end.m_outputCount <= 0) return {};
    return {end.m_output.get(), static_cast<std::size_t>(end.m_outputCount)};
}

std::vector<MeasurementRow> MeasureDocument(CKaisekiDoc& doc, const std::string& file,
                                            bool releaseBuffers, bool spectral) {
    // Each channel is measured into its own slot; the rows follow in channel order.
    std::array<std::optional<MeasurementRow>, CKaisekiDoc::kChannels> measured;
    VisitMeasuredChannels(doc, releaseBuffers, [&](int d, std::string& label, const CModBase& end) {
        MeasurementRow row;
        row.file = file;
        row.channel = d + 1;
        row.unit = std::move(label);
        row.rateHz = end.GetSamplingRate();
        const std::span<const double> values = DeliveredValues(end);
        Measure(values, row);
        if (spectral && row.rateHz > 0) {
            if (const auto figures = spectral::SignalFigures(values, row.rateHz)) {
                row.mnfHz = figures->meanHz;
                row.mdfHz = figures->medianHz;
            }
            // The mean is the one the table shows: the same sum in index order over n.
            if (row.mean) row.slopePerS = spectral::SlopePerSecond(values, row.rateHz, *row.mean);
        }
        if (row.rateHz > 0)
            row.durationMs = SampleToMs(row.rateHz, static_cast<double>(row.samples));
        const int marker = end.GetMarkerIndex();
        if (marker >= 0) {
            row.markerIndex = marker;
            if (row.rateHz > 0) row.markerMs = SampleToMs(row.rateHz, marker);
        }
        measured[static_cast<std::size_t>(d)] = std::move(row);
    });
    std::vector<MeasurementRow> rows;
    for (std::optional<MeasurementRow>& row : measured) {
        if (row) rows.push_back(std::move(*row));
    }
    return rows;
}

std::string MeasurementCell(const MeasurementRow& row, int column) {
    std::string out;
    auto integer = [&out](std::optional<long long> v) {
        if (v) AppendInt(out, *v);
    };
    auto real = [&out](const std::optional<double>& v) {
        if (v) AppendG(out, *v, kDigits);
    };
    switch (column) {
        case 0:
            return row.file;
        case 1:
            integer(row.channel);
            break;
        case 2:
            return row.unit;
        case 3:
            integer(row.samples);
            break;
        case 4:
            integer(row.rateHz);
            break;
        case 5:
            if (row.durationMs) integer(*row.durationMs);
            break;
        case 6:
            real(row.min);
            break;
        case 7:
            real(row.max);
            break;
        case 8:
            real(row.mean);
            break;
        case 9:
            real(row.rms);
            break;
        case 10:
            real(row.peakAbs);
            break;
        case 11:
            if (row.markerIndex) integer(*row.markerIndex);
            break;
        case 12:
            if (row.markerMs) integer(*row.markerMs);
            break;
        case 13:
            real(row.last);
            break;
        case 14:
            real(row.mnfHz);
            break;
        case 15:
            real(row.mdfHz);
            break;
        case 16:
            real(row.slopePerS);
            break;
        default:
            break;
    }
    return out;
}

void AppendCsvField(std::string& out, const std::string& field) {
    AppendField(out, field, ',');
}

void AppendTableField(std::string& out, const std::string& field, char separator) {
    AppendField(out, field, separator);
}

void AppendMeasurementHeader(std::string& out, char separator) {
    for (int k = 0; k < kMeasurementColumns; ++k) {
        if (k) out += separator;
        out += kMeasurementColumnNames[static_cast<std::size_t>(k)];
    }
    out += '\n';
}

void AppendMeasurementRows(std::string& out, std::span<const MeasurementRow> rows, char separator) {
    for (const MeasurementRow& row : rows) {
        for (int k = 0; k < kMeasurementColumns; ++k) {
            if (k) out += separator;
            AppendField(out, MeasurementCell(row, k), separator);
        }
        out += '\n';
    }
}

namespace {

// A value of the table, or null where the table's cell is empty.
void AppendJsonOrNull(std::string& out, const std::optional<double>& value) {
    if (value)
        AppendJsonDouble(out, *value);
    else
        out += "null";
}

void AppendJsonOrNull(std::string& out, std::optional<long long> value) {
    if (value)
        AppendJsonInt(out, *value);
    else
        out += "null";
}

}  // namespace

void AppendMeasurementJson(std::string& out, std::span<const MeasurementRow> rows) {
    bool first = true;
    for (const MeasurementRow& row : rows) {
        if (!first) out += ",\n";
        first = false;
        auto key = [&out](int column) {
            if (column) out += ',';
            out += '"';
            out += kMeasurementColumnNames[static_cast<std::size_t>(column)];
            out += "\":";
        };
        auto optionalInt = [](const std::optional<int>& v) {
            return v ? std::optional<long long>(*v) : std::nullopt;
        };
        out += '{';
        key(0);
        AppendJsonString(out, row.file);
        key(1);
        AppendJsonInt(out, row.channel);
        key(2);
        AppendJsonString(out, row.unit);
        key(3);
        AppendJsonInt(out, row.samples);
        key(4);
        AppendJsonInt(out, row.rateHz);
        key(5);
        AppendJsonOrNull(out, optionalInt(row.durationMs));
        key(6);
        AppendJsonOrNull(out, row.min);
        key(7);
        AppendJsonOrNull(out, row.max);
        key(8);
        AppendJsonOrNull(out, row.mean);
        key(9);
        AppendJsonOrNull(out, row.rms);
        key(10);
        AppendJsonOrNull(out, row.peakAbs);
        key(11);
        AppendJsonOrNull(out, optionalInt(row.markerIndex));
        key(12);
        AppendJsonOrNull(out, optionalInt(row.markerMs));
        key(13);
        AppendJsonOrNull(out, row.last);
        key(14);
        AppendJsonOrNull(out, row.mnfHz);
        key(15);
        AppendJsonOrNull(out, row.mdfHz);
        key(16);
        AppendJsonOrNull(out, row.slopePerS);
        out += '}';
    }
}

}  // namespace tavrel
