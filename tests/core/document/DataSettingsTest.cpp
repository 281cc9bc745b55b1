// Filling the data-file dialog from the document and applying its answers.
#include "document/DataSettings.h"

#include <gtest/gtest.h>

#include "document/KaisekiDoc.h"

namespace tavrel {
namespace {

class DataSettings : public ::testing::Test {
  protected:
    void SetUp() override { doc.OnNewDocument(); }
    CKaisekiDoc doc;
};

TEST_F(DataSettings, FillingTakesReadingSettingsAndChannelZerosHead) {
    doc.m_headerRows = 3;
    doc.m_skipColumns = 2;
    doc.Head(0)->m_samplingRate = 500;
    doc.Head(0)->m_unitFactor = 10;
    doc.Head(0)->m_unit = "V";
    doc.Head(1)->m_unit = "ignored";
    DataFileSettings s = FillDataFileSettings(doc);
    EXPECT_EQ(s.m_headerRowsValue, 3u);
    EXPECT_EQ(s.m_skipColumnsValue, 2u);
    EXPECT_EQ(s.m_rateValue, 500);
    EXPECT_EQ(s.m_factor, 10);
    EXPECT_EQ(s.m_unitChoice, 0);
    EXPECT_EQ(s.m_rateChoice, 0);  // always opens in frequency mode
    EXPECT_EQ(s.m_headerCheck, 0);
    EXPECT_EQ(s.m_skipCheck, 0);

    doc.Head(0)->m_unit = "mV";
    EXPECT_EQ(FillDataFileSettings(doc).m_unitChoice, 1);
    EXPECT_TRUE(FillDataFileSettings(doc).m_otherUnit.empty());
    doc.Head(0)->m_unit = "µA";
    s = FillDataFileSettings(doc);
    EXPECT_EQ(s.m_unitChoice, 2);
    EXPECT_EQ(s.m_otherUnit, "µA");
    // An empty unit is an "other" unit too.
    doc.Head(0)->m_unit = "";
    EXPECT_EQ(FillDataFileSettings(doc).m_unitChoice, 2);
}

TEST_F(DataSettings, FillingWithoutAHeadKeepsTheDialogsInitialValues) {
    doc.m_chains.clear();
    DataFileSettings s = FillDataFileSettings(doc);
    EXPECT_EQ(s.m_rateValue, 1000);
    EXPECT_EQ(s.m_factor, 1);
    EXPECT_EQ(s.m_unitChoice, 1);
}

TEST_F(DataSettings, ChecksAreSetForNonzeroCounts) {
    DataFileSettings s;
    s.m_headerRowsValue = 4;
    s.m_headerCheck = 0;
    s.m_skipCheck = 1;
    s.m_timeStampCheck = 1;
    InitDataFileChecks(s);
    EXPECT_EQ(s.m_headerCheck, 1);
    EXPECT_EQ(s.m_skipCheck, 0);
    EXPECT_EQ(s.m_timeStampCheck, 0);
}

TEST_F(DataSettings, DataSettingsButtonCopiesFiveValuesBackOnlyThroughPut) {
    DataFileSettings s;
    s.m_rateChoice = 0;
    s.m_rateValue = 2000;
    s.m_unitChoice = 2;
    s.m_otherUnit = "Pa";
    s.m_factor = 5;
    DataSettingsValues v = TakeDataSettings(s);
    EXPECT_EQ(v.m_rateValue, 2000u);
    EXPECT_EQ(v.m_unitChoice, 2);
    EXPECT_EQ(v.m_otherUnit, "Pa");
    EXPECT_EQ(v.m_factor, 5u);
    v.m_rateChoice = 1;
    v.m_rateValue = 3;
    v.m_unitChoice = 0;
    v.m_factor = 4000000000u;  // never accepted by the dialog; must not turn negative
    PutDataSettings(s, v);
    EXPECT_EQ(s.m_rateChoice, 1);
    EXPECT_EQ(s.m_rateValue, 3);
    EXPECT_EQ(s.m_unitChoice, 0);
    EXPECT_GT(s.m_factor, 0);
}

TEST_F(DataSettings, RateFromFrequencyOrPeriod) {
    EXPECT_EQ(RateFromSettings(0, 2000), 2000);
    EXPECT_EQ(RateFromSettings(1, 1), 1000);
    EXPECT_EQ(RateFromSettings(1, 3), 333);
    EXPECT_EQ(RateFromSettings(1, 6), 167);  // 166.67 + 0.5 truncated
    EXPECT_EQ(RateFromSettings(1, 2000), 1);
    // A longer period would give 0 Hz, for which no sample time exists: it is held at 1 Hz.
    EXPECT_EQ(RateFromSettings(1, 2001), 1);
    EXPECT_EQ(RateFromSettings(1, 100000), 1);
    EXPECT_EQ(RateFromSettings(1, 0), 1);
    EXPECT_EQ(RateFromSettings(0, 0), 1);
    EXPECT_EQ(RateFromSettings(0, -5), 1);
}

TEST_F(DataSettings, ApplyingWritesReadingSettingsAndEveryHead) {
    DataFileSettings s;
    s.m_headerRowsValue = 5;
    s.m_skipColumnsValue = 2;
    s.m_headerCheck = 1;
    s.m_skipCheck = 0;  // an unchecked count is not used
    s.m_rateChoice = 1;
    s.m_rateValue = 4;
    s.m_unitChoice = 2;
    s.m_otherUnit = "kPa";
    s.m_factor = 100;
    ApplyDataFileSettings(doc, s);
    EXPECT_EQ(doc.m_headerRows, 5);
    EXPECT_EQ(doc.m_skipColumns, 0);
    for (int c = 0; c < 16; ++c) {
        EXPECT_EQ(doc.Head(c)->m_samplingRate, 250) << c;
        EXPECT_EQ(doc.Head(c)->m_unit, "kPa");
        EXPECT_EQ(doc.Head(c)->m_unitFactor, 100);
    }

    s.m_unitChoice = 7;  // no radio button: empty unit
    s.m_rateChoice = 1;
    s.m_rateValue = 5000;
    ApplyDataFileSettings(doc, s);
    EXPECT_EQ(doc.Head(15)->m_unit, "");
    EXPECT_EQ(doc.Head(15)->m_samplingRate, 1);

    // Filled again from the result, the dialog shows the applied values in Hz.
    s.m_unitChoice = 0;
    s.m_rateChoice = 0;
    s.m_rateValue = 48000;
    ApplyDataFileSettings(doc, s);
    DataFileSettings again = FillDataFileSettings(doc);
    EXPECT_EQ(again.m_rateValue, 48000);
    EXPECT_EQ(again.m_unitChoice, 0);
    EXPECT_EQ(again.m_factor, 100);
}

TEST_F(DataSettings, FillingThenApplyingUnchangedKeepsTheDocumentsSettings) {
    // What the command-line tool does: fill from the document, replace some values, apply.
    doc.m_headerRows = 7;
    doc.m_skipColumns = 1;
    doc.Head(0)->m_samplingRate = 1234;
    doc.Head(0)->m_unit = "Pa";
    doc.Head(0)->m_unitFactor = 3;
    DataFileSettings s = FillDataFileSettings(doc);
    InitDataFileChecks(s);
    s.m_factor = 9;
    ApplyDataFileSettings(doc, s);
    EXPECT_EQ(doc.m_headerRows, 7);
    EXPECT_EQ(doc.m_skipColumns, 1);
    for (int c = 0; c < 16; ++c) {
        EXPECT_EQ(doc.Head(c)->m_samplingRate, 1234);
        EXPECT_EQ(doc.Head(c)->m_unit, "Pa");
        EXPECT_EQ(doc.Head(c)->m_unitFactor, 9);
    }
}

}  // namespace
}  // namespace tavrel
