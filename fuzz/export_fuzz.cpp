// Fuzzes the export writer with arbitrary doubles, labels and channel lengths. The text it writes
// is read back: CR LF line ends, one line per sample of the longest channel, each line as wide as
// the last channel that still has a value there, and every number read back equal to the value to
// ten significant digits (infinities and NaN as INF, -INF and NAN). Writing in pieces must give the
// same bytes as writing the whole file.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "document/ExportWriter.h"

using namespace tavrel;

namespace {

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "export check failed: %s\n", what.c_str());
    std::abort();
}

class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    bool Empty() const { return m_at >= m_size; }
    std::uint8_t Byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    double Double() {
        std::uint64_t bits = 0;
        for (int i = 0; i < 8; ++i)
            bits = bits << 8 | Byte();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    std::string Text(std::size_t length) {
        std::string text;
        while (text.size() < length && !Empty())
            text += static_cast<char>(Byte());
        return text;
    }

  private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

bool SameNumber(double written, double read) {
    if (std::isnan(written)) return std::isnan(read);
    // The largest doubles round up past the largest double at ten digits and read back infinite.
    if (std::isinf(read) && !std::isinf(written))
        return std::fabs(written) >= 1.7976931345e308 &&
               std::signbit(read) == std::signbit(written);
    if (std::isinf(written) || std::isinf(read)) return written == read;
    if (written == 0.0) return read == 0.0;
    // Ten significant digits; subnormals keep fewer, so allow their absolute spacing too.
    return std::fabs(read - written) <= 1e-9 * std::fabs(written) + 1e-300;
}

double ReadNumber(std::string_view field) {
    if (field == "INF") return INFINITY;
    if (field == "-INF") return -INFINITY;
    if (field == "NAN" || field == "-NAN") return NAN;
    std::string copy(field);
    return std::strtod(copy.c_str(), nullptr);
}

std::vector<std::string_view> Split(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= line.size(); ++i)
        if (i == line.size() || line[i] == ',') {
            fields.push_back(line.substr(start, i - start));
            start = i + 1;
        }
    return fields;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    ExportSettings settings;
    std::uint8_t flags = in.Byte();
    settings.m_header = flags & 1;
    settings.m_numberColumn = (flags >> 1) & 1;
    settings.m_numberKind = (flags >> 2) & 1;
    std::size_t channelCount = 1 + in.Byte() % 16;
    std::vector<ChannelExport> channels(channelCount);
    for (auto& channel : channels) {
        std::size_t count = in.Byte() % 40;
        channel.label = in.Text(in.Byte() % 12);
        for (std::size_t i = 0; i < count; ++i) {
            channel.values.push_back(in.Double());
            channel.times.push_back(in.Byte() & 1 ? in.Double() : 0.5 * static_cast<double>(i));
        }
    }

    std::string whole = FormatExport(channels, settings);
    std::string pieces;
    bool ok = WriteExport(channels, settings, [&](std::string_view bytes) {
        pieces.append(bytes);
        return true;
    });
    if (!ok || pieces != whole) Fail("writing in pieces differs from writing the whole file");

    // Lines, each ended by CR LF.
    std::vector<std::string_view> lines;
    std::string_view rest = whole;
    while (!rest.empty()) {
        std::size_t end = rest.find("\r\n");
        if (end == std::string_view::npos) Fail("a line without CR LF");
        lines.push_back(rest.substr(0, end));
        rest.remove_prefix(end + 2);
    }
    std::size_t longest = 0;
    for (const auto& channel : channels)
        longest = std::max(longest, channel.values.size());
    // The header names the channels up to the last one with values (CH1 alone when none has any).
    std::size_t first = settings.m_header ? 1 : 0;
    if (lines.size() < first || lines.size() - first != longest)
        Fail("line count " + std::to_string(lines.size()) + " for " + std::to_string(longest) +
             " samples");
    std::size_t lead = settings.m_numberColumn ? 1 : 0;
    for (std::size_t i = 0; i < longest; ++i) {
        std::size_t last = 0;
        for (std::size_t c = 0; c < channels.size(); ++c)
            if (channels[c].values.size() > i) last = c;
        auto fields = Split(lines[first + i]);
        if (fields.size() != lead + last + 1)
            Fail("line " + std::to_string(i) + " has " + std::to_string(fields.size()) + " fields");
        for (std::size_t c = 0; c <= last; ++c) {
            double expected = i < channels[c].values.size() ? channels[c].values[i] : 0.0;
            if (!SameNumber(expected, ReadNumber(fields[lead + c])))
                Fail("line " + std::to_string(i) + " channel " + std::to_string(c) + " reads " +
                     std::string(fields[lead + c]));
        }
        if (settings.m_numberColumn && !settings.m_numberKind && fields[0] != std::to_string(i))
            Fail("serial number " + std::string(fields[0]) + " on line " + std::to_string(i));
    }
    return 0;
}
