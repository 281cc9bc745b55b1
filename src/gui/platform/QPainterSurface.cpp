#include "gui/platform/QPainterSurface.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QString>
#include <QVector>
#include <algorithm>
#include <cstdlib>

namespace tavrel::qt {

namespace {

// Lines up to this many pixels are set pixel by pixel, which keeps the end point unpainted.
constexpr long long kLongestPixelLine = 1 << 16;
// Rectangles are cut to this far beyond the origin, well outside any device, before Qt sees
// them: Qt's rasteriser works in fixed point and misbehaves on coordinates near the int limits.
constexpr long long kFarCoord = 1 << 24;

long long Far(long long v) {
    return std::clamp(v, -kFarCoord, kFarCoord);
}

}  // namespace

QPainterSurface::QPainterSurface(QPainter& painter, const QRect& clip) : m_painter(painter) {
    // Like the clipping box of a device context: the bounding box, in logical units, of what may
    // be painted - the given rectangle, else the painter's clip, else the whole device.
    QRect box = clip;
    if (box.isEmpty() && painter.hasClipping()) box = painter.clipBoundingRect().toAlignedRect();
    if (box.isEmpty() && painter.device()) {
        const QRectF device(0, 0, painter.device()->width(), painter.device()->height());
        box = painter.combinedTransform().inverted().mapRect(device).toAlignedRect();
    }
    m_clip = {box.left(), box.top(), box.left() + box.width(), box.top() + box.height()};
}

bool QPainterSurface::PixelExact() const {
    // A high-resolution device scales logical units itself; its lines are drawn by Qt too.
    if (m_painter.device() && m_painter.device()->devicePixelRatioF() != 1.0) return false;
    const QTransform t = m_painter.combinedTransform();
    return t.type() <= QTransform::TxTranslate && t.dx() == static_cast<int>(t.dx()) &&
           t.dy() == static_cast<int>(t.dy());
}

void QPainterSurface::Fill(long long left, long long top, long long right, long long bottom,
                           const QColor& color) {
    left = Far(left);
    top = Far(top);
    right = Far(right);
    bottom = Far(bottom);
    if (right <= left || bottom <= top) return;
    const QRect r(static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
                  static_cast<int>(bottom - top));
    if (PixelExact()) {
        m_painter.fillRect(r, color);
        return;
    }
    // Scaled (printing, print preview, high resolution): a one-unit frame side or marker column
    // may map to less than a device pixel, which a raster device would not paint at all. Such a
    // rectangle is widened to one device pixel, as the drawing interface it stands for does.
    // The combined transform includes a high-resolution device's pixel ratio, which the painter
    // applies again beneath any transform it is given; the fill undoes it to land on the device
    // pixels computed here.
    QRectF device = m_painter.combinedTransform().mapRect(QRectF(r));
    if (device.width() < 1.0) device.setWidth(1.0);
    if (device.height() < 1.0) device.setHeight(1.0);
    const qreal ratio = m_painter.device() ? m_painter.device()->devicePixelRatioF() : 1.0;
    m_painter.save();
    m_painter.resetTransform();
    if (ratio != 1.0) m_painter.setWorldTransform(QTransform::fromScale(1.0 / ratio, 1.0 / ratio));
    m_painter.fillRect(device, color);
    m_painter.restore();
}

void QPainterSurface::FrameRect(const Rect& r, Color color) {
    if (r.right <= r.left || r.bottom <= r.top) return;
    const QColor c = ToQColor(color);
    const long long l = r.left;
    const long long t = r.top;
    const long long rt = r.right;
    const long long b = r.bottom;
    Fill(l, t, rt, t + 1, c);
    Fill(l, b - 1, rt, b, c);
    Fill(l, t, l + 1, b, c);
    Fill(rt - 1, t, rt, b, c);
}

void QPainterSurface::MoveTo(int x, int y) {
    m_pen = QPoint(x, y);
}

void QPainterSurface::LineTo(int x, int y) {
    const QPoint from = m_pen;
    const QPoint to(x, y);
    m_pen = to;
    if (from == to) return;
    if (from.y() == to.y()) {
        // Horizontal: columns from .. to, end excluded.
        const long long left = to.x() > from.x() ? from.x() : to.x() + 1LL;
        const long long right = to.x() > from.x() ? to.x() : from.x() + 1LL;
        Fill(left, from.y(), right, from.y() + 1LL, m_penColor);
        return;
    }
    if (from.x() == to.x()) {
        const long long top = to.y() > from.y() ? from.y() : to.y() + 1LL;
        const long long bottom = to.y() > from.y() ? to.y() : from.y() + 1LL;
        Fill(from.x(), top, from.x() + 1LL, bottom, m_penColor);
        return;
    }
    // A scaled painter (printing) draws the line itself; so does a line far longer than any
    // device, whose pixels Qt clips before it rasterises them.
    const long long length = std::max(std::llabs(static_cast<long long>(to.x()) - from.x()),
                                      std::llabs(static_cast<long long>(to.y()) - from.y()));
    if (!PixelExact() || length > kLongestPixelLine) {
        // A cosmetic pen is one device pixel wide at any scale; the flat cap leaves the end.
        m_painter.setPen(QPen(m_penColor, 0, Qt::SolidLine, Qt::FlatCap));
        m_painter.drawLine(from, to);
        return;
    }
    // Bresenham from `from` up to, not including, `to`.
    QVector<QPoint> points;
    int dx = std::abs(to.x() - from.x());
    int dy = -std::abs(to.y() - from.y());
    int sx = from.x() < to.x() ? 1 : -1;
    int sy = from.y() < to.y() ? 1 : -1;
    int err = dx + dy;
    int px = from.x();
    int py = from.y();
    points.reserve(std::max(dx, -dy));
    while (px != to.x() || py != to.y()) {
        points.append(QPoint(px, py));
        int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            px += sx;
        }
        if (e2 <= dx) {
            err += dx;
            py += sy;
        }
    }
    m_painter.setPen(QPen(m_penColor, 0));
    m_painter.drawPoints(points.constData(), static_cast<int>(points.size()));
}

