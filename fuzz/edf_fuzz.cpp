// Fuzzes the reading of EDF and BDF recordings. The first byte chooses the skipped signals (0-9)
// and the row cap; the second whether the file starts as EDF or BDF (its first eight bytes are
// overwritten with that format's mark, so every input reaches EDFlib); the rest is the file.
// EDFlib reads from a path, so the input is written to a temporary file first. The document must
// either refuse the file and keep the data it held, or read columns within the rules: at most
// the cap per column, column 0 as long as the row count. Whatever was read is then drawn and
// saved like a document.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "FuzzSupport.h"
#include "document/DataSettings.h"
#include "document/EdfReader.h"
#include "document/Recording.h"
#include "platform/Host.h"

using namespace tavrel;

namespace {

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

const std::string& TemporaryPath() {
    static const std::string path = [] {
        const char* dir = std::getenv("TMPDIR");
        return std::string(dir && *dir ? dir : "/tmp") + "/tavrel-edf-fuzz-" +
               std::to_string(getpid()) + ".edf";
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static NullHost host;
    SetHost(&host);
    if (size < 2 + 8) return 0;
    const int skip = data[0] % 10;
    const int maxRows = (data[0] / 10) % 3 == 0 ? 0 : 1 + (data[0] / 30) * 97;
    std::string file(reinterpret_cast<const char*>(data) + 2, size - 2);
    file.replace(0, 8,
                 data[1] & 1 ? std::string("\xFF"
                                           "BIOSEMI")
                             : std::string("0       "));

    const std::string& path = TemporaryPath();
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return 0;
    const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    if (std::fclose(out) != 0 || !written) return 0;

    CKaisekiDoc doc;
    doc.OnNewDocument();
    doc.m_skipColumns = skip;
    doc.m_columns[5] = {1.0, 2.0};
    doc.m_rowCount = 2;
    doc.m_dataFilePath = path;
    const std::optional<RecordingValues> values = ReadRecordingValues(path, skip);
    if (values && (values->rate < 1 || values->rate > 100000)) Fail("rate out of range");
    const auto read = doc.LoadDataFile(maxRows, nullptr, true);
    if (!read) {
        if (read.Error().reason.empty()) Fail("a refusal without a reason");
        if (doc.m_rowCount != 2 || doc.m_columns[5].size() != 2) Fail("a refusal lost the data");
    } else {
        if (read->outOfMemory || read->cancelled) Fail("unexpected result");
        if (doc.m_rowCount != static_cast<int>(doc.m_columns[0].size()))
            Fail("row count differs from column 0");
        for (const auto& column : doc.m_columns) {
            if (maxRows > 0 && column.size() > static_cast<std::size_t>(maxRows))
                Fail("a column exceeds the row cap");
            if (column.size() > doc.m_columns[0].size()) Fail("a column longer than column 0");
        }
        // The reading gives the header's values as reading the header alone does.
        if (values.has_value() != read->values.has_value() ||
            (values && (values->rate != read->values->rate || values->unit != read->values->unit)))
            Fail("the header read differently twice");
        fuzz::ExerciseDocument(doc);
    }
    std::remove(path.c_str());
    return 0;
}
