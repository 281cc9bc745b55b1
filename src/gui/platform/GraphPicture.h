// The graphs as a picture, drawn the way `tavrel-cli render` draws them: bands of the graph view
// stacked from the top at their on-screen size (with the measuring pass of absolute display first),
// or the magnifier's one band over a sample range; with `events`, the recording's events on them
// (their texts in the first band). The command-line tool writes them to files;
// the program's Copy puts them on the clipboard.
#pragma once

#include <QByteArray>
#include <QFont>
#include <vector>

#include "document/KaisekiDoc.h"

class QPainter;

namespace tavrel::qt {

// The font of the graph labels: the Japanese Gothic face the program prefers, 12 pixels tall.
QFont GraphLabelFont();

// The bands of `channels` (in that order), each `width` x `bandHeight`, from y = 0 down, on white.
void PaintBands(QPainter& painter, CKaisekiDoc& doc, const std::vector<int>& channels, int width,
                int bandHeight, bool events = true);

// The magnifier's picture: channel `channel` over `range` as one band filling width x height.
void PaintMagnifier(QPainter& painter, CKaisekiDoc& doc, int channel, const SampleRange& range,
                    int width, int height, bool events = true);

// The bands as PNG and as SVG file bytes (empty when the picture cannot be made).
QByteArray BandsPng(CKaisekiDoc& doc, const std::vector<int>& channels, int width, int bandHeight,
                    bool events = true);
QByteArray BandsSvg(CKaisekiDoc& doc, const std::vector<int>& channels, int width, int bandHeight,
                    bool events = true);

}  // namespace tavrel::qt
