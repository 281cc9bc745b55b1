#include "gui/display/GraphPrinting.h"

#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QSvgGenerator>
#include <algorithm>
#include <vector>

#include "document/EventMarks.h"
#include "document/ParallelChannels.h"
#include "gui/platform/DialogLayout.h"
#include "gui/platform/QPainterSurface.h"
#include "gui/platform/Translation.h"

namespace tavrel::qt {

namespace {

// Puts the document back into screen state however the drawing ends.
class PrintingState {
  public:
    explicit PrintingState(CKaisekiDoc& doc) : m_doc(doc) { m_doc.m_display.m_printing = 1; }
    ~PrintingState() { m_doc.m_display.m_printing = 0; }
    PrintingState(const PrintingState&) = delete;
    PrintingState& operator=(const PrintingState&) = delete;

  private:
    CKaisekiDoc& m_doc;
};

// Resolution of the PNG and SVG export: 3080 print units become 1155 pixels.
constexpr int kImageDpi = 150;

void PaintAllBands(CKaisekiDoc& doc, QPainter& painter, int dpi, const std::vector<int>* shown,
                   bool events) {
    SetPrintMapping(painter, dpi, dpi);
    SetPrintFont(painter);
    painter.fillRect(QRect(0, 0, kPrintPageWidth, kPrintPageHeight), Qt::white);
    QPainterSurface surface(painter, QRect(0, 0, kPrintPageWidth, kPrintPageHeight));
    if (shown) {
        PrintBands(doc, surface, *shown, 0, {}, events);
    } else {
        PrintChannels(doc, surface, 0, CKaisekiDoc::kChannels, 0, events);
    }
}

}  // namespace

int PrintPageCount(int channelsPerPage, int channels) {
    if (channelsPerPage <= 0) return 0;
    return (std::max(channels, 1) + channelsPerPage - 1) / channelsPerPage;
}

void PrintChannels(CKaisekiDoc& doc, Surface& surface, int firstChannel, int count, int top,
                   bool events) {
    std::vector<int> channels;
    for (int i = 0; i < count; ++i) {
        const int channel = firstChannel + i;
        if (channel < 0 || channel >= CKaisekiDoc::kChannels) break;
        channels.push_back(channel);
    }
    PrintBands(doc, surface, channels, top, {}, events);
}

void PrintBands(CKaisekiDoc& doc, Surface& surface, const std::vector<int>& channels, int top,
                const BandOverlay& overlay, bool events) {
    // Measured before the printing state is set, with the on-screen graph offset.
    doc.MeasureCommonMax();
    PrintingState printing(doc);
    // The page's chains are computed side by side, then drawn in order.
    ComputeChannelOutputs(doc, channels);
    Rect band{0, top, kPrintPageWidth, top + kPrintBandHeight};
    for (int channel : channels) {
        if (events) DrawEvents(surface, doc, band, channel, nullptr, band.top == top);
        doc.DrawChannel(&surface, band, channel, nullptr);
        if (overlay) overlay(surface, band, channel);
        band.top += kPrintBandHeight;
        band.bottom += kPrintBandHeight;
    }
}

void PrintPage(CKaisekiDoc& doc, Surface& surface, int page, int channelsPerPage,
               const std::vector<int>* shown, const BandOverlay& overlay, bool events) {
    if (page < 1 || channelsPerPage <= 0) return;
    const int first = (page - 1) * channelsPerPage;
    if (!shown && !overlay) {
        PrintChannels(doc, surface, first, channelsPerPage, kPrintFirstBandTop, events);
        return;
    }
    std::vector<int> all;
    for (int k = 0; k < CKaisekiDoc::kChannels; ++k)
        all.push_back(k);
    if (!shown) shown = &all;
    const auto size = static_cast<int>(shown->size());
    const std::vector<int> onPage(shown->begin() + std::min(first, size),
                                  shown->begin() + std::min(first + channelsPerPage, size));
    PrintBands(doc, surface, onPage, kPrintFirstBandTop, overlay, events);
}

void SetPrintMapping(QPainter& painter, int dpiX, int dpiY) {
    painter.setWindow(0, 0, kPrintPageWidth, kPrintPageHeight);
    painter.setViewport(0, 0, kPrintPageWidth * dpiX / kPrintUnitsPerInch,
                        kPrintPageHeight * dpiY / kPrintUnitsPerInch);
}

void SetPrintFont(QPainter& painter) {
    QFont font = DialogFont();
    // 38 units of 1/400 inch: labels about as tall, relative to the bands, as on screen.
    font.setPixelSize(38);
    painter.setFont(font);
}

bool ExportGraphImage(CKaisekiDoc& doc, const QString& path, int channelsPerPage, QString* error,
                      const std::vector<int>* shown, bool events) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    const int width = kPrintPageWidth * kImageDpi / kPrintUnitsPerInch;
    const int height = kPrintPageHeight * kImageDpi / kPrintUnitsPerInch;
    if (suffix == QLatin1String("png")) {
        QImage image(width, height, QImage::Format_RGB32);
        image.setDotsPerMeterX(kImageDpi * 10000 / 254);
        image.setDotsPerMeterY(kImageDpi * 10000 / 254);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            // One print unit is less than a pixel here: smoothing keeps the thin outlines.
            painter.setRenderHint(QPainter::Antialiasing);
            PaintAllBands(doc, painter, kImageDpi, shown, events);
        }
        if (!image.save(path, "PNG")) {
            if (error) *error = Tr("GraphPrinting", "画像ファイルに書き込めません。");
            return false;
        }
        return true;
    }
    if (suffix == QLatin1String("svg")) {
        QSvgGenerator generator;
        generator.setFileName(path);
        generator.setSize(QSize(width, height));
        generator.setViewBox(QRect(0, 0, width, height));
        generator.setResolution(kImageDpi);
        generator.setTitle(QStringLiteral("Tavrel"));
        QPainter painter;
        if (!painter.begin(&generator)) {
            if (error) *error = Tr("GraphPrinting", "画像ファイルに書き込めません。");
            return false;
        }
        PaintAllBands(doc, painter, kImageDpi, shown, events);
        painter.end();
        return true;
    }
    if (suffix == QLatin1String("pdf")) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        if (!PrintPages(doc, printer, channelsPerPage, shown, {}, events)) {
            if (error) *error = Tr("GraphPrinting", "PDF ファイルに書き込めません。");
            return false;
        }
        return true;
    }
    if (error) *error = Tr("GraphPrinting", "画像の形式は PNG、SVG、PDF のいずれかです。");
    return false;
}

