// Plays the user of modal windows in GUI tests: an action queued here runs on the next modal
// window that opens (a message box, a nested dialog) from inside its event loop.
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>

namespace tavrel::test {

// Runs `action` on the first modal widget other than `current` that becomes active. Gives up
// (and runs nothing) after about five seconds, so a test never hangs on a missing window.
inline void OnNextModal(std::function<void(QWidget*)> action, QWidget* current = nullptr) {
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QPointer<QWidget> before = current;
    QObject::connect(timer, &QTimer::timeout, [timer, tries, before, action] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal != before.data()) {
            timer->stop();
            timer->deleteLater();
            action(modal);
        } else if (++*tries > 500) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(10);
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
