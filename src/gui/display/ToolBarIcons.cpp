#include "gui/display/ToolBarIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "gui/display/CommandIds.h"

namespace tavrel::qt {

namespace {

const QColor kInk(40, 40, 40);
const QColor kPaper(255, 255, 255);

// A page with its top-right corner folded, in the 16 x 16 grid.
void Page(QPainter& p, const QRectF& r) {
    QPainterPath page;
    const qreal fold = 3.5;
    page.moveTo(r.left(), r.top());
    page.lineTo(r.right() - fold, r.top());
    page.lineTo(r.right(), r.top() + fold);
    page.lineTo(r.right(), r.bottom());
    page.lineTo(r.left(), r.bottom());
    page.closeSubpath();
    p.setPen(QPen(kInk, 1));
    p.setBrush(kPaper);
    p.drawPath(page);
    p.drawPolyline(
        QPolygonF({QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold),
                   QPointF(r.right(), r.top() + fold)}));
}

void TextLines(QPainter& p, const QRectF& r, int lines) {
    p.setPen(QPen(QColor(120, 120, 120), 1));
    for (int i = 0; i < lines; ++i) {
        const qreal y = r.top() + 1.5 + 2 * i;
        p.drawLine(QPointF(r.left() + 1.5, y), QPointF(r.right() - 1.5, y));
    }
}

void DrawNew(QPainter& p) {
    Page(p, QRectF(3.5, 1.5, 9, 13));
}

void DrawOpen(QPainter& p) {
    p.setPen(QPen(QColor(120, 90, 20), 1));
    p.setBrush(QColor(230, 190, 80));
    p.drawPolygon(QPolygonF({QPointF(1.5, 3.5), QPointF(5.5, 3.5), QPointF(6.5, 4.5),
                             QPointF(12.5, 4.5), QPointF(12.5, 13.5), QPointF(1.5, 13.5)}));
    p.setBrush(QColor(250, 215, 110));
    p.drawPolygon(QPolygonF(
        {QPointF(3.5, 7.5), QPointF(15.5, 7.5), QPointF(12.5, 13.5), QPointF(1.5, 13.5)}));
}

void DrawSave(QPainter& p) {
    p.setPen(QPen(QColor(20, 30, 80), 1));
    p.setBrush(QColor(50, 80, 170));
    p.drawRect(QRectF(1.5, 1.5, 13, 13));
    p.setBrush(kPaper);
    p.drawRect(QRectF(3.5, 1.5, 9, 6));
    p.setBrush(QColor(190, 190, 200));
    p.drawRect(QRectF(4.5, 10.5, 7, 4));
    p.fillRect(QRectF(9, 11, 2, 3), QColor(50, 80, 170));
}

void DrawCut(QPainter& p) {
    p.setPen(QPen(kInk, 1.2));
    p.drawLine(QPointF(4.5, 1.5), QPointF(10.0, 10.5));
    p.drawLine(QPointF(11.5, 1.5), QPointF(6.0, 10.5));
    p.setPen(QPen(QColor(160, 20, 20), 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(4.8, 12.3), 2.4, 2.4);
    p.drawEllipse(QPointF(11.2, 12.3), 2.4, 2.4);
}

void DrawCopy(QPainter& p) {
    Page(p, QRectF(1.5, 1.5, 8, 10));
    TextLines(p, QRectF(1.5, 3.5, 6, 8), 3);
    Page(p, QRectF(6.5, 4.5, 8, 10));
    TextLines(p, QRectF(6.5, 6.5, 6, 8), 3);
}

void DrawPaste(QPainter& p) {
    p.setPen(QPen(QColor(90, 60, 20), 1));
    p.setBrush(QColor(190, 140, 70));
    p.drawRoundedRect(QRectF(1.5, 2.5, 10, 12), 1, 1);
    p.setBrush(QColor(200, 200, 200));
    p.setPen(QPen(kInk, 1));
    p.drawRect(QRectF(4.5, 1.5, 4, 2));
    Page(p, QRectF(6.5, 5.5, 8, 9));
    TextLines(p, QRectF(6.5, 7.5, 6, 7), 3);
}

void DrawPrint(QPainter& p) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(kPaper);
    p.drawRect(QRectF(4.5, 1.5, 7, 5));
    p.setBrush(QColor(170, 170, 175));
    p.drawRoundedRect(QRectF(1.5, 6.5, 13, 6), 1, 1);
    p.setBrush(kPaper);
    p.drawRect(QRectF(4.5, 10.5, 7, 4));
    p.fillRect(QRectF(12, 8, 1.5, 1.5), QColor(40, 170, 40));
}

void DrawAbout(QPainter& p) {
    p.setPen(QPen(QColor(20, 50, 120), 1));
    p.setBrush(QColor(60, 110, 200));
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(11);
    p.setFont(font);
    p.setPen(kPaper);
    p.drawText(QRectF(1.5, 1.5, 13, 13), Qt::AlignCenter, QStringLiteral("?"));
}

using Drawing = void (*)(QPainter&);

Drawing DrawingFor(int commandId) {
    switch (commandId) {
        case ID_FILE_NEW:
            return DrawNew;
        case ID_FILE_OPEN:
            return DrawOpen;
        case ID_FILE_SAVE:
            return DrawSave;
        case ID_EDIT_CUT:
            return DrawCut;
        case ID_EDIT_COPY:
            return DrawCopy;
        case ID_EDIT_PASTE:
            return DrawPaste;
        case ID_FILE_PRINT:
            return DrawPrint;
        case ID_APP_ABOUT:
            return DrawAbout;
        default:
            return nullptr;
    }
}

const char* ThemeName(int commandId) {
    switch (commandId) {
        case ID_FILE_NEW:
            return "document-new";
        case ID_FILE_OPEN:
            return "document-open";
        case ID_FILE_SAVE:
            return "document-save";
        case ID_EDIT_CUT:
            return "edit-cut";
        case ID_EDIT_COPY:
            return "edit-copy";
        case ID_EDIT_PASTE:
            return "edit-paste";
        case ID_FILE_PRINT:
            return "document-print";
        case ID_APP_ABOUT:
            return "help-about";
        default:
            return nullptr;
    }
}

}  // namespace

QIcon DrawnToolBarIcon(int commandId) {
    const Drawing draw = DrawingFor(commandId);
    if (!draw) return {};
    QIcon icon;
    // Drawn for the normal and the doubled pixel density; the greyed form is derived by Qt.
    for (int scale : {1, 2}) {
        QPixmap pixmap(16 * scale, 16 * scale);
        pixmap.fill(Qt::transparent);
        {
            QPainter painter(&pixmap);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.scale(scale, scale);
            draw(painter);
        }
        icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon ToolBarIcon(int commandId) {
    const char* name = ThemeName(commandId);
    if (!name) return {};
    const QString themeName = QString::fromLatin1(name);
    if (QIcon::hasThemeIcon(themeName)) return QIcon::fromTheme(themeName);
    return DrawnToolBarIcon(commandId);
}

}  // namespace tavrel::qt
