// The data-file and data-settings dialogs: enabling rules, ranges and the copy-in / copy-back of
// the five data settings; and the export settings dialog.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest/QTest>

#include "gui/document/DataFileDlg.h"
#include "gui/document/DataSetDlg.h"
#include "gui/document/ExportSetDlg.h"
#include "gui/document/ModalHelper.h"
#include "gui/platform/DialogLayout.h"
#include "pipeline/ModuleDialog.h"

using namespace tavrel::qt;
using tavrel::test::CloseNextMessage;
using tavrel::test::OnNextModal;

namespace {

QLineEdit* Edit(QWidget* d, int id) {
    return Control<QLineEdit>(d, id);
}
QAbstractButton* Button(QWidget* d, int id) {
    return Control<QAbstractButton>(d, id);
}
// Clicks near the left edge, where check boxes and radio buttons have their indicator.
void Click(QWidget* d, int id) {
    QAbstractButton* b = Button(d, id);
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
}

}  // namespace

TEST(DataFileDlg, OpensWithChecksFollowingTheValues) {
    CDataFileDlg dialog;
    dialog.m_headerRowsValue = 3;
    dialog.m_skipColumnsValue = 0;
    dialog.m_skipCheck = 1;  // the stored check states are not what the dialog opens with
    dialog.OnInitDialog();
    EXPECT_TRUE(Button(&dialog, 1002)->isChecked());
    EXPECT_TRUE(Edit(&dialog, 1000)->isEnabled());
    EXPECT_EQ(Edit(&dialog, 1000)->text(), "3");
    EXPECT_FALSE(Button(&dialog, 1006)->isChecked());
    EXPECT_FALSE(Edit(&dialog, 1038)->isEnabled());
    EXPECT_EQ(Edit(&dialog, 1038)->text(), "0");
    EXPECT_FALSE(Button(&dialog, 1004)->isEnabled());
    EXPECT_FALSE(Button(&dialog, 1004)->isChecked());

    // Clicking the boxes switches their edit boxes.
    Click(&dialog, 1002);
    EXPECT_FALSE(Edit(&dialog, 1000)->isEnabled());
    Click(&dialog, 1006);
    EXPECT_TRUE(Edit(&dialog, 1038)->isEnabled());

    Edit(&dialog, 1038)->setText("9");
    Click(&dialog, 1);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.m_headerCheck, 0);
    EXPECT_EQ(dialog.m_headerRowsValue, 3u);  // the value is kept, the cleared box disables it
    EXPECT_EQ(dialog.m_skipCheck, 1);
    EXPECT_EQ(dialog.m_skipColumnsValue, 9u);
    EXPECT_EQ(dialog.m_timeStampCheck, 0);
}

TEST(DataFileDlg, DisabledEditIsStillValidated) {
    CDataFileDlg dialog;
    dialog.OnInitDialog();
    dialog.show();
    ASSERT_FALSE(Edit(&dialog, 1038)->isEnabled());
    Edit(&dialog, 1038)->setText("10");
    QString message;
    CloseNextMessage(&message);
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);  // still open
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(message.contains("0") && message.contains("9")) << message.toStdString();
    EXPECT_EQ(dialog.m_skipColumnsValue, 0u);

    Edit(&dialog, 1038)->setText("9");
    Edit(&dialog, 1000)->setText("100");
    CloseNextMessage(&message);
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(message.contains("99")) << message.toStdString();
    Edit(&dialog, 1000)->setText("99");
    dialog.accept();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.m_headerRowsValue, 99u);
}

TEST(DataFileDlg, DataSettingsCopiedBackOnlyOnOk) {
    CDataFileDlg dialog;
    dialog.m_rateValue = 2000;
    dialog.m_factor = 10;
    dialog.m_unitChoice = 2;
    dialog.m_otherUnit = "µV";
    dialog.m_rateChoice = 0;
    dialog.OnInitDialog();

    // Cancelled after changing everything: nothing comes back.
    bool seen = false;
    OnNextModal([&](QWidget* w) {
        auto* set = qobject_cast<CDataSetDlg*>(w);
        ASSERT_NE(set, nullptr);
        seen = true;
        EXPECT_EQ(Edit(set, 1000)->text(), "2000");
        EXPECT_EQ(Edit(set, 1038)->text(), "10");
        EXPECT_TRUE(Button(set, 1039)->isChecked());
        EXPECT_TRUE(Button(set, 1043)->isChecked());
        EXPECT_TRUE(Edit(set, 1044)->isEnabled());
        EXPECT_EQ(Edit(set, 1044)->text(), QStringLiteral("µV"));
        Edit(set, 1000)->setText("5");
        Click(set, 2);
    });
    dialog.OnDataSettings();
    EXPECT_TRUE(seen);
    EXPECT_EQ(dialog.m_rateValue, 2000);

    // Accepted: a period of 4 ms, unit V.
    OnNextModal([&](QWidget* w) {
        Click(w, 1040);
        Edit(w, 1000)->setText("4");
        Click(w, 1041);
        EXPECT_FALSE(Edit(w, 1044)->isEnabled());
        Edit(w, 1038)->setText("1000");
        Click(w, 1);
    });
    dialog.OnDataSettings();
    EXPECT_EQ(dialog.m_rateChoice, 1);
    EXPECT_EQ(dialog.m_rateValue, 4);
    EXPECT_EQ(dialog.m_unitChoice, 0);
    EXPECT_EQ(dialog.m_factor, 1000);
    EXPECT_EQ(dialog.m_otherUnit, "µV");  // the other-unit text is kept even when not chosen
}

