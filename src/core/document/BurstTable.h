// The burst table: every burst of activity of every measured channel - its onset, offset,
// duration, peak, mean, RMS and integral - found in what each chain delivers to the export (as the
// results table measures it) with a threshold over a baseline range (see FindBursts in
// modules/analysis/SpectralKernels.h). The program's results window and `tavrel-cli measure
// --bursts` share it.
//
// Columns: file, channel, burst (counted from 1 per channel), onset_ms, offset_ms, duration_ms,
// peak, mean, rms, integral; numbers as the results table writes them.
#pragma once

#include <array>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "modules/analysis/SpectralKernels.h"
#include "platform/Surface.h"

namespace tavrel {

class CKaisekiDoc;

struct BurstRow {
    std::string file;
    int channel = 0;  // 1-16
    int burst = 0;    // 1, 2, ... within the channel
    spectral::Burst values;
};

inline constexpr int kBurstColumns = 10;
extern const std::array<const char*, kBurstColumns> kBurstColumnNames;

// The bursts of every channel the results table measures, in channel and time order.
std::vector<BurstRow> MeasureBursts(CKaisekiDoc& doc, const std::string& file,
                                    const spectral::BurstSettings& settings,
                                    bool releaseBuffers = false);

// The text of one cell as the CSV writes it, before quoting.
std::string BurstCell(const BurstRow& row, int column);

void AppendBurstHeader(std::string& out, char separator = ',');
void AppendBurstRows(std::string& out, std::span<const BurstRow> rows, char separator = ',');
// Each row an object with the column names as keys; objects separated by ",\n" (the caller writes
// the brackets).
void AppendBurstJson(std::string& out, std::span<const BurstRow> rows);

// The bursts of one channel as sample ranges of the output they were found in.
struct BurstShade {
    int outputCount = -1;                      // the count of that output
    std::vector<std::pair<int, int>> samples;  // first and last sample of each burst
};

// The rectangles that shade the bursts behind a channel's graph in the band `band` (the whole
// band as the document draws it, the channel name's 70 pixels on the left), when the chain's end
// holds `outputCount` samples and the visible samples are `range` (null or empty: all), at the
// graph's own horizontal placement. None when the output is not the one the bursts were found in.
std::vector<Rect> BurstShadeRects(const Rect& band, const BurstShade& shade, int outputCount,
                                  int visibleFirst, int visibleLast);

}  // namespace tavrel
