// The one reader of data files: resolving the path, opening the file once, recognising the format
// and handing the open file to that format's reader.
#include "document/Recording.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "document/BiosigReader.h"
#include "document/BrainVisionReader.h"
#include "document/DataFileReader.h"
#include "document/EdfReader.h"
#include "document/MatReader.h"
#include "platform/Translate.h"

namespace tavrel {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

bool IsRegularFile(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

// Opens `path` for reading when it names a regular file. Anything else (a folder, a device such as
// /dev/zero, a pipe) is refused before it is opened: reading it could block or never end.
Result<FilePtr, ReadError> OpenForReading(const std::string& path) {
    auto refuse = [](std::string reason) {
        return Failure(ReadError{ReadError::Kind::CannotOpen, std::move(reason)});
    };
    struct stat status {};
    if (path.empty()) return refuse(std::strerror(ENOENT));
    if (::stat(path.c_str(), &status) != 0) return refuse(std::strerror(errno));
    if (S_ISDIR(status.st_mode)) return refuse(std::strerror(EISDIR));
    if (!S_ISREG(status.st_mode)) return refuse("not a regular file");
    errno = 0;
    FilePtr file(std::fopen(path.c_str(), "rbe"));
    if (!file) return refuse(errno ? std::strerror(errno) : "cannot be opened");
    return file;
}

}  // namespace

std::string ResolveDataPath(const std::string& dataPath, const std::string& documentPath) {
    namespace fs = std::filesystem;
    if (dataPath.empty()) return dataPath;
    const fs::path given(dataPath);
    if (IsRegularFile(given) || !given.is_relative() || documentPath.empty()) return dataPath;
    const fs::path folder = fs::path(documentPath).parent_path();
    if (folder.empty()) return dataPath;
    const fs::path beside = folder / given;
    return IsRegularFile(beside) ? beside.string() : dataPath;
}

RecordingResult ReadRecording(const std::string& path, const ReadOptions& options,
                              Progress* progress) {
    auto opened = OpenForReading(path);
    if (!opened) return Failure(opened.Error());
    std::FILE* file = opened->get();

    struct stat status {};
    const std::int64_t length =
        ::fstat(fileno(file), &status) == 0 ? static_cast<std::int64_t>(status.st_size) : 0;

    // The format is recognised by the first bytes; an EDF or BDF recording goes to EDFlib, another
    // binary file to BioSig when it knows the format.
    char buffer[512];
    const std::size_t got = std::fread(buffer, 1, sizeof buffer, file);
    const std::string_view head(buffer, got);
    if (IsRecordingHeader(head)) return ReadEdfRecording(file, path, options, progress);
    if (IsMatHeader(head)) return ReadMatRecording(file, path, options, progress);
    if (IsBrainVisionHeader(head)) {
        std::rewind(file);
        return ReadBrainVisionRecording(file, path, options, progress);
    }
    if (IsBinaryHead(head)) {
        std::rewind(file);
        if (auto read = ReadBiosigRecording(file, path, options, progress)) return std::move(*read);
    }

    std::rewind(file);
    Recording recording;
    ReadCsvFile(file, length, options, progress, recording);
    return recording;
}

std::optional<RecordingValues> ReadRecordingValues(const std::string& path, int skipSignals) {
    auto opened = OpenForReading(path);
    if (!opened) return std::nullopt;
    char head[8];
    const std::size_t got = std::fread(head, 1, sizeof head, opened->get());
    if (IsRecordingHeader({head, got})) return ReadEdfValues(opened->get(), path, skipSignals);
    opened->reset();
    // The other recordings are read as far as their first sample.
    ReadOptions options;
    options.skipColumns = skipSignals;
    options.maxRows = 1;
    RecordingResult read = ReadRecording(path, options, nullptr);
    if (!read) return std::nullopt;
    return read->notes.values;
}

std::string ReadErrorMessage(const ReadError& error) {
    if (error.kind == ReadError::Kind::NotNamed) return {};
    std::string text = Translate("Document", "データファイルが開けません。");
    // A format reader's refusal says why; a file that does not open needs no more words.
    if (error.kind == ReadError::Kind::Refused) text += "\n" + error.reason;
    return text;
}

std::vector<std::string> ReadingMessages(const ReadNotes& notes) {
    std::vector<std::string> messages;
    if (notes.outOfMemory) {
        messages.push_back(Translate("Document", "メモリが不足しています。"));
        return messages;
    }
    if (!notes.otherRate.empty()) {
        std::string labels;
        for (const std::string& label : notes.otherRate)
            labels += (labels.empty() ? "" : ", ") + label;
        messages.push_back(
            Translate("Document", "サンプリング周波数が異なる信号は読み込みませんでした: ") +
            labels);
    }
    if (!notes.skipped.empty()) {
        std::string parts;
        for (const std::string& part : notes.skipped)
            parts += (parts.empty() ? "" : ", ") + part;
        messages.push_back(Translate("Document", "読み込まなかった変数: ") + parts);
    }
    return messages;
}

}  // namespace tavrel
