#include "gui/document/FieldExchange.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLineEdit>
#include <QMessageBox>

#include "gui/platform/DialogLayout.h"
#include "gui/platform/QtHost.h"
#include "pipeline/ModuleDialog.h"

namespace tavrel::qt {

bool ParseUIntField(const QString& text, unsigned low, unsigned high, unsigned& value) {
    QString s = text.trimmed();
    if (s.startsWith(QLatin1Char('+'))) s.remove(0, 1);
    if (s.isEmpty() || s.size() > 10) return false;
    unsigned long long v = 0;
    for (QChar c : s) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
        v = v * 10 + static_cast<unsigned>(c.unicode() - '0');
    }
    if (v < low || v > high) return false;
    value = static_cast<unsigned>(v);
    return true;
}

void RefuseField(QWidget* dialog, int id, const QString& message) {
    QMessageBox box(QMessageBox::Warning, ApplicationTitle(), message, QMessageBox::Ok, dialog);
    box.exec();
    if (QWidget* field = Control(dialog, id)) {
        field->setFocus();
        if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->selectAll();
    }
}

bool ExchangeUInt(QWidget* dialog, int id, unsigned low, unsigned high, unsigned& value) {
    auto* edit = Control<QLineEdit>(dialog, id);
    unsigned v = 0;
    if (!edit || !ParseUIntField(edit->text(), low, high, v)) {
        RefuseField(dialog, id, QString::fromStdString(IntRangeMessage(low, high)));
        return false;
    }
    value = v;
    return true;
}

bool ExchangeText(QWidget* dialog, int id, int maxChars, std::string& value) {
    auto* edit = Control<QLineEdit>(dialog, id);
    QString text = edit ? edit->text() : QString();
    // Characters as the user sees them: a surrogate pair counts once.
    if (text.toUcs4().size() > maxChars) {
        RefuseField(dialog, id,
                    QString::fromStdString(TextLengthMessage(static_cast<std::size_t>(maxChars))));
        return false;
    }
    value = text.toStdString();
    return true;
}

bool IsChecked(const QWidget* dialog, int id) {
    auto* button = Control<QAbstractButton>(dialog, id);
    return button && button->isChecked();
}

void SetChecked(QWidget* dialog, int id, bool checked) {
    if (auto* button = Control<QAbstractButton>(dialog, id)) button->setChecked(checked);
}

int CheckedIndex(const QWidget* dialog, std::initializer_list<int> ids) {
    int index = 0;
    for (int id : ids) {
        if (IsChecked(dialog, id)) return index;
        ++index;
    }
    return -1;
}

void SetCheckedIndex(QWidget* dialog, std::initializer_list<int> ids, int index) {
    int i = 0;
    for (int id : ids) {
        auto* button = Control<QAbstractButton>(dialog, id);
        if (!button) continue;
        // An exclusive group refuses to clear its checked button; lift the rule for the moment.
        QButtonGroup* group = button->group();
        bool exclusive = group && group->exclusive();
        if (exclusive) group->setExclusive(false);
        button->setChecked(i == index);
        if (exclusive) group->setExclusive(true);
        ++i;
    }
}

}  // namespace tavrel::qt
