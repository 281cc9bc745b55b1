#include "gui/platform/DialogLayout.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <vector>

#include "gui/platform/Translation.h"

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

int CaptionWidth(const QWidget* w) {
    const QFontMetrics metrics = w->fontMetrics();
    if (const auto* label = qobject_cast<const QLabel*>(w)) {
        if (label->wordWrap() || label->text().isEmpty()) return 0;
        return metrics.horizontalAdvance(label->text()) + 1;
    }
    if (qobject_cast<const QCheckBox*>(w) || qobject_cast<const QRadioButton*>(w))
        return w->sizeHint().width();
    if (const auto* button = qobject_cast<const QPushButton*>(w)) {
        QString text = button->text();
        text.remove(QLatin1Char('&'));
        const int margin = w->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, w);
        return metrics.horizontalAdvance(text) + 2 * margin + 4;
    }
    if (const auto* box = qobject_cast<const QGroupBox*>(w))
        return box->title().isEmpty() ? 0 : metrics.horizontalAdvance(box->title()) + 16;
    return 0;
}

namespace {

bool SameRow(const QRect& a, const QRect& b) {
    return a.top() <= b.bottom() && b.top() <= a.bottom();
}

bool IsGroup(const QWidget* w) {
    return qobject_cast<const QGroupBox*>(w) != nullptr;
}

}  // namespace

void FitCaptions(QWidget* dialog) {
    if (CurrentLanguage() == Language::Japanese) return;
    constexpr int kGap = 3;
    std::vector<QWidget*> items;
    for (QObject* child : dialog->children()) {
        // A control the dialog hides (one it shows only for some contents) takes no room.
        auto* w = qobject_cast<QWidget*>(child);
        if (w && !w->isWindow() && !w->isHidden()) items.push_back(w);
    }
    std::stable_sort(items.begin(), items.end(),
                     [](const QWidget* a, const QWidget* b) { return a->x() < b->x(); });
    // What each group box holds, taken before anything moves.
    std::map<const QWidget*, std::vector<QWidget*>> held;
    for (QWidget* g : items) {
        if (!IsGroup(g)) continue;
        for (QWidget* w : items) {
            if (w != g && !IsGroup(w) && g->geometry().contains(w->geometry().center()))
                held[g].push_back(w);
        }
    }
    auto holds = [&](const QWidget* g, const QWidget* w) {
        auto it = held.find(g);
        return it != held.end() &&
               std::find(it->second.begin(), it->second.end(), w) != it->second.end();
    };
    // Moves whatever `mover` now reaches in its row to the right, and so on along the row; a
    // group box moves with what it holds. Controls it does not reach stay where they are.
    std::function<void(QWidget*, int)> pushRight = [&](QWidget* mover, int depth) {
        if (depth > 64) return;
        for (QWidget* t : items) {
            const QRect m = mover->geometry();
            if (t == mover || t->x() <= m.x() || !SameRow(t->geometry(), m) || holds(mover, t) ||
                holds(t, mover))
                continue;
            const int d = m.right() + kGap - t->x() + 1;
            if (d <= 0) continue;
            t->move(t->x() + d, t->y());
            if (auto it = held.find(t); it != held.end()) {
                for (QWidget* h : it->second)
                    h->move(h->x() + d, h->y());
            }
            pushRight(t, depth + 1);
        }
    };

    // Controls widen to their captions and push what they reach (a label may have been widened
    // already when its dialog was built).
    for (QWidget* c : items) {
        if (IsGroup(c)) continue;
        if (const int need = CaptionWidth(c); need > c->width()) c->resize(need, c->height());
        pushRight(c, 0);
    }
    // Group boxes grow around what they hold and to their titles, and push what they reach.
    for (QWidget* g : items) {
        if (!IsGroup(g)) continue;
        int right = std::max(g->geometry().right(), g->x() + CaptionWidth(g));
        for (const QWidget* w : held[g])
            right = std::max(right, w->geometry().right() + 2 * kGap + 2);
        if (right > g->geometry().right()) {
            g->resize(right - g->x() + 1, g->height());
            pushRight(g, 0);
        }
    }
    // The dialog: as wide and high as its contents with the margin they had.
    int right = 0;
    for (const QWidget* w : items)
        right = std::max(right, w->geometry().right());
    const int margin = DialogUnits(dialog->font()).X(7);
    const QSize size(std::max(dialog->width(), right + margin), dialog->height());
    if (size != dialog->size()) dialog->setFixedSize(size);
}

}  // namespace tavrel::qt
