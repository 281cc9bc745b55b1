// Data exchange between the edit boxes of the document dialogs and their members: whole numbers
// within a range and texts within a length, read by control id. A refused value shows the
// standard message in a warning box with the application title, gives the field the focus and
// leaves the dialog open, the way the module dialogs refuse values.
#pragma once

#include <QString>
#include <QWidget>
#include <string>

namespace tavrel::qt {

// Reads a whole number low..high from edit `id` of `dialog`. On refusal the user is told, the
// field gets the focus and false is returned; `value` is then unchanged.
bool ExchangeUInt(QWidget* dialog, int id, unsigned low, unsigned high, unsigned& value);

// Reads the text of edit `id` (UTF-8), refusing more than `maxChars` characters.
bool ExchangeText(QWidget* dialog, int id, int maxChars, std::string& value);

// Tells the user why a field was refused and gives it the focus.
void RefuseField(QWidget* dialog, int id, const QString& message);

// Parses the text of a whole-number field: optional blanks around, an optional '+', decimal
// digits. Returns false for anything else or a value outside low..high.
bool ParseUIntField(const QString& text, unsigned low, unsigned high, unsigned& value);

// Check states and radio groups of the document dialogs, by control id.
bool IsChecked(const QWidget* dialog, int id);
void SetChecked(QWidget* dialog, int id, bool checked);
// The index of the checked button among `ids` (in order), or -1 when none is checked.
int CheckedIndex(const QWidget* dialog, std::initializer_list<int> ids);
// Checks button `index` of `ids` and clears the others; -1 clears them all.
void SetCheckedIndex(QWidget* dialog, std::initializer_list<int> ids, int index);

}  // namespace tavrel::qt
