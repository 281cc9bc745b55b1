// Fuzzes the data-file reader. The first three bytes choose the header rows (0-99), the skipped
// columns (0-9) and the row cap; the rest is the file. The text is read whole and again in chunks
// of a size the input chooses, and once more as a large file is read in parallel (batches of
// that size cut at line ends, each parsed in two or three pieces side by side; then in two to five
// large parts read side by side in chunks of that size): all readings must give the same columns
// bit for bit, whatever the line ends, lengths and numbers. Whatever was read is then drawn and
// saved like a document.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "document/DataFileReader.h"
#include "platform/Host.h"

using namespace tavrel;

namespace {

bool SameBits(const std::vector<std::vector<double>>& a,
              const std::vector<std::vector<double>>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t c = 0; c < a.size(); ++c) {
        if (a[c].size() != b[c].size()) return false;
        if (!a[c].empty() &&
            std::memcmp(a[c].data(), b[c].data(), a[c].size() * sizeof(double)) != 0)
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static NullHost host;
    SetHost(&host);
    if (size < 3) return 0;
    ReadOptions options;
    options.headerRows = data[0] % 100;
    options.skipColumns = data[1] % 10;
    options.maxRows = data[2] < 128 ? 0 : data[2] - 127;
    std::size_t chunk = 1 + (data[2] % 61);
    std::string_view text(reinterpret_cast<const char*>(data) + 3, size - 3);

    std::vector<std::vector<double>> whole(DataFileReader::kColumns);
    int wholeRows = 0;
    ReadDataText(text, whole, wholeRows, options);

    std::vector<std::vector<double>> pieces(DataFileReader::kColumns);
    int pieceRows = 0;
    DataFileReader reader(pieces, pieceRows, options, static_cast<std::int64_t>(text.size()),
                          nullptr);
    for (std::size_t at = 0; at < text.size(); at += chunk)
        if (!reader.Feed(text.data() + at, std::min(chunk, text.size() - at))) break;
    reader.Finish();

    if (wholeRows != pieceRows || !SameBits(whole, pieces)) {
        std::fprintf(stderr, "reading in chunks of %zu differs from reading whole\n", chunk);
        std::abort();
    }
    std::vector<std::vector<double>> parallel(DataFileReader::kColumns);
    int parallelRows = 0;
    ReadDataTextInPieces(text, parallel, parallelRows, options, nullptr, 2 + data[1] % 2,
                         chunk * (1 + data[0] % 7));
    if (wholeRows != parallelRows || !SameBits(whole, parallel)) {
        std::fprintf(stderr, "reading in parallel pieces differs from reading whole\n");
        std::abort();
    }
    std::vector<std::vector<double>> parts(DataFileReader::kColumns);
    int partRows = 0;
    ReadDataTextInParts(text, parts, partRows, options, 2 + data[0] % 4, chunk);
    if (wholeRows != partRows || !SameBits(whole, parts)) {
        std::fprintf(stderr, "reading in parallel parts differs from reading whole\n");
        std::abort();
    }
    if (options.maxRows > 0 && wholeRows > options.maxRows) {
        std::fprintf(stderr, "%d rows read with a cap of %d\n", wholeRows, options.maxRows);
        std::abort();
    }

    CKaisekiDoc doc;
    doc.OnNewDocument();
    for (std::size_t c = 0; c < CKaisekiDoc::kChannels; ++c)
        doc.m_channelEnabled[c] = 1;
    doc.m_columns = std::move(whole);
    doc.m_rowCount = wholeRows;
    fuzz::ExerciseDocument(doc);
    return 0;
}
