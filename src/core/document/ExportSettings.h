// The answers of the export settings dialog ("データ書き出し設定").
#pragma once

namespace tavrel {

struct ExportSettings {
    int m_header = 1;        // write a header line
    int m_numberColumn = 0;  // write a leading data-number column
    int m_numberKind = 0;    // 0 = serial number, 1 = time in ms
    // 1 = every channel gets its own time column beside its values, and cells past a channel's
    // last value stay empty (for channels of unequal lengths, such as a decimated one); 0 = one
    // shared layout in which a shorter channel reads 0.
    int m_perChannelTime = 0;
};

}  // namespace tavrel
