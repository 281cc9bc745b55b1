// The drawing surface over a QPainter, reproducing the classic Windows drawing conventions the
// graph geometry assumes: a rectangle covers columns left .. right - 1 and rows top .. bottom - 1,
// framing paints a one-unit outline inside it, a line does not paint its end point, text is
// placed by its top-left corner.
#pragma once

#include <QColor>
#include <QPainter>
#include <QPoint>
#include <QRect>

#include "platform/Surface.h"

namespace tavrel::qt {

class QPainterSurface : public Surface {
  public:
    // `clip` is the part of the surface that needs drawing, in logical units (the paint event's
    // rectangle); an empty rectangle means the whole window of the painter.
    explicit QPainterSurface(QPainter& painter, const QRect& clip = {});

    void FrameRect(const Rect& rect, Color color) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void FillSolidRect(const Rect& rect, Color color) override;
    void InvertRect(const Rect& rect) override;
    void TextOut(int x, int y, const std::string& utf8) override;
    void DrawTextCentered(const Rect& box, const std::string& utf8) override;
    void TextOutClipped(int x, int y, const Rect& clip, Color color,
                        const std::string& utf8) override;
    Color GetBkColor() const override { return m_bk; }
    void SetBkColor(Color color) override { m_bk = color; }
    Rect GetClipBox() const override { return m_clip; }

    // The pen used by lines (the "current pen"); black, one unit wide by default.
    void SetPenColor(const QColor& color) { m_penColor = color; }
    void SetTextColor(const QColor& color) { m_textColor = color; }

    static QColor ToQColor(Color c) { return QColor(c.r, c.g, c.b); }
    static QRect ToQRect(const Rect& r) {
        return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
    }

  private:
    // Whether logical units are device pixels (then lines are drawn pixel by pixel).
    bool PixelExact() const;
    // Fills columns left .. right - 1 and rows top .. bottom - 1 (at least one device pixel).
    void Fill(long long left, long long top, long long right, long long bottom,
              const QColor& color);

    QPainter& m_painter;
    Rect m_clip;
    QPoint m_pen;
    QColor m_penColor = Qt::black;
    QColor m_textColor = Qt::black;
    Color m_bk{255, 255, 255};
};

}  // namespace tavrel::qt
