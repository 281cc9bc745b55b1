#include "document/ExportWriter.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "document/KaisekiDoc.h"
#include "document/ParallelChannels.h"
#include "platform/AtomicFile.h"
#include "platform/NumberFormat.h"
#include "platform/TextCodec.h"
#include "platform/Translate.h"
#include "platform/WorkerPool.h"

namespace tavrel {

namespace {

constexpr std::size_t kFlushBytes = 1 << 20;
constexpr int kDigits = 10;  // "%0.10G"
// Rows formatted as one piece when several threads format the lines.
constexpr std::size_t kRowsPerPiece = 8192;

void AppendInt(std::string& out, long long value) {
    char digits[24];
    auto r = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, r.ptr);
}

// A unit label comes from the document, where a hand-made file can put line breaks into it; written
// as they stand they would split the header into several lines and shift every data line, so CR
// and LF are written as spaces. (Neither byte can be the second byte of a CP932 character.)
void AppendLabel(std::string& out, const std::string& label) {
    std::size_t from = out.size();
    out += Utf8ToCp932Lossy(label);
    std::replace_if(
        out.begin() + static_cast<std::ptrdiff_t>(from), out.end(),
        [](char c) { return c == '\r' || c == '\n'; }, ' ');
}

// The channel-by-channel layout: a time column and a value column for every channel up to the
// last one with values, empty cells past a channel's end.
void AppendPerChannelHeader(std::string& out, std::span<const ChannelExport> channels, int last) {
    for (int d = 0; d <= last; ++d) {
        if (d > 0) out += ',';
        out += "CH";
        AppendInt(out, d + 1);
        out += " time [ms],CH";
        AppendInt(out, d + 1);
        out += '(';
        if (static_cast<std::size_t>(d) < channels.size())
            AppendLabel(out, channels[static_cast<std::size_t>(d)].label);
        out += ')';
    }
}

void AppendPerChannelCells(std::string& out, std::span<const ChannelExport> channels, int last,
                           std::size_t i) {
    for (int d = 0; d <= last; ++d) {
        if (d > 0) out += ',';
        const ChannelExport& channel = channels[static_cast<std::size_t>(d)];
        if (i < channel.Values().size()) {
            if (i < channel.TimeCount()) AppendG(out, channel.TimeAt(i), kDigits);
            out += ',';
            AppendG(out, channel.Values()[i], kDigits);
        } else {
            out += ',';
        }
    }
}

}  // namespace

