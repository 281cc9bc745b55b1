// The data-file dialog's members exchanged with the document through the filling and applying
// rules of the document's data settings.
#include "document/DataSettings.h"
#include "gui/document/DataFileDlg.h"

namespace tavrel::qt {

DataFileSettings CDataFileDlg::Settings() const {
    DataFileSettings s;
    s.m_otherUnit = m_otherUnit;
    s.m_factor = m_factor;
    s.m_rateValue = m_rateValue;
    s.m_unitChoice = m_unitChoice;
    s.m_rateChoice = m_rateChoice;
    s.m_headerRowsValue = m_headerRowsValue;
    s.m_skipColumnsValue = m_skipColumnsValue;
    s.m_headerCheck = m_headerCheck;
    s.m_timeStampCheck = m_timeStampCheck;
    s.m_skipCheck = m_skipCheck;
    s.m_recordingSignals = m_recordingSignals;
    return s;
}

void CDataFileDlg::SetSettings(const DataFileSettings& s) {
    m_otherUnit = s.m_otherUnit;
    m_factor = s.m_factor;
    m_rateValue = s.m_rateValue;
    m_unitChoice = s.m_unitChoice;
    m_rateChoice = s.m_rateChoice;
    m_headerRowsValue = s.m_headerRowsValue;
    m_skipColumnsValue = s.m_skipColumnsValue;
    m_headerCheck = s.m_headerCheck;
    m_timeStampCheck = s.m_timeStampCheck;
    m_skipCheck = s.m_skipCheck;
    m_recordingSignals = s.m_recordingSignals;
}

void CDataFileDlg::FillFromDocument(const CKaisekiDoc& doc) {
    SetSettings(FillDataFileSettings(doc));
}

void CDataFileDlg::ApplyToDocument(CKaisekiDoc& doc) const {
    ApplyDataFileSettings(doc, Settings());
}

}  // namespace tavrel::qt
