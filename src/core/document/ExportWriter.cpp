#include "document/ExportWriter.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <charconv>
#include <condition_variable>
#include <mutex>

#include "document/KaisekiDoc.h"
#include "document/ParallelChannels.h"
#include "platform/AtomicFile.h"
#include "platform/LargePages.h"
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
// The bytes reserved for a piece: rows of sixteen cells of up to 17 characters, and a time.
constexpr std::size_t kPieceRoom = std::size_t{4} << 20;

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
    // Many rows on several threads: pieces of rows formatted side by side and handed to the sink
    // in order. Each thread takes the next piece as soon as it is done with one, and whoever
    // finds the oldest pieces finished hands them on (one thread at a time), so the writing
    // overlaps the formatting with no thread waiting for a batch to end.
    if (!out.empty() && !sink(out)) return false;
    const std::size_t pieces = (rows + kRowsPerPiece - 1) / kRowsPerPiece;
    // Pieces formatted ahead of the writing at most (each slot is reused once its piece is
    // handed on).
    const std::size_t slots = static_cast<std::size_t>(threads) * 3;
    // Each slot on cache lines of its own: threads appending to strings side by side in one
    // array would pass those lines between them at every append.
    struct alignas(64) Slot {
        std::string text;
        bool ready = false;  // formatted and not yet handed on (guarded by `lock`)
    };
    std::vector<Slot> ring(slots);
    std::mutex lock;
    std::condition_variable changed;
    std::size_t handedOn = 0;  // pieces given to the sink (guarded by `lock`)
    bool writing = false;      // a thread is handing pieces on (guarded by `lock`)
    bool refused = false;      // the sink refused a piece (guarded by `lock`)
    std::atomic<std::size_t> next{0};
    // Hands on the finished pieces that are next in order, unless another thread does. Called
    // with `held` locked; unlocks it while the sink works.
    const auto handOn = [&](std::unique_lock<std::mutex>& held) {
        if (writing) return;
        writing = true;
        while (!refused && handedOn < pieces && ring[handedOn % slots].ready) {
            Slot& slot = ring[handedOn % slots];
            held.unlock();
            const bool accepted = sink(slot.text);
            held.lock();
            refused = !accepted;
            slot.ready = false;
            ++handedOn;
            changed.notify_all();
        }
        writing = false;
    };
    const auto formatPieces = [&] {
        for (;;) {
            const std::size_t piece = next.fetch_add(1);
            if (piece >= pieces) return;
            Slot& slot = ring[piece % slots];
            {
                // The slot is free once the piece formatted in it before was handed on.
                std::unique_lock<std::mutex> held(lock);
                while (!refused && handedOn + slots <= piece) {
                    handOn(held);
                    if (!refused && handedOn + slots <= piece) changed.wait(held);
                }
                if (refused) return;
            }
            slot.text.clear();
            // Room for the widest lines at once, on a large page: growing the string as it
            // fills would copy it and touch fresh small pages at every step.
            ReserveOnLargePages(slot.text, kPieceRoom);
            const std::size_t first = piece * kRowsPerPiece;
            appendRows(slot.text, first, std::min(rows, first + kRowsPerPiece));
            std::unique_lock<std::mutex> held(lock);
            slot.ready = true;
            handOn(held);
        }
    };
    ParallelFor(threads, [&](int) {
        try {
            formatPieces();
        } catch (...) {
            // No memory for a piece: the other threads must not wait for it.
            std::lock_guard<std::mutex> held(lock);
            refused = true;
            changed.notify_all();
            throw;
        }
    });
    // The pieces finished last, while another thread was handing on.
    std::unique_lock<std::mutex> held(lock);
    handOn(held);
    return !refused && handedOn == pieces;
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
    std::array<ChannelExport, CKaisekiDoc::kChannels> channels =
        GatherChannelData(doc, Gathering::View);
    // Written beside the target and put in its place only when complete, so a failure leaves
    // an earlier file as it was and no partial file.
    AtomicFile file(path);
    const auto sink = [&file](std::string_view bytes) { return file.Write(bytes); };
    if (file.IsOpen() && WriteExport(channels, settings, sink) && file.Commit()) return Done{};
    return Failure(file.Reason());
}

}  // namespace tavrel
