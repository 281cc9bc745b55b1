#include "gui/platform/DialogLayout.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <cmath>

namespace tavrel::qt {

QFont DialogFont() {
    QFont font;
    const QStringList families = QFontDatabase::families();
    for (const char* name : {"IPAPGothic", "IPAGothic", "IPAexGothic", "Noto Sans CJK JP"}) {
        if (families.contains(QString::fromLatin1(name))) {
            font.setFamily(QString::fromLatin1(name));
            break;
        }
    }
    font.setPointSize(9);
    return font;
}

DialogUnits::DialogUnits(const QFont& font) {
    QFontMetricsF metrics(font);
    // The average width of the Latin letters, as dialog templates measure it.
    m_baseX = metrics.horizontalAdvance(
                  QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
              52.0;
    m_baseY = metrics.height();
    if (m_baseX <= 0) m_baseX = 6;
    if (m_baseY <= 0) m_baseY = 12;
}

int DialogUnits::X(int units) const {
    return static_cast<int>(std::lround(units * m_baseX / 4.0));
}

int DialogUnits::Y(int units) const {
    return static_cast<int>(std::lround(units * m_baseY / 8.0));
}

QRect DialogUnits::Rect(int x, int y, int width, int height) const {
    int left = X(x);
    int top = Y(y);
    return QRect(left, top, X(x + width) - left, Y(y + height) - top);
}

QSize DialogUnits::Size(int width, int height) const {
    return QSize(X(width), Y(height));
}

void Place(QWidget* control, const DialogUnits& units, int id, int x, int y, int width,
           int height) {
    if (id != 0) control->setObjectName(QString::number(id));
    control->setGeometry(units.Rect(x, y, width, height));
}

void SizeDialog(QWidget* dialog, const DialogUnits& units, int width, int height) {
    dialog->setFont(DialogFont());
    dialog->setFixedSize(units.Size(width, height));
}

}  // namespace tavrel::qt
