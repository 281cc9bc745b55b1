// Writes the seed documents of the document fuzzer: a new document, one chain per module class,
// every class in one long chain on each channel, every class twice in a row, and a document
// without chains. Run it after adding a module class and check the output in under
// fuzz/corpus/document. With --edf it writes the seeds of the recording fuzzer instead (small
// EDF, EDF+, BDF and BDF+ files written by EDFlib, each behind the fuzzer's two option bytes)
// for fuzz/corpus/edf. (EDFlib writes only the "+" forms; the fuzzer reaches plain EDF and BDF
// by changing their format mark.)
#include <edflib.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "document/KaisekiDoc.h"
#include "pipeline/ModuleRegistry.h"

using namespace tavrel;

namespace {

void Save(CKaisekiDoc& doc, const std::string& dir, const std::string& name) {
    std::ofstream(dir + "/" + name, std::ios::binary) << doc.SaveToBytes();
}

void Append(CKaisekiDoc& doc, int channel, const std::string& className) {
    if (auto module = CreateModule(className))
        CModBase::AppendModule(doc.Head(channel), module.release());
}

// One recording of `signals` signals of `perRecord` samples each (the second signal at
// `secondRate` samples per record), `records` records of `duration` x 10 us; false when EDFlib
// refuses.
bool WriteRecording(const std::string& path, int type, int signals, int perRecord, int secondRate,
                    int records, int duration) {
    const int handle = edfopen_file_writeonly(path.c_str(), type, signals);
    if (handle < 0) return false;
    const bool bdf = type == EDFLIB_FILETYPE_BDF || type == EDFLIB_FILETYPE_BDFPLUS;
    edf_set_datarecord_duration(handle, duration);
    std::vector<int> rates;
    for (int s = 0; s < signals; ++s) {
        rates.push_back(s == 1 ? secondRate : perRecord);
        edf_set_samplefrequency(handle, s, rates.back());
        edf_set_physical_maximum(handle, s, 500.0 * (s + 1));
        edf_set_physical_minimum(handle, s, -500.0 * (s + 1));
        edf_set_digital_maximum(handle, s, bdf ? 8388607 : 32767);
        edf_set_digital_minimum(handle, s, bdf ? -8388608 : -32768);
        edf_set_label(handle, s, ("EMG" + std::to_string(s + 1)).c_str());
        edf_set_physical_dimension(handle, s, s % 3 == 0 ? "uV" : (s % 3 == 1 ? "mV" : "V"));
    }
    bool ok = true;
    std::vector<double> buffer;
    for (int r = 0; r < records; ++r) {
        for (int s = 0; s < signals; ++s) {
            buffer.resize(static_cast<std::size_t>(rates[static_cast<std::size_t>(s)]));
            for (std::size_t i = 0; i < buffer.size(); ++i)
                buffer[i] =
                    480.0 * (s + 1) * std::sin(0.3 * (s + 1) * double(r * buffer.size() + i));
            ok = ok && edfwrite_physical_samples(handle, buffer.data()) == 0;
        }
    }
    if (type == EDFLIB_FILETYPE_EDFPLUS || type == EDFLIB_FILETYPE_BDFPLUS)
        edfwrite_annotation_utf8(handle, 0, -1, "start");
    return edfclose_file(handle) == 0 && ok;
}

// The recording behind the fuzzer's option bytes: `options` (skip and cap), the format mark.
bool SaveRecordingSeed(const std::string& dir, const std::string& name, int type, int options,
                       int signals, int perRecord, int secondRate, int records, int duration) {
    const std::string scratch = dir + "/" + name + ".tmp";
    if (!WriteRecording(scratch, type, signals, perRecord, secondRate, records, duration))
        return false;
    std::ifstream in(scratch, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    std::remove(scratch.c_str());
    const bool bdf = type == EDFLIB_FILETYPE_BDF || type == EDFLIB_FILETYPE_BDFPLUS;
    std::ofstream(dir + "/" + name, std::ios::binary)
        << static_cast<char>(options) << static_cast<char>(bdf ? 1 : 0) << bytes;
    return true;
}

int WriteRecordingSeeds(const std::string& dir) {
    struct Seed {
        const char* name;
        int type, options, signals, perRecord, secondRate, records, duration;
    };
    const Seed seeds[] = {
        {"edfplus-three-signals", EDFLIB_FILETYPE_EDFPLUS, 0, 3, 20, 20, 3, 100000},
        {"edfplus-annotation", EDFLIB_FILETYPE_EDFPLUS, 10, 3, 20, 20, 2, 100000},
        {"bdfplus-three-signals", EDFLIB_FILETYPE_BDFPLUS, 31, 3, 16, 16, 3, 100000},
        {"bdfplus-annotation", EDFLIB_FILETYPE_BDFPLUS, 0, 2, 25, 25, 2, 50000},
        {"edfplus-two-rates", EDFLIB_FILETYPE_EDFPLUS, 0, 4, 20, 5, 2, 100000},
        {"bdfplus-seventeen-signals", EDFLIB_FILETYPE_BDFPLUS, 1, 17, 4, 4, 2, 100000},
        {"edfplus-short-records", EDFLIB_FILETYPE_EDFPLUS, 40, 2, 3, 3, 4, 3},
    };
    for (const Seed& s : seeds) {
        if (!SaveRecordingSeed(dir, s.name, s.type, s.options, s.signals, s.perRecord, s.secondRate,
                               s.records, s.duration)) {
            std::fprintf(stderr, "EDFlib refused to write %s\n", s.name);
            return 1;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--edf") return WriteRecordingSeeds(argv[2]);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds DIRECTORY | make_seeds --edf DIRECTORY\n");
        return 2;
    }
    std::string dir = argv[1];
    auto classes = ModuleClassNames();
    {
        CKaisekiDoc doc;
        doc.OnNewDocument();
        Save(doc, dir, "new.kcd");
    }
    for (const auto& name : classes) {
        if (name == "CHeadFilter") continue;
        CKaisekiDoc doc;
        doc.OnNewDocument();
        doc.m_dataFilePath = "data.csv";
        Append(doc, 0, name);
        Save(doc, dir, "one-" + name + ".kcd");
    }
    {
        CKaisekiDoc doc;
        doc.OnNewDocument();
        doc.m_dataFilePath = "/home/user/recordings/emg-session-1.csv";
        doc.m_headerRows = 2;
        doc.m_skipColumns = 1;
        for (int ch = 0; ch < CKaisekiDoc::kChannels; ++ch) {
            doc.m_channelEnabled[static_cast<size_t>(ch)] = 1;
            for (const auto& name : classes)
                if (name != "CHeadFilter") Append(doc, ch, name);
        }
        Save(doc, dir, "all-classes-every-channel.kcd");
        for (const auto& name : classes) {
            if (name == "CHeadFilter") continue;
            Append(doc, 3, name);
            Append(doc, 3, name);
        }
        doc.m_channelSource[5] = CKaisekiDoc::kNoSource;
        doc.m_channelSource[6] = 2;
        Save(doc, dir, "doubled-and-remapped.kcd");
    }
    {
        CKaisekiDoc doc;
        doc.OnNewDocument();
        doc.m_chains.clear();
        Save(doc, dir, "without-chains.kcd");
    }
    return 0;
}
