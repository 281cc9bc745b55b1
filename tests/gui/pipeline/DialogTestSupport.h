// Helpers of the module dialog tests: a document whose channel 0 holds a signal, chains built on
// it, and the typing and clicking of a user on dialog controls found by their ids.
#pragma once

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include "document/KaisekiDoc.h"
#include "gui/platform/DialogLayout.h"
#include "pipeline/HeadFilter.h"
#include "pipeline/ModBase.h"

namespace tavrel::test {

// A document with `count` samples of a 20 Hz sine (amplitude 1, after a quiet quarter) in
// channel 0, at the chain heads' default rate of 2000 Hz.
class SignalDocument {
  public:
    explicit SignalDocument(int count = 2000) {
        doc.OnNewDocument();
        std::vector<double>& column = doc.m_columns[0];
        for (int i = 0; i < count; ++i) {
            const double t = i / 2000.0;
            column.push_back(i < count / 4 ? 0.02 * std::sin(2 * M_PI * 130 * t)
                                           : std::sin(2 * M_PI * 20 * t));
        }
        doc.m_rowCount = count;
    }

    CHeadFilter* Head() const { return doc.Head(0); }
    // Links the module at the end of channel 0's chain (the chain owns it).
    template <class M>
    M* Append(std::unique_ptr<M> module) {
        M* raw = module.release();
        CModBase::AppendModule(Head(), raw);
        return raw;
    }
    // Prepares a module for its dialog as the processing-list editor does.
    static void StartEditing(CModBase& module) {
        module.m_editing = 1;
        module.PullInput();
    }

    CKaisekiDoc doc;
};

inline QLineEdit* Edit(const QWidget* dialog, int id) {
    return qt::Control<QLineEdit>(dialog, id);
}

// Replaces the text of an edit the way a user does: select all, type.
inline void Type(const QWidget* dialog, int id, const QString& text) {
    QLineEdit* edit = Edit(dialog, id);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

inline void Click(const QWidget* dialog, int id) {
    QTest::mouseClick(qt::Control<QAbstractButton>(dialog, id), Qt::LeftButton);
}

// Runs `action` on the modal window that opens next (other than `except`), from within its
// event loop.
inline void WhenModalOpens(std::function<void(QWidget*)> action, QWidget* except = nullptr) {
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [action, poll, except] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal != except) {
            *poll = nullptr;  // the running copy keeps what it needs
            action(modal);
        } else {
            QTimer::singleShot(10, *poll);
        }
    };
    QTimer::singleShot(0, *poll);
}

}  // namespace tavrel::test
