// Lays dialogs out from positions and sizes given in dialog units, the way dialog templates are
// laid out: one horizontal unit is a quarter of the dialog font's average character width, one
// vertical unit an eighth of its height. Every control gets its numeric id as objectName, so code
// and tests find controls by the ids the program names them with.
#pragma once

#include <QFont>
#include <QRect>
#include <QString>
#include <QWidget>

namespace tavrel::qt {

// The font of the program's dialogs: a Japanese gothic face at 9 points.
QFont DialogFont();

class DialogUnits {
  public:
    explicit DialogUnits(const QFont& font = DialogFont());
    int X(int units) const;
    int Y(int units) const;
    QRect Rect(int x, int y, int width, int height) const;
    QSize Size(int width, int height) const;

  private:
    double m_baseX;
    double m_baseY;
};

// Places a control at a template position and names it by its id (no name when id is 0).
void Place(QWidget* control, const DialogUnits& units, int id, int x, int y, int width, int height);

// Creates a control of type W as a child of `parent` with the caption (if W takes one), places it
// and names it.
template <class W>
W* AddControl(QWidget* parent, const DialogUnits& units, int id, int x, int y, int width,
              int height, const QString& caption = {}) {
    auto* w = new W(parent);
    if constexpr (requires(W * p) { p->setText(caption); }) {
        if (!caption.isNull()) w->setText(caption);
    } else if constexpr (requires(W * p) { p->setTitle(caption); }) {
        if (!caption.isNull()) w->setTitle(caption);
    }
    Place(w, units, id, x, y, width, height);
    return w;
}

// The child of `parent` named by a control id.
template <class W = QWidget>
W* Control(const QWidget* parent, int id) {
    return parent->findChild<W*>(QString::number(id));
}

// Gives a dialog its client size from a template size and the dialog font.
void SizeDialog(QWidget* dialog, const DialogUnits& units, int width, int height);

// The width a control needs to show its whole caption (a label's text, a button's, check box's
// or radio button's caption with its box, a group box's title); 0 for a control without one.
int CaptionWidth(const QWidget* control);

// In a display language other than Japanese (whose captions the templates were drawn for), makes
// every caption of the dialog's controls fit: a label, button, check box, radio button or group
// box too narrow for its text widens, the controls after it in its row move right by as much, a
// group box grows around what it holds, and the dialog grows to hold everything. In Japanese it
// does nothing, so the dialogs keep their template geometry exactly.
void FitCaptions(QWidget* dialog);

}  // namespace tavrel::qt
