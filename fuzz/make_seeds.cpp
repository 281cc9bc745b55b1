// Writes the seed documents of the document fuzzer: a new document, one chain per module class,
// every class in one long chain on each channel, every class twice in a row, and a document
// without chains. Run it after adding a module class and check the output in under
// fuzz/corpus/document.
#include <cstdio>
#include <fstream>
#include <string>

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

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds DIRECTORY\n");
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
