// The one reader of data files: resolving the path, opening the file once, recognising the format
// and handing the open file to that format's reader.
#include "document/Recording.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string_view>

#include "document/BiosigReader.h"
#include "document/BrainVisionReader.h"
#include "document/DataFileReader.h"
#include "document/EdfReader.h"
#include "document/GdfReader.h"
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

// How much of a file's start decides whether it is text.
constexpr std::size_t kSniffBytes = 4096;

// Whether a file starting with `head` is not text: a NUL byte, or mostly control bytes other than
// the white space of text files. Text in any 8-bit code page (Shift-JIS, UTF-8) passes.
bool LooksBinary(std::string_view head) {
    std::size_t control = 0;
    for (const char byte : head) {
        const auto c = static_cast<unsigned char>(byte);
        if (c == 0) return true;
        if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != '\v') ||
            c == 0x7F)
            ++control;
    }
    return control * 10 > head.size() * 3;
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
    if (!opened) {
        ReadError error = opened.Error();
        error.path = path;
        return Failure(error);
    }
    std::FILE* file = opened->get();

    struct stat status {};
    const std::int64_t length =
        ::fstat(fileno(file), &status) == 0 ? static_cast<std::int64_t>(status.st_size) : 0;

    // The format is recognised by the first bytes; an EDF or BDF recording goes to EDFlib, a
    // MATLAB file to matio, a BrainVision header to its own reader, a GDF file to its own reader
    // unless that leaves it to BioSig, another binary file to BioSig when it knows the format.
    char head[kSniffBytes];
    const std::string_view start(head, std::fread(head, 1, sizeof head, file));
    if (IsRecordingHeader(start)) return ReadEdfRecording(file, path, options, progress);
    if (IsMatHeader(start)) return ReadMatRecording(file, path, options, progress);
    if (IsBrainVisionHeader(start)) {
        std::rewind(file);
        return ReadBrainVisionRecording(file, path, options, progress);
    }
    if (IsGdfHeader(start)) {
        if (auto read = ReadGdfRecording(file, options, progress)) return std::move(*read);
    }
    if (IsBinaryHead(start)) {
        std::rewind(file);
        if (auto read = ReadBiosigRecording(file, path, options, progress)) return std::move(*read);
    }
    // Anything else is read as comma-separated text - unless it is not text at all (a picture,
    // an archive, a recording of a format no reader here knows), which would read as zeros.
    if (LooksBinary(start))
        return Failure(ReadError{ReadError::Kind::UnknownFormat, "unknown data file format"});

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
    if (error.kind == ReadError::Kind::UnknownFormat)
        return Translate("Document", "データファイルの形式が分かりません。");
    std::string text = Translate("Document", "データファイルが開けません。");
    // A file that does not open is named, so that the user can tell which of a document's files
    // is missing; a format reader's refusal says why.
    if (error.kind == ReadError::Kind::CannotOpen) text += "\n" + error.path;
    if (error.kind == ReadError::Kind::Refused) text += "\n" + error.reason;
    return text;
}

std::string OtherRateLabels(const ReadNotes& notes) {
    std::string labels;
    for (const std::string& label : notes.otherRate)
        labels += (labels.empty() ? "" : ", ") + label;
    return labels;
}

std::vector<std::string> ReadingMessages(const ReadNotes& notes) {
    std::vector<std::string> messages;
    if (notes.outOfMemory) {
        messages.push_back(Translate("Document", "メモリが不足しています。"));
        return messages;
    }
    if (!notes.otherRate.empty()) {
        messages.push_back(
            Translate("Document", "サンプリング周波数が異なる信号は読み込みませんでした: ") +
            OtherRateLabels(notes));
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
