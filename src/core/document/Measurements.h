// The results table: one row of measurements per channel of a loaded document, taken from what
// each chain delivers to the processed-data export (GetChannelData, probe display included) and
// from the module that delivered it (its rate and the marker the graph draws). The program's
// results window and `tavrel-cli measure` share it, so both give the same numbers.
//
// Columns: file, channel, unit, samples, rate_hz, duration_ms, min, max, mean, rms, peak_abs,
// marker_index, marker_ms, last, mnf_hz, mdf_hz, slope_per_s. Numbers are written as the export
// writes them ("%0.10G", INF/-INF/NAN), whole numbers in decimal, an empty cell where a value does
// not exist.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tavrel {

class CKaisekiDoc;
class CModBase;

struct MeasurementRow {
    std::string file;  // the data file's path as given (UTF-8)
    int channel = 0;   // 1-16
    std::string unit;  // the export's label, line breaks written as spaces
    long long samples = 0;
    int rateHz = 0;
    std::optional<int> durationMs;  // none when the rate is not positive
    std::optional<double> min;      // smallest finite value
    std::optional<double> max;      // largest finite value
    std::optional<double> mean;     // none without samples
    std::optional<double> rms;      // none without samples
    std::optional<double> peakAbs;  // the larger magnitude of min and max
    std::optional<int> markerIndex;
    std::optional<int> markerMs;  // none without a marker or a positive rate
    std::optional<double> last;   // none without samples
    // The mean and median frequency of the Welch spectrum of the values (none below 8 samples or
    // without a positive rate) and their least-squares slope against time in seconds (none below
    // 2 samples); see modules/analysis/SpectralKernels.h.
    std::optional<double> mnfHz;
    std::optional<double> mdfHz;
    std::optional<double> slopePerS;
};

inline constexpr int kMeasurementColumns = 17;
// The column names of the table, in order ("file", "channel", ... "last").
extern const std::array<const char*, kMeasurementColumns> kMeasurementColumnNames;

// Measures every channel of the document whose head delivers at least one sample and whose chain
// delivers a labelled column, in channel order; `file` fills the file column. Each chain's end
// computes its output afresh, as for the export. With `releaseBuffers` every chain drops its
// buffers once measured (for a document measured once; the program keeps them for its graphs).
// Without `spectral` the last three columns stay empty (for measuring what they cost).
std::vector<MeasurementRow> MeasureDocument(CKaisekiDoc& doc, const std::string& file,
                                            bool releaseBuffers = false, bool spectral = true);

// The text of one cell as the CSV writes it, before quoting (empty for a missing value).
std::string MeasurementCell(const MeasurementRow& row, int column);

// CSV: the header line (the column names) and the rows, LF line ends; a field holding a comma, a
// double quote or a line break is quoted with its quotes doubled.
void AppendMeasurementHeader(std::string& out, char separator = ',');
void AppendMeasurementRows(std::string& out, std::span<const MeasurementRow> rows,
                           char separator = ',');
// A field of a CSV line, quoted when it has to be.
void AppendCsvField(std::string& out, const std::string& field);
void AppendTableField(std::string& out, const std::string& field, char separator);
// A whole number in decimal.
void AppendInt(std::string& out, long long value);

// Calls visit(channel index 0-15, the unit label, the module that delivered the values) for every
// channel the table measures, after its chain's end has computed its output. The channels are
// computed side by side: visits of different channels may run at the same time on different
// threads, so each visit writes only to its own channel's place.
void VisitMeasuredChannels(CKaisekiDoc& doc, bool releaseBuffers,
                           const std::function<void(int, std::string&, const CModBase&)>& visit);
// The values a chain end delivers to the export: its output (empty without one).
std::span<const double> DeliveredValues(const CModBase& end);

// JSON: each row an object with the column names as keys, integers as numbers, real numbers with
// 17 significant digits, a missing or non-finite number null; objects separated by ",\n". The
// caller writes the enclosing array's brackets.
void AppendMeasurementJson(std::string& out, std::span<const MeasurementRow> rows);

}  // namespace tavrel
