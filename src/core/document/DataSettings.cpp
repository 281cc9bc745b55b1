#include "document/DataSettings.h"

#include <limits>
#include <optional>

#include "document/KaisekiDoc.h"
#include "document/Recording.h"
#include "platform/Rounding.h"

namespace tavrel {

namespace {

void SetUnit(DataFileSettings& settings, const std::string& unit) {
    if (unit == "V") {
        settings.m_unitChoice = 0;
        settings.m_otherUnit.clear();
    } else if (unit == "mV") {
        settings.m_unitChoice = 1;
        settings.m_otherUnit.clear();
    } else {
        settings.m_unitChoice = 2;
        settings.m_otherUnit = unit;
    }
}

}  // namespace

DataFileSettings FillDataFileSettings(const CKaisekiDoc& doc) {
    DataFileSettings settings;
    // The edit boxes are unsigned; a negative count from a damaged document shows as a value
    // outside the range, which the dialog refuses until it is corrected.
    settings.m_headerRowsValue = static_cast<unsigned>(doc.m_headerRows);
    settings.m_skipColumnsValue = static_cast<unsigned>(doc.m_skipColumns);
    if (const CHeadFilter* head = doc.Head(0)) {
        settings.m_rateValue = head->m_samplingRate;
        settings.m_factor = head->m_unitFactor;
        SetUnit(settings, head->m_unit);
    }
    return settings;
}

void TakeRecordingValues(DataFileSettings& settings, const RecordingValues& values) {
    settings.m_rateChoice = 0;
    settings.m_rateValue = values.rate;
    settings.m_factor = 1;
    SetUnit(settings, values.unit);
}

DataFileSettings FillDataFileSettings(const CKaisekiDoc& doc, const std::string& dataPath) {
    DataFileSettings settings = FillDataFileSettings(doc);
    const std::string path = ResolveDataPath(dataPath, doc.GetPathName());
    // The file read as far as its first sample, with the document's skip: its signals, and the
    // values of the first signal read.
    ReadOptions probe;
    probe.skipColumns = doc.m_skipColumns;
    probe.maxRows = 1;
    RecordingResult read = ReadRecording(path, probe, nullptr);
    if (!read) return settings;
    std::optional<RecordingValues> values = read->notes.values;
    settings.m_recordingSignals = std::move(read->signalLabels);
    if (!settings.m_recordingSignals.empty()) {
        settings.m_headerRowsValue = 0;
        if (doc.m_dataFilePath.empty() ||
            path != ResolveDataPath(doc.m_dataFilePath, doc.GetPathName())) {
            settings.m_skipColumnsValue = 0;
            if (doc.m_skipColumns != 0) values = ReadRecordingValues(path, 0);
        }
    }
    if (values) TakeRecordingValues(settings, *values);
    return settings;
}

void ApplyRecordingSettings(CKaisekiDoc& doc, const RecordingValues& values) {
    DataFileSettings settings = FillDataFileSettings(doc);
    TakeRecordingValues(settings, values);
    ApplyValueSettings(doc, settings);
}

void InitDataFileChecks(DataFileSettings& settings) {
    settings.m_headerCheck = settings.m_headerRowsValue != 0 ? 1 : 0;
    settings.m_skipCheck = settings.m_skipColumnsValue != 0 ? 1 : 0;
    settings.m_timeStampCheck = 0;
}

DataSettingsValues TakeDataSettings(const DataFileSettings& settings) {
    DataSettingsValues values;
    values.m_rateChoice = settings.m_rateChoice;
    values.m_unitChoice = settings.m_unitChoice;
    values.m_otherUnit = settings.m_otherUnit;
    values.m_rateValue = static_cast<unsigned>(settings.m_rateValue);
    values.m_factor = static_cast<unsigned>(settings.m_factor);
    return values;
}

void PutDataSettings(DataFileSettings& settings, const DataSettingsValues& values) {
    settings.m_rateChoice = values.m_rateChoice;
    settings.m_unitChoice = values.m_unitChoice;
    settings.m_otherUnit = values.m_otherUnit;
    // The dialog accepts only 1-100000 and 1-1000; anything larger saturates rather than
    // wrapping to a negative int.
    constexpr unsigned kIntMax = static_cast<unsigned>(std::numeric_limits<int>::max());
    settings.m_rateValue =
        static_cast<int>(values.m_rateValue > kIntMax ? kIntMax : values.m_rateValue);
    settings.m_factor = static_cast<int>(values.m_factor > kIntMax ? kIntMax : values.m_factor);
}

std::string UnitText(int unitChoice, const std::string& otherUnit) {
    switch (unitChoice) {
        case 0:
            return "V";
        case 1:
            return "mV";
        case 2:
            return otherUnit;
        default:
            return {};
    }
}

int RateFromSettings(int rateChoice, int rateValue) {
    int rate = rateValue;
    if (rateChoice != 0) rate = rateValue > 0 ? TruncToInt(1000.0 / rateValue + 0.5) : 1;
    return rate < 1 ? 1 : rate;
}

void ApplyDataFileSettings(CKaisekiDoc& doc, const DataFileSettings& settings) {
    constexpr unsigned kIntMax = static_cast<unsigned>(std::numeric_limits<int>::max());
    auto toInt = [](unsigned v) { return static_cast<int>(v > kIntMax ? kIntMax : v); };
    doc.m_headerRows = settings.m_headerCheck ? toInt(settings.m_headerRowsValue) : 0;
    doc.m_skipColumns = settings.m_skipCheck ? toInt(settings.m_skipColumnsValue) : 0;
    ApplyValueSettings(doc, settings);
}

void ApplyValueSettings(CKaisekiDoc& doc, const DataFileSettings& settings) {
    std::string unit = UnitText(settings.m_unitChoice, settings.m_otherUnit);
    int rate = RateFromSettings(settings.m_rateChoice, settings.m_rateValue);
    for (int channel = 0; channel < CKaisekiDoc::kChannels; ++channel) {
        if (CHeadFilter* head = doc.Head(channel)) {
            head->m_samplingRate = rate;
            head->m_unit = unit;
            head->m_unitFactor = settings.m_factor;
        }
    }
}

}  // namespace tavrel
