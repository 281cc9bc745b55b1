#include "document/GdfReader.h"

#include <sys/stat.h>

#include <algorithm>
#include <bit>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <numeric>
#include <string>
#include <vector>

#include "document/BiosigReader.h"
#include "document/RecordingPlan.h"
#include "platform/Host.h"
#include "platform/Rounding.h"

namespace tavrel {

namespace {

constexpr std::size_t kFixedHeader = 256;
// Bytes of the data records read at once.
constexpr long long kBlockBytes = 4 << 20;

template <typename T>
T Load(const unsigned char* p) {
    T value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

// Samples of 24 bits, as GDF's types 279 (signed) and 535 (unsigned) store them.
struct Int24 {};
struct UInt24 {};

template <typename T>
constexpr std::size_t SampleBytes() {
    if constexpr (std::is_same_v<T, Int24> || std::is_same_v<T, UInt24>)
        return 3;
    else
        return sizeof(T);
}

template <typename T>
double Raw(const unsigned char* p) {
    if constexpr (std::is_same_v<T, Int24>) {
        const std::uint32_t bits = p[0] | p[1] << 8 | static_cast<std::uint32_t>(p[2]) << 16;
        return static_cast<std::int32_t>(bits << 8) >> 8;
    } else if constexpr (std::is_same_v<T, UInt24>) {
        return p[0] | p[1] << 8 | static_cast<std::uint32_t>(p[2]) << 16;
    } else {
        return static_cast<double>(Load<T>(p));
    }
}

// One read signal: where it lies in a record and how its raw values become physical ones.
struct Signal {
    std::uint32_t type = 0;
    std::size_t bytes = 0;  // of one sample
    long long offset = 0;   // of the signal's first sample in a record
    double cal = 0.0, off = 0.0, digMin = 0.0, digMax = 0.0;
};

// Decodes `count` samples of `signal` from the records in `block`, starting with sample `at` of
// the block (samples per record `spr`), into `out`: raw x cal + off, and not a number for a raw
// value at or beyond the digital range.
template <typename T>
void DecodeRun(const unsigned char* block, long long recordBytes, long long spr, long long at,
               long long count, const Signal& s, double* out) {
    constexpr auto kBytes = static_cast<long long>(SampleBytes<T>());
    const double nan = std::numeric_limits<double>::quiet_NaN();
    auto scale = [&](double raw) {
        return raw <= s.digMin || raw >= s.digMax ? nan : raw * s.cal + s.off;
    };
    if (spr == 1) {
        const unsigned char* p = block + at * recordBytes + s.offset;
        for (long long i = 0; i < count; ++i, p += recordBytes)
            out[i] = scale(Raw<T>(p));
        return;
    }
    for (long long i = 0; i < count;) {
        const long long r = (at + i) / spr, j = (at + i) % spr;
        const long long m = std::min(spr - j, count - i);
        const unsigned char* p = block + r * recordBytes + s.offset + j * kBytes;
        for (long long k = 0; k < m; ++k, p += kBytes)
            out[i + k] = scale(Raw<T>(p));
        i += m;
    }
}

// The bytes of one sample of GDF type `type`, 0 for a type not decoded here.
std::size_t TypeBytes(std::uint32_t type) {
    switch (type) {
        case 1:
        case 2:
            return 1;
        case 3:
        case 4:
            return 2;
        case 5:
        case 6:
        case 16:
            return 4;
        case 7:
        case 8:
        case 17:
            return 8;
        case 279:
        case 535:
            return 3;
        default:
            return 0;
    }
}

void Decode(const unsigned char* block, long long recordBytes, long long spr, long long at,
            long long count, const Signal& s, double* out) {
    switch (s.type) {
        case 1:
            return DecodeRun<std::int8_t>(block, recordBytes, spr, at, count, s, out);
        case 2:
            return DecodeRun<std::uint8_t>(block, recordBytes, spr, at, count, s, out);
        case 3:
            return DecodeRun<std::int16_t>(block, recordBytes, spr, at, count, s, out);
        case 4:
            return DecodeRun<std::uint16_t>(block, recordBytes, spr, at, count, s, out);
        case 5:
            return DecodeRun<std::int32_t>(block, recordBytes, spr, at, count, s, out);
        case 6:
            return DecodeRun<std::uint32_t>(block, recordBytes, spr, at, count, s, out);
        case 7:
            return DecodeRun<std::int64_t>(block, recordBytes, spr, at, count, s, out);
        case 8:
            return DecodeRun<std::uint64_t>(block, recordBytes, spr, at, count, s, out);
        case 16:
            return DecodeRun<float>(block, recordBytes, spr, at, count, s, out);
        case 17:
            return DecodeRun<double>(block, recordBytes, spr, at, count, s, out);
        case 279:
            return DecodeRun<Int24>(block, recordBytes, spr, at, count, s, out);
        case 535:
            return DecodeRun<UInt24>(block, recordBytes, spr, at, count, s, out);
        default:
            return;
    }
}

bool ReadAt(std::FILE* file, long long at, void* into, std::size_t bytes) {
    return std::fseek(file, static_cast<long>(at), SEEK_SET) == 0 &&
           std::fread(into, 1, bytes, file) == bytes;
}

// The descriptions of the user-defined event types in the extra header (the tags after the
// signals' headers), entry 0 empty as BioSig keeps them. False when the extra header holds what
// BioSig may read otherwise than here.
bool ReadEventDescriptions(const std::string& extra, std::vector<std::string>& descriptions) {
    descriptions.clear();
    bool seen = false;
    // The tags as BioSig walks them: a tag byte and a 24-bit length, up to tag 0.
    for (std::size_t pos = 0; extra.size() >= 4 && pos < extra.size() - 4;) {
        const auto* p = reinterpret_cast<const unsigned char*>(extra.data()) + pos;
        const unsigned tag = p[0];
        const std::size_t length = p[1] | p[2] << 8 | static_cast<std::size_t>(p[3]) << 16;
        if (tag == 0) break;
        // Tags 2-7 are texts and numbers of the recording's circumstances; any other tag may
        // change what BioSig reads.
        if (tag > 7 || length > extra.size() - pos - 4) return false;
        if (tag == 1) {
            if (seen) return false;
            seen = true;
            // Zero-terminated texts after an empty first one, up to an empty text or 256 entries.
            const std::string_view list(extra.data() + pos + 4, length);
            descriptions.emplace_back();
            for (std::size_t k = 1; descriptions.size() < 256;) {
                const std::size_t end = k < list.size() ? list.find('\0', k) : std::string::npos;
                if (end == std::string::npos) return false;
                if (end == k) break;
                descriptions.emplace_back(list.substr(k, end - k));
                k = end + 1;
            }
        }
        pos += 4 + length;
    }
    return true;
}

// The events of the table after the data records.
struct Events {
    std::vector<std::uint32_t> pos, dur;
    std::vector<std::uint16_t> typ;
    double rate = 0.0;
};

// Reads the event table at `at`, `bytes` long (all that follows the data records). False when it
// is not laid out as BioSig's writer lays it out.
bool ReadEventTable(std::FILE* file, long long at, long long bytes, Events& events) {
    unsigned char p[8];
    if (bytes < 8) return true;  // no table: no events
    if (!ReadAt(file, at, p, sizeof p)) return false;
    const unsigned mode = p[0];
    const long long n = p[1] | p[2] << 8 | static_cast<long long>(p[3]) << 16;
    const float rate = Load<float>(p + 4);
    // Positions and types; with mode bit 2 channels and durations; with bit 4 time stamps.
    const long long each = (mode & ~6u) != 1 ? 0 : 6 + (mode & 2 ? 6 : 0) + (mode & 4 ? 8 : 0);
    if (each == 0 || bytes != 8 + n * each || !(rate > 0) || !std::isfinite(rate)) return false;
    std::string table(static_cast<std::size_t>(n * each), '\0');
    if (!ReadAt(file, at + 8, table.data(), table.size())) return false;
    const auto* q = reinterpret_cast<const unsigned char*>(table.data());
    events.rate = rate;
    for (long long e = 0; e < n; ++e) {
        const auto position = Load<std::uint32_t>(q + 4 * e);
        const auto type = Load<std::uint16_t>(q + 4 * n + 2 * e);
        // Positions count from 1; the sparse samples (0x7fff) and the ends of events (0x8000 set)
        // are left to BioSig.
        if (position == 0 || type == 0x7fff || (type & 0x8000)) return false;
        events.pos.push_back(position - 1);
        events.typ.push_back(type);
        events.dur.push_back(mode & 2 ? Load<std::uint32_t>(q + 8 * n + 4 * e) : 0);
    }
    return true;
}

}  // namespace

bool IsGdfHeader(std::string_view head) {
    return head.size() >= 8 && head.substr(0, 4) == "GDF ";
}

std::optional<RecordingResult> ReadGdfRecording(std::FILE* data, const ReadOptions& options,
                                                Progress* progress) {
    if (std::endian::native != std::endian::little) return std::nullopt;
    // Units and event texts come from BioSig: without it the file goes to BioSig's reading,
    // which says why it cannot be read.
    if (!BiosigAvailable()) return std::nullopt;
    struct stat status {};
    if (::fstat(fileno(data), &status) != 0) return std::nullopt;
    const long long fileBytes = status.st_size;

    unsigned char head[kFixedHeader];
    if (fileBytes < static_cast<long long>(kFixedHeader) || !ReadAt(data, 0, head, sizeof head))
        return std::nullopt;
    // "GDF 2.xy": versions 2.10 to 2.51; the record's duration is a fraction of two whole numbers
    // before 2.21 and a double from then on.
    if (std::memcmp(head, "GDF 2.", 6) != 0 || !std::isdigit(head[6]) || !std::isdigit(head[7]))
        return std::nullopt;
    const int version = 200 + (head[6] - '0') * 10 + (head[7] - '0');
    if (version < 210 || version > 251) return std::nullopt;
    const long long headBytes = static_cast<long long>(Load<std::uint16_t>(head + 184)) << 8;
    const long long records = Load<std::int64_t>(head + 236);
    const std::size_t ns = Load<std::uint16_t>(head + 252);
    if (ns == 0 || records < 1 || headBytes < static_cast<long long>(kFixedHeader * (ns + 1)) ||
        headBytes > fileBytes)
        return std::nullopt;

    std::string table(headBytes - kFixedHeader, '\0');
    if (!ReadAt(data, kFixedHeader, table.data(), table.size())) return std::nullopt;
    const auto* h = reinterpret_cast<const unsigned char*>(table.data());
    std::vector<Signal> signals(ns);
    std::vector<std::uint32_t> spr(ns);
    std::vector<SourceChannel> channels(ns);
    long long recordBytes = 0;
    std::uint64_t commonSpr = 1;  // BioSig's samples per record: the least common multiple
    for (std::size_t k = 0; k < ns; ++k) {
        Signal& s = signals[k];
        spr[k] = Load<std::uint32_t>(h + 216 * ns + 4 * k);
        s.type = Load<std::uint32_t>(h + 220 * ns + 4 * k);
        s.bytes = TypeBytes(s.type);
        const double physMin = Load<double>(h + 104 * ns + 8 * k);
        const double physMax = Load<double>(h + 112 * ns + 8 * k);
        s.digMin = Load<double>(h + 120 * ns + 8 * k);
        s.digMax = Load<double>(h + 128 * ns + 8 * k);
        if (spr[k] == 0 || s.bytes == 0 || !(s.digMin < s.digMax)) return std::nullopt;
        s.cal = (physMax - physMin) / (s.digMax - s.digMin);
        s.off = physMin - s.cal * s.digMin;
        s.offset = recordBytes;
        recordBytes += static_cast<long long>(spr[k]) * static_cast<long long>(s.bytes);
        commonSpr = commonSpr / std::gcd(commonSpr, std::uint64_t{spr[k]}) * spr[k];
        if (commonSpr > std::numeric_limits<std::uint32_t>::max() || recordBytes > fileBytes)
            return std::nullopt;
        const char* label = table.data() + 16 * k;
        channels[k].label.assign(label, strnlen(label, 16));
    }
    // The data records must all be in the file; what follows them is the event table.
    if (records > (fileBytes - headBytes) / recordBytes ||
        records > std::numeric_limits<long long>::max() / static_cast<long long>(commonSpr))
        return std::nullopt;
    const long long dataEnd = headBytes + records * recordBytes;

    double rate = 0.0;
    if (version < 221) {
        const std::uint32_t num = Load<std::uint32_t>(head + 244);
        const std::uint32_t den = Load<std::uint32_t>(head + 248);
        if (num == 0 || den == 0) return std::nullopt;
        rate = static_cast<double>(commonSpr) / (static_cast<double>(num) / den);
    } else {
        const double duration = Load<double>(head + 244);
        if (!(duration > 0) || !std::isfinite(duration)) return std::nullopt;
        rate = static_cast<double>(commonSpr) / duration;
    }
    if (!(rate > 0) || !std::isfinite(rate)) return std::nullopt;

    std::vector<std::string> descriptions;
    const std::size_t signalHeaders = kFixedHeader * ns;
    if (!ReadEventDescriptions(table.substr(signalHeaders), descriptions)) return std::nullopt;
    Events events;
    if (!ReadEventTable(data, dataEnd, fileBytes - dataEnd, events)) return std::nullopt;
    // A first read signal below the common rate is read by BioSig at that rate (each sample
    // repeated): left to BioSig.
    const std::size_t first = static_cast<std::size_t>(std::max(options.skipColumns, 0));
    if (first < ns && spr[first] != commonSpr) return std::nullopt;

    for (std::size_t k = 0; k < ns; ++k) {
        channels[k].rate = rate * spr[k] / static_cast<double>(commonSpr);
        channels[k].unit = BiosigUnit(Load<std::uint16_t>(h + 102 * ns + 2 * k));
    }

    Recording recording;
    try {
        const long long samples = records * static_cast<long long>(commonSpr);
        const ChannelPlan plan = PlanChannels(channels, samples, options, recording);
        if (!plan.refusal.empty())
            return RecordingResult(
                Failure(ReadError{ReadError::Kind::Refused, "GDF: " + plan.refusal}));
        std::vector<int> read;  // columns read
        for (int k = 0; k < Recording::kColumns; ++k)
            if (plan.source[static_cast<std::size_t>(k)] >= 0) read.push_back(k);
        if (progress)
            progress->SetRange(0, SaturateToInt(plan.count * static_cast<long long>(read.size())));
        const long long perRecord = static_cast<long long>(commonSpr);
        const long long batch = std::max<long long>(1, kBlockBytes / recordBytes);
        std::vector<unsigned char> block;
        constexpr long long kScratch = 2048;
        double scratch[kScratch];
        if (!read.empty() && std::fseek(data, static_cast<long>(headBytes), SEEK_SET) != 0)
            return std::nullopt;
        for (long long done = 0; done < plan.count && !read.empty();) {
            const long long count =
                std::min(batch, (plan.count - done + perRecord - 1) / perRecord);
            const auto bytes = static_cast<std::size_t>(count * recordBytes);
            block.resize(bytes);
            if (std::fread(block.data(), 1, bytes, data) != bytes)
                return RecordingResult(Failure(ReadError{
                    ReadError::Kind::Refused, "GDF: the file is shorter than its header says"}));
            const long long n = std::min(count * perRecord, plan.count - done);
            for (int k : read) {
                const Signal& s =
                    signals[static_cast<std::size_t>(plan.source[static_cast<std::size_t>(k)])];
                std::vector<double>& column = recording.columns[static_cast<std::size_t>(k)];
                for (long long i = 0; i < n; i += kScratch) {
                    const long long m = std::min(kScratch, n - i);
                    Decode(block.data(), recordBytes, perRecord, i, m, s, scratch);
                    column.insert(column.end(), scratch, scratch + m);
                }
                if (progress) progress->Step(SaturateToInt(n));
            }
            done += n;
            if (progress && progress->PumpMessages()) {
                recording.notes.cancelled = true;
                break;
            }
        }
        const std::vector<std::string> texts = BiosigEventTexts(events.typ, descriptions);
        for (std::size_t e = 0; e < texts.size(); ++e) {
            RecordingEvent event;
            event.onsetMs = events.pos[e] * 1000.0 / events.rate;
            event.durationMs = events.dur[e] * 1000.0 / events.rate;
            event.text = texts[e];
            recording.events.push_back(std::move(event));
        }
    } catch (const std::bad_alloc&) {
        recording.notes.outOfMemory = true;
    } catch (const std::length_error&) {
        recording.notes.outOfMemory = true;
    }
    EndAtColumnZero(recording);
    return RecordingResult(std::move(recording));
}

}  // namespace tavrel