bool PrintPages(CKaisekiDoc& doc, QPrinter& printer, int channelsPerPage,
                const std::vector<int>* shown, const BandOverlay& overlay, bool events) {
    const int pages = PrintPageCount(
        channelsPerPage, shown ? static_cast<int>(shown->size()) : CKaisekiDoc::kChannels);
    int from = printer.fromPage();
    int to = printer.toPage();
    if (from <= 0 || to <= 0) {
        from = 1;
        to = pages;
    }
    from = std::max(from, 1);
    to = std::min(to, pages);
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    // Outlines one printer dot wide are far less than a screen pixel in the print preview, which
    // paints the recorded pages scaled down: smoothing keeps them visible there. Printed and PDF
    // output are unchanged by it.
    painter.setRenderHint(QPainter::Antialiasing);
    for (int page = from; page <= to; ++page) {
        if (page > from) printer.newPage();
        painter.save();
        SetPrintMapping(painter, printer.logicalDpiX(), printer.logicalDpiY());
        SetPrintFont(painter);
        QPainterSurface surface(painter, QRect(0, 0, kPrintPageWidth, kPrintPageHeight));
        PrintPage(doc, surface, page, channelsPerPage, shown, overlay, events);
        painter.restore();
    }
    return painter.end();
}

}  // namespace tavrel::qt
