// The channel-assignment dialog: what it opens with and what OK and Cancel write.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QtTest/QTest>

#include "document/KaisekiDoc.h"
#include "gui/document/ChAssignDlg.h"
#include "gui/platform/DialogLayout.h"

using tavrel::CKaisekiDoc;
using tavrel::qt::CChAssignDlg;
using tavrel::qt::Control;

namespace {

QCheckBox* Box(CChAssignDlg& d, int channel) {
    return Control<QCheckBox>(&d, CChAssignDlg::CheckId(channel));
}
QComboBox* List(CChAssignDlg& d, int channel) {
    return Control<QComboBox>(&d, CChAssignDlg::ListId(channel));
}
void Press(CChAssignDlg& d, int id) {
    QTest::mouseClick(Control<QPushButton>(&d, id), Qt::LeftButton);
}

}  // namespace

TEST(ChAssignDlg, NewDocumentOpensWithEveryChannelOnItsOwnColumn) {
    CKaisekiDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    CChAssignDlg dialog;
    dialog.m_doc = &doc;
    dialog.OnInitDialog();
    for (int channel = 1; channel <= 16; ++channel) {
        ASSERT_NE(Box(dialog, channel), nullptr) << channel;
        EXPECT_TRUE(Box(dialog, channel)->isChecked()) << channel;
        EXPECT_EQ(Box(dialog, channel)->text(), QStringLiteral("CH%1").arg(channel));
        ASSERT_EQ(List(dialog, channel)->count(), 16);
        EXPECT_EQ(List(dialog, channel)->currentText(), QString::number(channel));
    }
    EXPECT_EQ(List(dialog, 3)->currentText(), "3");
    // The controls carry the ids the program names them with.
    EXPECT_EQ(Control<QCheckBox>(&dialog, 1002)->text(), "CH1");
    EXPECT_EQ(Control<QCheckBox>(&dialog, 1017)->text(), "CH16");
    EXPECT_EQ(Control<QComboBox>(&dialog, 1035), List(dialog, 1));
    EXPECT_EQ(Control<QComboBox>(&dialog, 1050), List(dialog, 16));
    EXPECT_EQ(List(dialog, 7)->itemText(15), "16");
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("CH割当設定"));
}

TEST(ChAssignDlg, ClearedChannelGetsNoSourceAndReopensClearedOnItsOwnNumber) {
    CKaisekiDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    {
        CChAssignDlg dialog;
        dialog.m_doc = &doc;
        dialog.OnInitDialog();
        QTest::mouseClick(Box(dialog, 5), Qt::LeftButton);
        Press(dialog, 1);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    EXPECT_EQ(doc.m_channelSource[4], 255);
    EXPECT_EQ(doc.m_channelSource[3], 3);
    EXPECT_EQ(doc.m_channelSource[5], 5);

    CChAssignDlg again;
    again.m_doc = &doc;
    again.OnInitDialog();
    EXPECT_FALSE(Box(again, 5)->isChecked());
    EXPECT_EQ(List(again, 5)->currentText(), "5");
}

TEST(ChAssignDlg, TwoChannelsMayShareAColumnAndCancelWritesNothing) {
    CKaisekiDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    doc.m_channelSource[9] = 2;
    {
        CChAssignDlg dialog;
        dialog.m_doc = &doc;
        dialog.OnInitDialog();
        // A stored column other than the channel's own number is what the list shows.
        EXPECT_EQ(List(dialog, 10)->currentText(), "3");
        List(dialog, 2)->setCurrentIndex(0);
        QTest::mouseClick(Box(dialog, 1), Qt::LeftButton);
        Press(dialog, 2);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
    EXPECT_EQ(doc.m_channelSource[1], 1);
    EXPECT_EQ(doc.m_channelSource[0], 0);

    CChAssignDlg dialog;
    dialog.m_doc = &doc;
    dialog.OnInitDialog();
    List(dialog, 2)->setCurrentIndex(0);
    List(dialog, 16)->setCurrentIndex(15);
    // A checked channel whose list has no selection gets no source.
    List(dialog, 8)->setCurrentIndex(-1);
    Press(dialog, 1);
    EXPECT_EQ(doc.m_channelSource[7], 255);
    EXPECT_EQ(doc.m_channelSource[0], 0);
    EXPECT_EQ(doc.m_channelSource[1], 0);
    EXPECT_EQ(doc.m_channelSource[9], 2);
    EXPECT_EQ(doc.m_channelSource[15], 15);
}
