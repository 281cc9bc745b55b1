#include "document/BrainVisionReader.h"

#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <new>

#include "document/RecordingPlan.h"
#include "platform/Host.h"
#include "platform/Rounding.h"

namespace tavrel {

namespace {

// Header files are small; a larger one is not a header.
constexpr long kMaxTextBytes = 16 << 20;
// Bytes of the data file read at once.
constexpr long long kChunkBytes = 4 << 20;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

std::string_view WithoutBom(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    return text;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

// The sections of an ini-style text: section -> key -> value ("; ..." lines are comments).
using Sections = std::map<std::string, std::map<std::string, std::string>>;

Sections ParseSections(std::string_view text) {
    Sections sections;
    std::string current;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = Trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            current = std::string(line.substr(1, line.find(']') - 1));
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        sections[current][std::string(Trim(line.substr(0, equals)))] =
            std::string(Trim(line.substr(equals + 1)));
    }
    return sections;
}

// The comma-separated fields of a value; "\1" stands for a comma within a field.
std::vector<std::string> Fields(const std::string& value) {
    std::vector<std::string> fields(1);
    for (char c : value) {
        if (c == ',')
            fields.emplace_back();
        else
            fields.back() += c;
    }
    for (std::string& field : fields) {
        for (std::size_t at; (at = field.find("\\1")) != std::string::npos;)
            field.replace(at, 2, ",");
    }
    return fields;
}

bool ParseNumber(std::string_view text, double& value) {
    text = Trim(text);
    if (text.empty()) return false;
    const auto parsed = std::from_chars(text.data(), text.data() + text.size(), value);
    return parsed.ec == std::errc() && parsed.ptr == text.data() + text.size() &&
           std::isfinite(value);
}

bool ReadText(std::FILE* file, std::string& text) {
    if (std::fseek(file, 0, SEEK_END) != 0) return false;
    const long size = std::ftell(file);
    if (size < 0 || size > kMaxTextBytes || std::fseek(file, 0, SEEK_SET) != 0) return false;
    text.resize(static_cast<std::size_t>(size));
    return std::fread(text.data(), 1, text.size(), file) == text.size();
}

struct SampleFormat {
    std::string_view name;
    int bytes;
};
constexpr SampleFormat kFormats[] = {
    {"INT_16", 2}, {"UINT_16", 2}, {"INT_32", 4}, {"IEEE_FLOAT_32", 4}, {"IEEE_FLOAT_64", 8}};

double Decode(const unsigned char* p, std::string_view format) {
    if (format == "INT_16") return static_cast<std::int16_t>(p[0] | p[1] << 8);
    if (format == "UINT_16") return static_cast<std::uint16_t>(p[0] | p[1] << 8);
    std::uint64_t bits = 0;
    const int bytes = format == "IEEE_FLOAT_64" ? 8 : 4;
    for (int i = bytes - 1; i >= 0; --i)
        bits = bits << 8 | p[i];
    if (format == "INT_32") return static_cast<std::int32_t>(static_cast<std::uint32_t>(bits));
    if (format == "IEEE_FLOAT_32") {
        float value;
        const auto word = static_cast<std::uint32_t>(bits);
        std::memcpy(&value, &word, sizeof value);
        return value;
    }
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Opens `path` when it names a regular file (a pipe or device named by a header is not opened: it
// could block or never end).
FilePtr OpenRegular(const std::filesystem::path& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return nullptr;
    return FilePtr(std::fopen(path.c_str(), "rbe"));
}

Failure<ReadError> Refuse(std::string reason) {
    return Failure<ReadError>{
        ReadError{ReadError::Kind::Refused, "BrainVision: " + std::move(reason)}};
}

}  // namespace

bool IsBrainVisionHeader(std::string_view head) {
    head = WithoutBom(head);
    return head.starts_with("Brain Vision Data Exchange Header File") ||
           head.starts_with("BrainVision Data Exchange Header File");
}

std::vector<RecordingEvent> ParseBrainVisionMarkers(std::string_view text, double intervalUs) {
    std::vector<RecordingEvent> events;
    const Sections sections = ParseSections(WithoutBom(text));
    const auto markers = sections.find("Marker Infos");
    if (markers == sections.end()) return events;
    // Mk1, Mk2, ... in their numeric order.
    std::vector<std::pair<long, const std::string*>> numbered;
    for (const auto& [key, value] : markers->second) {
        long number = 0;
        if (key.size() < 3 || key.compare(0, 2, "Mk") != 0) continue;
        const auto parsed = std::from_chars(key.data() + 2, key.data() + key.size(), number);
        if (parsed.ec == std::errc() && parsed.ptr == key.data() + key.size())
            numbered.emplace_back(number, &value);
    }
    std::sort(numbered.begin(), numbered.end());
    for (const auto& [number, value] : numbered) {
        const std::vector<std::string> fields = Fields(*value);
        double position = 0, points = 1;
        if (fields.size() < 3 || !ParseNumber(fields[2], position) || position < 1) continue;
        if (fields.size() > 3 && !ParseNumber(fields[3], points)) points = 1;
        RecordingEvent event;
        event.onsetMs = (position - 1) * intervalUs / 1000.0;
        event.durationMs = points > 1 ? points * intervalUs / 1000.0 : 0.0;
        event.text = std::string(Trim(fields[1]).empty() ? Trim(fields[0]) : Trim(fields[1]));
        events.push_back(std::move(event));
    }
    return events;
}

RecordingResult ReadBrainVisionRecording(std::FILE* header, const std::string& path,
                                         const ReadOptions& options, Progress* progress) {
    std::string text;
    if (!ReadText(header, text)) return Refuse("the header cannot be read");
    Sections sections = ParseSections(WithoutBom(text));
    auto& common = sections["Common Infos"];
    double channelCount = 0, intervalUs = 0;
    if (!ParseNumber(common["NumberOfChannels"], channelCount) || channelCount < 1 ||
        channelCount > 65535 || channelCount != std::floor(channelCount))
        return Refuse("the header gives no number of channels");
    if (!ParseNumber(common["SamplingInterval"], intervalUs) || !(intervalUs > 0))
        return Refuse("the header gives no sampling interval");
    if (!common["DataFormat"].empty() && common["DataFormat"] != "BINARY")
        return Refuse("only binary data can be read, not " + common["DataFormat"]);
    const std::string orientation =
        common["DataOrientation"].empty() ? "MULTIPLEXED" : common["DataOrientation"];
    if (orientation != "MULTIPLEXED" && orientation != "VECTORIZED")
        return Refuse("unknown data orientation " + orientation);
    const std::string format = sections["Binary Infos"]["BinaryFormat"];
    const auto known = std::find_if(std::begin(kFormats), std::end(kFormats),
                                    [&](const SampleFormat& f) { return f.name == format; });
    if (known == std::end(kFormats)) return Refuse("unknown binary format " + format);
    if (common["DataFile"].empty()) return Refuse("the header names no data file");

    const std::size_t count = static_cast<std::size_t>(channelCount);
    std::vector<SourceChannel> channels(count);
    std::vector<double> resolution(count, 1.0);
    const double rate = 1e6 / intervalUs;
    for (std::size_t c = 0; c < count; ++c) {
        const std::vector<std::string> fields =
            Fields(sections["Channel Infos"]["Ch" + std::to_string(c + 1)]);
        channels[c].label = fields[0].empty() ? "Ch" + std::to_string(c + 1) : fields[0];
        channels[c].rate = rate;
        channels[c].unit = fields.size() > 3 && !fields[3].empty() ? fields[3] : "\xC2\xB5V";
        double value = 1.0;
        if (fields.size() > 2 && !Trim(fields[2]).empty()) {
            if (!ParseNumber(fields[2], value))
                return Refuse("the resolution of channel " + std::to_string(c + 1) +
                              " is not a number");
            resolution[c] = value;
        }
    }

    namespace fs = std::filesystem;
    const fs::path folder = fs::path(path).parent_path();
    FilePtr samples = OpenRegular(folder / common["DataFile"]);
    struct stat status {};
    if (!samples || ::fstat(fileno(samples.get()), &status) != 0 || !S_ISREG(status.st_mode))
        return Refuse("the data file " + common["DataFile"] + " cannot be opened");
    const long long frameBytes = static_cast<long long>(count) * known->bytes;
    if (status.st_size % frameBytes != 0)
        return Refuse("the data file's size is not a whole number of samples of every channel");
    const long long length = status.st_size / frameBytes;

    Recording recording;
    try {
        const ChannelPlan plan = PlanChannels(channels, length, options, recording);
        if (!plan.refusal.empty()) return Refuse(plan.refusal);
        if (progress) progress->SetRange(0, SaturateToInt(plan.count * Recording::kColumns));
        std::vector<unsigned char> block;
        const bool multiplexed = orientation == "MULTIPLEXED";
        const long long chunkFrames = std::max(1LL, kChunkBytes / frameBytes);
        for (long long done = 0; done < plan.count && !recording.notes.cancelled;) {
            const long long n = std::min(chunkFrames, plan.count - done);
            if (multiplexed) {
                block.resize(static_cast<std::size_t>(n * frameBytes));
                if (std::fseek(samples.get(), static_cast<long>(done * frameBytes), SEEK_SET) ||
                    std::fread(block.data(), 1, block.size(), samples.get()) != block.size())
                    return Refuse("the data file cannot be read");
            }
            for (int k = 0; k < Recording::kColumns; ++k) {
                const int source = plan.source[static_cast<std::size_t>(k)];
                if (source < 0) continue;
                const auto c = static_cast<std::size_t>(source);
                long long stride = frameBytes;
                // Multiplexed: the channel's first sample in the frames read; otherwise the
                // channel's own samples are read below (the block may still be empty here).
                const unsigned char* p = multiplexed ? block.data() + c * known->bytes : nullptr;
                if (!multiplexed) {
                    block.resize(static_cast<std::size_t>(n * known->bytes));
                    const long long at = (static_cast<long long>(c) * length + done) * known->bytes;
                    if (std::fseek(samples.get(), static_cast<long>(at), SEEK_SET) ||
                        std::fread(block.data(), 1, block.size(), samples.get()) != block.size())
                        return Refuse("the data file cannot be read");
                    p = block.data();
                    stride = known->bytes;
                }
                std::vector<double>& column = recording.columns[static_cast<std::size_t>(k)];
                for (long long i = 0; i < n; ++i, p += stride)
                    column.push_back(Decode(p, format) * resolution[c]);
            }
            done += n;
            recording.rowCount = static_cast<int>(recording.columns[0].size());
            if (progress) {
                progress->Step(SaturateToInt(n));
                if (progress->PumpMessages()) recording.notes.cancelled = true;
            }
        }
        // The markers: a missing or unreadable marker file leaves the recording without events.
        if (!common["MarkerFile"].empty()) {
            FilePtr markers = OpenRegular(folder / common["MarkerFile"]);
            std::string markerText;
            if (markers && ReadText(markers.get(), markerText))
                recording.events = ParseBrainVisionMarkers(markerText, intervalUs);
        }
    } catch (const std::bad_alloc&) {
        recording.notes.outOfMemory = true;
    } catch (const std::length_error&) {
        recording.notes.outOfMemory = true;
    }
    EndAtColumnZero(recording);
    return recording;
}

}  // namespace tavrel
