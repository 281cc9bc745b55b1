#include "gui/platform/GraphPicture.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>

#include "document/EventMarks.h"
#include "document/ParallelChannels.h"
#include "gui/platform/QPainterSurface.h"

namespace tavrel::qt {

QFont GraphLabelFont() {
    QFont font;
    font.setFamilies({"IPAGothic", "IPAPGothic", "Noto Sans CJK JP", "DejaVu Sans"});
    font.setPixelSize(12);
    return font;
}

void PaintBands(QPainter& painter, CKaisekiDoc& doc, const std::vector<int>& channels, int width,
                int bandHeight, bool events) {
    const int height = bandHeight * static_cast<int>(channels.size());
    painter.fillRect(QRect(0, 0, width, height), Qt::white);
    painter.setFont(GraphLabelFont());
    QPainterSurface surface(painter, QRect(0, 0, width, height));
    doc.MeasureCommonMax();
    // The bands' chains are computed side by side, then drawn in order.
    ComputeChannelOutputs(doc, channels);
    int top = 0;
    for (int channel : channels) {
        const Rect band{0, top, width, top + bandHeight};
        if (events) DrawEvents(surface, doc, band, channel, nullptr, top == 0);
        doc.DrawChannel(&surface, band, channel, nullptr);
        top += bandHeight;
    }
}

void PaintMagnifier(QPainter& painter, CKaisekiDoc& doc, int channel, const SampleRange& range,
                    int width, int height, bool events) {
    painter.fillRect(QRect(0, 0, width, height), Qt::white);
    painter.setFont(GraphLabelFont());
    QPainterSurface surface(painter, QRect(0, 0, width, height));
    if (events) DrawEvents(surface, doc, {0, 0, width, height}, channel, &range, true);
    doc.DrawChannel(&surface, {0, 0, width, height}, channel, &range);
}

QByteArray BandsPng(CKaisekiDoc& doc, const std::vector<int>& channels, int width, int bandHeight,
                    bool events) {
    QImage image(width, bandHeight * static_cast<int>(channels.size()), QImage::Format_RGB32);
    if (image.isNull()) return {};
    {
        QPainter painter(&image);
        PaintBands(painter, doc, channels, width, bandHeight, events);
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) return {};
    return buffer.data();
}

QByteArray BandsSvg(CKaisekiDoc& doc, const std::vector<int>& channels, int width, int bandHeight,
                    bool events) {
    const QSize size(width, bandHeight * static_cast<int>(channels.size()));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setTitle("Tavrel");
    {
        QPainter painter(&generator);
        PaintBands(painter, doc, channels, width, bandHeight, events);
    }
    return buffer.data();
}

}  // namespace tavrel::qt
