#include "support/EdfWriter.h"

#include <edflib.h>
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace tavrel::test {

EdfSpec ThreeSines(int fileType) {
    EdfSpec spec;
    spec.fileType = fileType;
    const double pi = std::acos(-1.0);
    const double hz[] = {10.0, 50.0, 120.0};
    const double amplitude[] = {1000.0, 250.5, 2900.0};
    for (int s = 0; s < 3; ++s) {
        EdfSignalSpec signal;
        signal.label = "EMG" + std::to_string(s + 1);
        signal.value = [=](int i) { return amplitude[s] * std::sin(2 * pi * hz[s] * i / 2000.0); };
        spec.channels.push_back(signal);
    }
    return spec;
}

namespace {

// A field of `width` bytes per signal, as the header lists them one after another.
struct HeaderField {
    int width;
};
constexpr HeaderField kSignalFields[] = {{16}, {80}, {8}, {8}, {8}, {8}, {8}, {80}, {8}, {32}};

// EDF+ or BDF+ bytes made plain EDF or BDF: the annotation signal (the last, as EDFlib writes it)
// removed from the header and from every record, and the format mark "EDF+C" / "BDF+C" replaced
// by the plain format's.
std::string WithoutAnnotations(const std::string& plus, bool bdf) {
    const int signals = std::stoi(plus.substr(252, 4));
    const int ordinary = signals - 1;
    std::string header = plus.substr(0, 256);
    header.replace(184, 8, (std::to_string(256 * (ordinary + 1)) + "        ").substr(0, 8));
    header.replace(192, 44, std::string(bdf ? "24BIT" : "") + std::string(bdf ? 39 : 44, ' '));
    header.replace(252, 4, (std::to_string(ordinary) + "    ").substr(0, 4));
    std::size_t at = 256;
    std::vector<int> samples;
    for (const HeaderField& field : kSignalFields) {
        for (int s = 0; s < signals; ++s) {
            const std::string value = plus.substr(at, static_cast<std::size_t>(field.width));
            at += static_cast<std::size_t>(field.width);
            if (&field == &kSignalFields[8]) samples.push_back(std::stoi(value));
            if (s < ordinary) header += value;
        }
    }
    const int bytes = bdf ? 3 : 2;
    std::size_t kept = 0;
    for (int s = 0; s < ordinary; ++s)
        kept += static_cast<std::size_t>(samples[s] * bytes);
    const std::size_t record = kept + static_cast<std::size_t>(samples.back() * bytes);
    std::string out = header;
    for (std::size_t r = at; r + record <= plus.size(); r += record)
        out += plus.substr(r, kept);
    return out;
}

}  // namespace

bool WriteEdf(const std::string& path, const EdfSpec& spec) {
    // EDFlib writes only EDF+ and BDF+; a plain EDF or BDF file is made from what it wrote.
    const bool plain = spec.fileType == EDFLIB_FILETYPE_EDF || spec.fileType == EDFLIB_FILETYPE_BDF;
    if (plain) {
        EdfSpec plus = spec;
        plus.fileType = spec.fileType == EDFLIB_FILETYPE_EDF ? EDFLIB_FILETYPE_EDFPLUS
                                                             : EDFLIB_FILETYPE_BDFPLUS;
        const std::string written = path + ".plus";
        if (!WriteEdf(written, plus)) return false;
        std::ifstream in(written, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
        in.close();
        std::remove(written.c_str());
        std::ofstream(path, std::ios::binary | std::ios::trunc)
            << WithoutAnnotations(bytes, spec.fileType == EDFLIB_FILETYPE_BDF);
        return true;
    }
    const int count = static_cast<int>(spec.channels.size());
    const int handle = edfopen_file_writeonly(path.c_str(), spec.fileType, count);
    EXPECT_GE(handle, 0) << "EDFlib cannot write " << path << " (" << handle << ")";
    if (handle < 0) return false;
    const bool bdf =
        spec.fileType == EDFLIB_FILETYPE_BDF || spec.fileType == EDFLIB_FILETYPE_BDFPLUS;
    bool ok = edf_set_datarecord_duration(handle, spec.recordDuration) == 0;
    for (int s = 0; s < count; ++s) {
        const EdfSignalSpec& signal = spec.channels[static_cast<std::size_t>(s)];
        const bool fullRange = signal.digMin == 0 && signal.digMax == 0;
        ok = ok && edf_set_samplefrequency(handle, s, signal.samplesPerRecord) == 0 &&
             edf_set_physical_maximum(handle, s, signal.physMax) == 0 &&
             edf_set_physical_minimum(handle, s, signal.physMin) == 0 &&
             edf_set_digital_maximum(handle, s,
                                     fullRange ? (bdf ? 8388607 : 32767) : signal.digMax) == 0 &&
             edf_set_digital_minimum(handle, s,
                                     fullRange ? (bdf ? -8388608 : -32768) : signal.digMin) == 0 &&
             edf_set_label(handle, s, signal.label.c_str()) == 0 &&
             edf_set_physical_dimension(handle, s, signal.unit.c_str()) == 0;
    }
    std::vector<double> buffer;
    for (int r = 0; ok && r < spec.records; ++r) {
        for (const EdfSignalSpec& signal : spec.channels) {
            buffer.resize(static_cast<std::size_t>(signal.samplesPerRecord));
            for (int i = 0; i < signal.samplesPerRecord; ++i)
                buffer[static_cast<std::size_t>(i)] = signal.value(r * signal.samplesPerRecord + i);
            ok = edfwrite_physical_samples(handle, buffer.data()) == 0;
            if (!ok) break;
        }
    }
    if (ok &&
        (spec.fileType == EDFLIB_FILETYPE_EDFPLUS || spec.fileType == EDFLIB_FILETYPE_BDFPLUS))
        ok = edfwrite_annotation_utf8(handle, 5000, -1, "burst") == 0;
    ok = edfclose_file(handle) == 0 && ok;
    EXPECT_TRUE(ok) << "EDFlib refused to write " << path;
    return ok;
}

std::vector<std::vector<double>> ReadEdfPhysical(const std::string& path) {
    std::vector<std::vector<double>> signals;
    edf_hdr_struct header;
    if (edfopen_file_readonly(path.c_str(), &header, EDFLIB_DO_NOT_READ_ANNOTATIONS) != 0) {
        ADD_FAILURE() << "EDFlib cannot read " << path;
        return signals;
    }
    for (int s = 0; s < header.edfsignals; ++s) {
        std::vector<double> values(static_cast<std::size_t>(header.signalparam[s].smp_in_file));
        const int got = edfread_physical_samples(header.handle, s, static_cast<int>(values.size()),
                                                 values.data());
        EXPECT_EQ(got, static_cast<int>(values.size()));
        signals.push_back(std::move(values));
    }
    edfclose_file(header.handle);
    return signals;
}

void WriteColumnsCsv(const std::string& path, const std::vector<std::vector<double>>& columns) {
    std::size_t rows = 0;
    for (const auto& column : columns)
        rows = std::max(rows, column.size());
    std::string text;
    char number[64];
    for (std::size_t r = 0; r < rows; ++r) {
        bool first = true;
        for (const auto& column : columns) {
            if (r >= column.size()) break;
            if (!first) text += ',';
            first = false;
            const auto end = std::to_chars(number, number + sizeof number, column[r]).ptr;
            text.append(number, end);
        }
        text += "\r\n";
    }
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

}  // namespace tavrel::test
