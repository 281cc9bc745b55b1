// Plays the user of modal windows in GUI tests: an action queued here runs on the next modal
// window that opens (a message box, a nested dialog) from inside its event loop.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <vector>

namespace tavrel::test {

// How long a test waits for a modal window before it fails.
inline constexpr int kModalWaitMs = 30000;

// The waits queued by the running test that have not seen their window yet.
inline std::vector<QPointer<QTimer>>& PendingModalWaits() {
    static std::vector<QPointer<QTimer>> waits;
    return waits;
}

// Closes every modal window, innermost first, so that each event loop that runs one returns.
inline void CloseAllModals() {
    for (int guard = 0; guard < 32; ++guard) {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) break;
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
        QApplication::processEvents();
    }
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(w);
        if (dialog && dialog->isVisible() && dialog->isModal()) dialog->reject();
    }
}

// Runs `action` on the first modal widget other than `current` that becomes active. When none
// appears within `timeoutMs` the test fails with a message and every modal window is closed, so
// a test fails instead of hanging.
inline void OnNextModal(std::function<void(QWidget*)> action, QWidget* current = nullptr,
                        int timeoutMs = kModalWaitMs) {
    auto* timer = new QTimer;
    QElapsedTimer clock;
    clock.start();
    QPointer<QWidget> before = current;
    QObject::connect(timer, &QTimer::timeout, [timer, clock, timeoutMs, before, action] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal != before.data()) {
            timer->stop();
            timer->deleteLater();
            action(modal);
        } else if (clock.elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "no modal window appeared within " << timeoutMs
                          << " ms; closing every open modal window";
            CloseAllModals();
        }
    });
    PendingModalWaits().push_back(timer);
    timer->start(10);
}

// At the end of a test: a wait whose window never appeared fails the run, and no wait carries
// over into the next test.
inline void EndModalWaits() {
    bool missed = false;
    for (QPointer<QTimer>& timer : PendingModalWaits()) {
        if (!timer) continue;
        missed = missed || timer->isActive();
        delete timer.data();
    }
    PendingModalWaits().clear();
    if (missed) ADD_FAILURE() << "a modal window the test waited for never appeared";
    CloseAllModals();
}

// Closes the next message box and stores its text in `text`.
inline void CloseNextMessage(QString* text, QWidget* current = nullptr) {
    OnNextModal(
        [text](QWidget* w) {
            if (auto* box = qobject_cast<QMessageBox*>(w)) {
                if (text) *text = box->text();
                box->accept();
            }
        },
        current);
}

}  // namespace tavrel::test
