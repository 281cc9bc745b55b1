// The modal-window helper of the GUI tests fails a test whose window never comes, and closes the
// windows that are open, so that the test ends instead of waiting forever.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <QDialog>

#include "gui/document/ModalHelper.h"

TEST(ModalHelper, AWindowThatNeverComesFailsTheTestAndClosesTheOpenOnes) {
    QDialog open;
    int result = -1;
    EXPECT_NONFATAL_FAILURE(
        {
            // Waits for a window other than the one that is already open, which never comes.
            QTimer::singleShot(0,
                               [&open] { tavrel::test::OnNextModal([](QWidget*) {}, &open, 200); });
            result = open.exec();
        },
        "no modal window appeared within");
    EXPECT_EQ(result, QDialog::Rejected);
}