void QPainterSurface::FillSolidRect(const Rect& r, Color color) {
    m_bk = color;
    Fill(r.left, r.top, r.right, r.bottom, ToQColor(color));
}

void QPainterSurface::InvertRect(const Rect& r) {
    const QPainter::CompositionMode mode = m_painter.compositionMode();
    if (m_painter.paintEngine() &&
        m_painter.paintEngine()->hasFeature(QPaintEngine::RasterOpModes)) {
        m_painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    } else {
        // Devices without raster operations (PDF, SVG): a difference blend looks the same.
        m_painter.setCompositionMode(QPainter::CompositionMode_Difference);
    }
    Fill(std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
         std::max(r.top, r.bottom), Qt::white);
    m_painter.setCompositionMode(mode);
}

void QPainterSurface::TextOut(int x, int y, const std::string& utf8) {
    m_painter.setPen(m_textColor);
    // The metrics of the font on this painter's device (a printer's differ from the screen's).
    m_painter.drawText(QPoint(x, y + m_painter.fontMetrics().ascent()),
                       QString::fromStdString(utf8));
}

void QPainterSurface::TextOutClipped(int x, int y, const Rect& clip, Color color,
                                     const std::string& utf8) {
    if (clip.right <= clip.left || clip.bottom <= clip.top) return;
    m_painter.save();
    // Within whatever the painter already clips to (the paint event's region).
    m_painter.setClipRect(
        QRect(clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top),
        m_painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    m_painter.setPen(ToQColor(color));
    m_painter.drawText(QPoint(x, y + m_painter.fontMetrics().ascent()),
                       QString::fromStdString(utf8));
    m_painter.restore();
}

void QPainterSurface::DrawTextCentered(const Rect& box, const std::string& utf8) {
    m_painter.setPen(m_textColor);
    const QRect r(box.left, box.top, box.right - box.left, box.bottom - box.top);
    m_painter.drawText(r, Qt::AlignHCenter | Qt::AlignTop | Qt::TextDontClip,
                       QString::fromStdString(utf8));
}

}  // namespace tavrel::qt
