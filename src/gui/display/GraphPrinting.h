// The printed layout of the graphs, shared by printing, print preview and the image export: in
// logical units of 1/400 inch a page is 3080 wide and 10240 tall, every band is 3080 x 640, the
// first band of a page starts 320 units down, and the document's print scale enlarges the pixel
// offsets of the band and graph drawing.
#pragma once

#include <QString>
#include <functional>
#include <vector>

#include "document/KaisekiDoc.h"
#include "platform/Surface.h"

class QPainter;
class QPrinter;

namespace tavrel::qt {

constexpr int kPrintUnitsPerInch = 400;
constexpr int kPrintPageWidth = 3080;
constexpr int kPrintPageHeight = 10240;
constexpr int kPrintBandHeight = 640;
constexpr int kPrintFirstBandTop = 320;

// Number of pages for `channels` bands (the sixteen channels unless some are hidden) at
// `channelsPerPage` bands a page.
int PrintPageCount(int channelsPerPage, int channels = CKaisekiDoc::kChannels);

// Draws `count` bands from channel `firstChannel` on (channels beyond 15 are left out), the first
// band's top at `top`, in print units: first, in absolute display, the measuring pass over all
// sixteen channels (its result becomes the document's common maximum), then the bands with the
// document in printing state.
void PrintChannels(CKaisekiDoc& doc, Surface& surface, int firstChannel, int count, int top,
                   bool events = true);
// Drawn over a printed band after its graph, with the document in printing state.
using BandOverlay = std::function<void(Surface& surface, const Rect& band, int channel)>;

// The same for the bands of a list of channels, in its order, each with `overlay` (if any). With
// `events`, the recording's events are drawn under each band, their texts in the first.
void PrintBands(CKaisekiDoc& doc, Surface& surface, const std::vector<int>& channels, int top,
                const BandOverlay& overlay = {}, bool events = true);

// Page `page` (1-based) of the printout with `channelsPerPage` bands a page, of the channels
// `shown` (all sixteen when null).
void PrintPage(CKaisekiDoc& doc, Surface& surface, int page, int channelsPerPage,
               const std::vector<int>* shown = nullptr, const BandOverlay& overlay = {},
               bool events = true);

// Sets the painter's mapping so that 3080 x 10240 logical units cover 7.7 x 25.6 inches of a
// device with the given resolution (integer arithmetic, like the printer mapping).
void SetPrintMapping(QPainter& painter, int dpiX, int dpiY);

// The font of printed labels: a Japanese gothic face about 7 points tall in print units.
void SetPrintFont(QPainter& painter);

// Prints the pages the printer names (all pages when it names none) with `channelsPerPage`
// bands a page; false when the printer could not be opened.
bool PrintPages(CKaisekiDoc& doc, QPrinter& printer, int channelsPerPage,
                const std::vector<int>* shown = nullptr, const BandOverlay& overlay = {},
                bool events = true);

// Writes all sixteen bands into an image file in the printed layout: PNG or SVG (one picture of
// all bands) or PDF (the printed pages), chosen by the file's suffix. Returns false with a
// message in `error` when the file cannot be written or the suffix is unknown.
// With `shown`, only the bands of those channels (the view's "データのないチャネルを隠す");
// `events` as for PrintBands.
bool ExportGraphImage(CKaisekiDoc& doc, const QString& path, int channelsPerPage, QString* error,
                      const std::vector<int>* shown = nullptr, bool events = true);

}  // namespace tavrel::qt
