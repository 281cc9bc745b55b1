// The three answers of the export settings dialog ("データ書き出し設定").
#pragma once

namespace tavrel {

struct ExportSettings {
    int m_header = 1;        // write a header line
    int m_numberColumn = 0;  // write a leading data-number column
    int m_numberKind = 0;    // 0 = serial number, 1 = time in ms
};

}  // namespace tavrel