bool WriteExport(std::span<const ChannelExport> channels, const ExportSettings& settings,
                 const ExportSink& sink) {
    const std::size_t channelCount = channels.size();
    std::vector<std::size_t> counts(channelCount);
    std::vector<const double*> values(channelCount);
    std::size_t rows = 0;      // N: the largest count
    std::size_t timeFrom = 0;  // M: the lowest channel with N values
    int lastWithValues = -1;
    for (std::size_t d = 0; d < channelCount; ++d) {
        counts[d] = channels[d].Values().size();
        values[d] = channels[d].Values().data();
        if (counts[d] > rows) {
            rows = counts[d];
            timeFrom = d;
        }
        if (counts[d] > 0) lastWithValues = static_cast<int>(d);
    }
    const bool numberColumn = settings.m_numberColumn != 0;
    const bool timeColumn = numberColumn && settings.m_numberKind != 0;
    const bool perChannel = settings.m_perChannelTime != 0;

    std::string out;
    out.reserve(kFlushBytes + 4096);
    if (settings.m_header) {
        if (numberColumn) out += timeColumn ? "Time([ms])," : "Num,";
        int last = std::max(lastWithValues, 0);
        if (perChannel) AppendPerChannelHeader(out, channels, channelCount ? last : -1);
        for (int d = 0; !perChannel && d <= last; ++d) {
            if (d > 0) out += ',';
            out += "CH";
            AppendInt(out, d + 1);
            out += '(';
            if (static_cast<std::size_t>(d) < channelCount)
                AppendLabel(out, channels[static_cast<std::size_t>(d)].label);
            out += ')';
        }
        out += "\r\n";
    }

    const ChannelExport* times = channelCount ? &channels[timeFrom] : nullptr;
    // The lines of rows [first, end) appended to `to`.
    auto appendRows = [&](std::string& to, std::size_t first, std::size_t end) {
        std::size_t highest = lastWithValues < 0 ? 0 : static_cast<std::size_t>(lastWithValues);
        for (std::size_t i = first; i < end; ++i) {
            // The last channel that still has a value at this index; it only moves down.
            while (counts[highest] <= i)
                --highest;
            if (numberColumn) {
                if (timeColumn)
                    AppendG(to, i < times->TimeCount() ? times->TimeAt(i) : 0.0, kDigits);
                else
                    AppendInt(to, static_cast<long long>(i));
                to += ',';
            }
            if (perChannel) AppendPerChannelCells(to, channels, lastWithValues, i);
            for (std::size_t d = 0; !perChannel && d <= highest; ++d) {
                if (d > 0) to += ',';
                if (counts[d] > i)
                    AppendG(to, values[d][i], kDigits);
                else
                    to += '0';
            }
            to += "\r\n";
        }
    };

    const int threads = ThreadCount();
    if (threads < 2 || rows < 2 * kRowsPerPiece) {
        constexpr std::size_t kRowsPerStep = 1024;
        for (std::size_t i = 0; i < rows; i += kRowsPerStep) {
            appendRows(out, i, std::min(rows, i + kRowsPerStep));
            if (out.size() >= kFlushBytes) {
                if (!sink(out)) return false;
                out.clear();
            }
        }
        return out.empty() || sink(out);
    }
    // Many rows on several threads: pieces of rows formatted side by side, handed on in order.
    // While one batch of pieces is handed to the sink (one item, the pieces in order), the next
    // batch is formatted, so the writing overlaps the formatting.
    if (!out.empty() && !sink(out)) return false;
    const std::size_t perBatch = static_cast<std::size_t>(threads) * 2;
    // Each piece's string on cache lines of its own: threads appending to strings side by side
    // in one array would pass those lines between them at every append.
    struct alignas(64) Piece {
        std::string text;
    };
    std::vector<Piece> formatting(perBatch);
    std::vector<Piece> formatted(perBatch);
    int ready = 0;  // pieces of `formatted` not yet handed on
    bool refused = false;
    for (std::size_t start = 0; start < rows || ready > 0;) {
        const std::size_t batchEnd = std::min(rows, start + perBatch * kRowsPerPiece);
        const auto count = static_cast<int>((batchEnd - start + kRowsPerPiece - 1) / kRowsPerPiece);
        const int writer = ready > 0 ? 1 : 0;
        ParallelFor(count + writer, [&](int item) {
            if (item < writer) {
                for (int k = 0; k < ready && !refused; ++k)
                    refused = !sink(formatted[static_cast<std::size_t>(k)].text);
                return;
            }
            const auto k = static_cast<std::size_t>(item - writer);
            std::string& piece = formatting[k].text;
            piece.clear();
            const std::size_t first = start + k * kRowsPerPiece;
            appendRows(piece, first, std::min(batchEnd, first + kRowsPerPiece));
        });
        if (refused) return false;
        formatting.swap(formatted);
        ready = count;
        start = batchEnd;
    }
    return true;
}

std::string FormatExport(std::span<const ChannelExport> channels, const ExportSettings& settings) {
    std::string text;
    WriteExport(channels, settings, [&text](std::string_view bytes) {
        text.append(bytes);
        return true;
    });
    return text;
}

std::string ProposeExportName(const std::string& dataFilePath) {
    if (dataFilePath.empty()) return "Untitled";
    std::size_t slash = dataFilePath.find_last_of("/\\");
    std::string name = slash == std::string::npos ? dataFilePath : dataFilePath.substr(slash + 1);
    // The prefix of the proposed name is a text the user reads (and edits) in the save dialog.
    return Translate("Document", "処理済") + name;
}

ExportResult WriteProcessedData(CKaisekiDoc& doc, const std::string& path,
                                const ExportSettings& settings) {
    // All sixteen channels are asked before the file is created.
    std::array<ChannelExport, CKaisekiDoc::kChannels> channels = GatherChannelData(doc, false);
    // Written beside the target and put in its place only when complete, so a failure leaves
    // an earlier file as it was and no partial file.
    AtomicFile file(path);
    const auto sink = [&file](std::string_view bytes) { return file.Write(bytes); };
    if (file.IsOpen() && WriteExport(channels, settings, sink) && file.Commit()) return Done{};
    return Failure(file.Reason());
}

}  // namespace tavrel
