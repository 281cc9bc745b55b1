// Fuzzes the readers of GDF (the program's GDF decoder, and BioSig for the GDF files it leaves to
// BioSig) and the other BioSig formats, MATLAB files and BrainVision recordings.
// The first byte chooses the skipped channels (0-9) and the row cap; the second the format: the
// file then starts with that format's mark (GDF, CFWB, a MATLAB 5 header, a BrainVision header)
// so that every input reaches its reader. For BrainVision the rest is also the data and marker
// file. A reading must either refuse the file with a reason, or give columns within the rules: at
// most the cap per column, column 0 as long as the row count, no column longer than column 0.
// Whatever was read is then drawn and saved like a document.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "FuzzSupport.h"
#include "document/Recording.h"
#include "platform/Host.h"

using namespace tavrel;

namespace {

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

std::string Folder() {
    static const std::string folder = [] {
        const char* dir = std::getenv("TMPDIR");
        std::string path = std::string(dir && *dir ? dir : "/tmp") + "/tavrel-recording-fuzz-" +
                           std::to_string(getpid());
        std::system(("mkdir -p '" + path + "'").c_str());
        return path;
    }();
    return folder;
}

bool WriteFile(const std::string& path, const std::string& bytes) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && written;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static NullHost host;
    SetHost(&host);
    if (size < 2 + 8) return 0;
    ReadOptions options;
    options.skipColumns = data[0] % 10;
    options.maxRows = (data[0] / 10) % 3 == 0 ? 0 : 1 + (data[0] / 30) * 97;
    std::string file(reinterpret_cast<const char*>(data) + 2, size - 2);
    static const std::string marks[] = {std::string("GDF 2.51\0", 9),
                                        std::string("CFWB\1\0\0\0", 8), "MATLAB 5.0 MAT-file",
                                        "Brain Vision Data Exchange Header File Version 1.0\n"};
    const std::string& mark = marks[data[1] % 4];
    file.replace(0, std::min(mark.size(), file.size()), mark);
    const std::string folder = Folder();
    const std::string path = folder + (data[1] % 4 == 3 ? "/r.vhdr" : "/r.dat");
    if (!WriteFile(path, file)) return 0;
    if (data[1] % 4 == 3) {
        // The header's data and marker files, whatever it names them.
        WriteFile(folder + "/r.eeg", file);
        WriteFile(folder + "/r.vmrk", file);
    }

    RecordingResult read = ReadRecording(path, options, nullptr);
    if (!read) {
        if (read.Error().reason.empty()) Fail("a refusal without a reason");
        return 0;
    }
    const Recording& recording = *read;
    if (recording.rowCount != static_cast<int>(recording.columns[0].size()))
        Fail("row count differs from column 0");
    for (const auto& column : recording.columns) {
        if (options.maxRows > 0 && column.size() > static_cast<std::size_t>(options.maxRows))
            Fail("a column exceeds the row cap");
        if (column.size() > recording.columns[0].size()) Fail("a column longer than column 0");
    }
    if (recording.notes.values &&
        (recording.notes.values->rate < 1 || recording.notes.values->rate > 100000))
        Fail("rate out of range");
    CKaisekiDoc doc;
    doc.OnNewDocument();
    doc.SetRecording(std::move(read.Value()));
    fuzz::ExerciseDocument(doc);
    return 0;
}
