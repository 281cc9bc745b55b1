// The values of the data-file dialog ("データファイル設定", CDataFileDlg) and of the data-settings
// dialog ("データ設定", CDataSetDlg), and the rules that fill them from the document and apply
// them to the document's reading settings and to the sixteen chain heads. The dialogs themselves
// (controls, validation messages) live in the GUI; they work on these records.
#pragma once

#include <string>
#include <vector>

namespace tavrel {

class CKaisekiDoc;
struct RecordingValues;

// Ranges the dialogs validate on OK.
inline constexpr unsigned kMaxHeaderRows = 99;  // edit 1000 of the data-file dialog, 0-99
inline constexpr unsigned kMaxSkipColumns = 9;  // edit 1038 of the data-file dialog, 0-9
inline constexpr unsigned kMinRateValue = 1;    // edit 1000 of the data-settings dialog
inline constexpr unsigned kMaxRateValue = 100000;
// A longer period would give a rate below 1 Hz; the data-settings dialog refuses it.
inline constexpr unsigned kMaxPeriodMs = 2000;
inline constexpr unsigned kMinFactor = 1;  // edit 1038 of the data-settings dialog
inline constexpr unsigned kMaxFactor = 1000;
inline constexpr int kMaxOtherUnitChars = 10;  // edit 1044 of the data-settings dialog

// The members of the data-file dialog, with the values it is constructed with.
struct DataFileSettings {
    std::string m_otherUnit;          // unit text for the "その他" choice (UTF-8)
    int m_factor = 1;                 // unit factor
    int m_rateValue = 1000;           // Hz or ms, according to m_rateChoice
    int m_unitChoice = 1;             // 0 = "V", 1 = "mV", 2 = other (m_otherUnit)
    int m_rateChoice = 0;             // 0 = frequency in Hz, 1 = period in ms
    unsigned m_headerRowsValue = 0;   // edit 1000, 0-99
    unsigned m_skipColumnsValue = 0;  // edit 1038, 0-9
    int m_headerCheck = 0;            // check box 1002: skip header rows
    int m_timeStampCheck = 0;         // check box 1004: always disabled, never used
    int m_skipCheck = 0;              // check box 1006: skip leading columns
    // The data signals of the recording the data file is (shown by the dialog; empty for text).
    std::vector<std::string> m_recordingSignals;
};

// The members of the data-settings dialog: the five values it shares with the data-file dialog,
// with the values it is constructed with (the data-file dialog always replaces them).
struct DataSettingsValues {
    int m_rateChoice = -1;     // radio group 1039/1040; -1 = no button selected
    int m_unitChoice = -1;     // radio group 1041/1042/1043; -1 = no button selected
    unsigned m_rateValue = 0;  // edit 1000, 1-100000
    unsigned m_factor = 0;     // edit 1038, 1-1000
    std::string m_otherUnit;   // edit 1044, at most 10 characters (UTF-8)
};

// "Filling the data-file dialog": reading settings from the document; rate, factor and unit from
// channel 0's head when it exists. The rate choice stays at frequency.
DataFileSettings FillDataFileSettings(const CKaisekiDoc& doc);

// What the data-file dialog shows when it opens: the check boxes cleared, then header-row skip
// checked when the header-row value is not 0 and column skip checked when the column value is
// not 0 (their edit boxes are enabled exactly when they are checked).
void InitDataFileChecks(DataFileSettings& settings);

// The "データ設定" button: the five values copied into a new data-settings dialog, and copied back
// only when that dialog ends with OK.
DataSettingsValues TakeDataSettings(const DataFileSettings& settings);
void PutDataSettings(DataFileSettings& settings, const DataSettingsValues& values);

// The unit text of a unit choice: "V", "mV", the other unit, or empty for any other choice.
std::string UnitText(int unitChoice, const std::string& otherUnit);
// The rate in Hz: the value itself for choice 0, otherwise 1000 / period + 0.5 truncated. Never
// below 1 Hz: a period above 2000 ms (or a value that is not positive) gives 1 Hz, whereas it
// would give 0 Hz, for which no sample time can be computed.
int RateFromSettings(int rateChoice, int rateValue);

// Filling, InitDataFileChecks and applying without a change leave the document's reading settings
// and every head's rate, unit and factor as channel 0's head had them (the command-line tool
// replaces only the values given to it in between).
// "Applying the settings" after the data-file dialog ended with OK: the two reading settings of
// the document, and rate, unit text and factor of every chain head.
void ApplyDataFileSettings(CKaisekiDoc& doc, const DataFileSettings& settings);
// The second half of it: rate, unit text and factor of every chain head.
void ApplyValueSettings(CKaisekiDoc& doc, const DataFileSettings& settings);

// An EDF or BDF recording brings its own rate and unit: the rate in Hz, the unit "V" or "mV" as
// those choices and any other text as the other unit, and the factor 1.
void TakeRecordingValues(DataFileSettings& settings, const RecordingValues& values);
// The apply button's filling for the data file `dataPath` (as the path edit names it): as above,
// except for a recording: its signals are listed, it has no header rows, a recording other than
// the document's data file starts with no skipped signals (a skip left from a text file would
// hide its first signals), and the rate, unit and factor of the first read signal replace those
// of channel 0's head.
DataFileSettings FillDataFileSettings(const CKaisekiDoc& doc, const std::string& dataPath);
// Opening a document whose data file is a recording: the recording's rate, unit and factor 1
// written into all sixteen heads as the data-settings dialog writes them.
void ApplyRecordingSettings(CKaisekiDoc& doc, const RecordingValues& values);

}  // namespace tavrel
