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
}  // namespace

QPainterSurface::QPainterSurface(QPainter& painter, const QRect& clip) : m_painter(painter) {
    // Like the clipping box of a device context: the bounding box of what may be painted.
    QRect box = clip;
    if (box.isEmpty() && painter.hasClipping()) box = painter.clipBoundingRect().toAlignedRect();
    if (box.isEmpty()) box = painter.window();
    m_clip = {box.left(), box.top(), box.left() + box.width(), box.top() + box.height()};
}

bool QPainterSurface::PixelExact() const {
    // A high-resolution device scales logical units itself; its lines are drawn by Qt too.
    if (m_painter.device() && m_painter.device()->devicePixelRatioF() != 1.0) return false;
    const QTransform t = m_painter.combinedTransform();
    return t.type() <= QTransform::TxTranslate && t.dx() == static_cast<int>(t.dx()) &&
           t.dy() == static_cast<int>(t.dy());
}

void QPainterSurface::FrameRect(const Rect& r, Color color) {
    if (r.right <= r.left || r.bottom <= r.top) return;
    const QColor c = ToQColor(color);
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    m_painter.fillRect(QRect(r.left, r.top, w, 1), c);
    m_painter.fillRect(QRect(r.left, r.bottom - 1, w, 1), c);
    m_painter.fillRect(QRect(r.left, r.top, 1, h), c);
    m_painter.fillRect(QRect(r.right - 1, r.top, 1, h), c);
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
        int left = to.x() > from.x() ? from.x() : to.x() + 1;
        int right = to.x() > from.x() ? to.x() : from.x() + 1;
        m_painter.fillRect(QRect(left, from.y(), right - left, 1), m_penColor);
        return;
    }
    if (from.x() == to.x()) {
        int top = to.y() > from.y() ? from.y() : to.y() + 1;
        int bottom = to.y() > from.y() ? to.y() : from.y() + 1;
        m_painter.fillRect(QRect(from.x(), top, 1, bottom - top), m_penColor);
        return;
    }
    // A scaled painter (printing) draws the line itself; so does a line far longer than any
    // device, whose pixels Qt clips before it rasterises them.
    const long long length = std::max(std::llabs(static_cast<long long>(to.x()) - from.x()),
                                      std::llabs(static_cast<long long>(to.y()) - from.y()));
    if (!PixelExact() || length > kLongestPixelLine) {
        m_painter.setPen(QPen(m_penColor, 0));
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
    if (r.right <= r.left || r.bottom <= r.top) return;
    m_painter.fillRect(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top), ToQColor(color));
}

void QPainterSurface::InvertRect(const Rect& r) {
    int left = std::min(r.left, r.right);
    int right = std::max(r.left, r.right);
    int top = std::min(r.top, r.bottom);
    int bottom = std::max(r.top, r.bottom);
    if (right == left || bottom == top) return;
    const QPainter::CompositionMode mode = m_painter.compositionMode();
    if (m_painter.paintEngine() &&
        m_painter.paintEngine()->hasFeature(QPaintEngine::RasterOpModes)) {
        m_painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        m_painter.fillRect(QRect(left, top, right - left, bottom - top), Qt::white);
    } else {
        // Devices without raster operations (PDF, SVG): a difference blend looks the same.
        m_painter.setCompositionMode(QPainter::CompositionMode_Difference);
        m_painter.fillRect(QRect(left, top, right - left, bottom - top), Qt::white);
    }
    m_painter.setCompositionMode(mode);
}

void QPainterSurface::TextOut(int x, int y, const std::string& utf8) {
    m_painter.setPen(m_textColor);
    // The metrics of the font on this painter's device (a printer's differ from the screen's).
    m_painter.drawText(QPoint(x, y + m_painter.fontMetrics().ascent()),
                       QString::fromStdString(utf8));
}

void QPainterSurface::DrawTextCentered(const Rect& box, const std::string& utf8) {
    m_painter.setPen(m_textColor);
    const QRect r(box.left, box.top, box.right - box.left, box.bottom - box.top);
    m_painter.drawText(r, Qt::AlignHCenter | Qt::AlignTop | Qt::TextDontClip,
                       QString::fromStdString(utf8));
}

}  // namespace tavrel::qt