TEST(DataSetDlg, PeriodAbove2000MsIsRefused) {
    CDataSetDlg dialog;
    dialog.m_rateChoice = 1;
    dialog.m_unitChoice = 1;
    dialog.m_rateValue = 2001;
    dialog.m_factor = 1;
    QString message;
    OnNextModal([&](QWidget* w) {
        auto* set = qobject_cast<CDataSetDlg*>(w);
        ASSERT_NE(set, nullptr);
        EXPECT_TRUE(Button(set, 1040)->isChecked());
        EXPECT_FALSE(Edit(set, 1044)->isEnabled());
        // 2001 ms would round to a rate of 0 Hz.
        CloseNextMessage(&message, set);
        set->accept();
        EXPECT_TRUE(set->isVisible());
        Edit(set, 1000)->setText("2000");
        set->accept();
    });
    ASSERT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_TRUE(message.contains("2000")) << message.toStdString();
    EXPECT_EQ(dialog.m_rateValue, 2000u);
}

TEST(DataSetDlg, FrequencyUpTo100000AndFactorRangeAndUnitTextLength) {
    CDataSetDlg dialog;
    dialog.m_rateChoice = 0;
    dialog.m_unitChoice = 2;
    dialog.m_rateValue = 100000;
    dialog.m_factor = 1;
    dialog.m_otherUnit = "nA";
    QString message;
    OnNextModal([&](QWidget* w) {
        auto* set = static_cast<CDataSetDlg*>(w);
        EXPECT_TRUE(Edit(set, 1044)->isEnabled());
        // At most ten characters can be typed.
        Edit(set, 1044)->setText(QStringLiteral("あいうえおかきくけこさ"));
        EXPECT_EQ(Edit(set, 1044)->text(), QStringLiteral("あいうえおかきくけこ"));
        Edit(set, 1038)->setText("0");
        CloseNextMessage(&message, set);
        set->accept();
        EXPECT_TRUE(set->isVisible());
        Edit(set, 1038)->setText("1000");
        set->accept();
    });
    ASSERT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_TRUE(message.contains("1000")) << message.toStdString();
    EXPECT_EQ(dialog.m_rateValue, 100000u);
    EXPECT_EQ(dialog.m_factor, 1000u);
    EXPECT_EQ(dialog.m_unitChoice, 2);
    EXPECT_EQ(dialog.m_otherUnit, "あいうえおかきくけこ");
}

TEST(DataSetDlg, LongerUnitFromADocumentIsShownWholeAndRefused) {
    CDataSetDlg dialog;
    dialog.m_rateChoice = 0;
    dialog.m_unitChoice = 2;
    dialog.m_rateValue = 2000;
    dialog.m_factor = 1;
    dialog.m_otherUnit = "abcdefghijkl";
    QString message;
    bool keptOpen = false;
    OnNextModal([&](QWidget* w) {
        auto* set = static_cast<CDataSetDlg*>(w);
        // Not cut: the user sees what the document holds and is told about it on OK.
        EXPECT_EQ(Edit(set, 1044)->text(), QStringLiteral("abcdefghijkl"));
        CloseNextMessage(&message, set);
        set->accept();
        keptOpen = set->isVisible();
        EXPECT_EQ(set->focusWidget(), Edit(set, 1044));
        Edit(set, 1044)->setText(QStringLiteral("abcdefghij"));
        set->accept();
    });
    ASSERT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_TRUE(keptOpen);
    EXPECT_EQ(message, QString::fromStdString(tavrel::TextLengthMessage(10)));
    EXPECT_EQ(dialog.m_otherUnit, "abcdefghij");
}

TEST(ExportSetDlg, OpensWithTheGivenAnswersAndKeepsRadiosUsable) {
    tavrel::ExportSettings settings;
    OnNextModal([](QWidget* w) {
        EXPECT_EQ(w->windowTitle(), QStringLiteral("データ書き出し設定"));
        EXPECT_TRUE(Button(w, 1002)->isChecked());
        EXPECT_FALSE(Button(w, 1004)->isChecked());
        EXPECT_TRUE(Button(w, 1039)->isChecked());
        EXPECT_TRUE(Button(w, 1040)->isEnabled());
        Click(w, 1002);
        Click(w, 1040);
        Click(w, 1);
    });
    ASSERT_TRUE(RunExportSettingsDialog(settings, nullptr));
    EXPECT_EQ(settings.m_header, 0);
    EXPECT_EQ(settings.m_numberColumn, 0);
    EXPECT_EQ(settings.m_numberKind, 1);

    OnNextModal([](QWidget* w) {
        Click(w, 1004);
        Click(w, 2);
    });
    EXPECT_FALSE(RunExportSettingsDialog(settings, nullptr));
    EXPECT_EQ(settings.m_numberColumn, 0);
}
