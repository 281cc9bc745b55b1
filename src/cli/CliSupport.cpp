#include "cli/CliSupport.h"

#include <cstdio>
#include <cstring>

#include "document/KaisekiDoc.h"
#include "platform/TextCodec.h"
#include "platform/Translate.h"

namespace tavrel::cli {

namespace {

// The core's messages that can reach the tool's output, in the tool's words.
struct EnglishMessage {
    const char* japanese;
    const char* english;
};
constexpr EnglishMessage kEnglishMessages[] = {
    {"サンプリング周波数が異なる信号は読み込みませんでした: ",
     "signals with another sampling rate were not read: "},
    {"データファイルが開けません。", "cannot open the data file"},
    {"メモリが不足しています。", "not enough memory"},
    {"ファイルが開けませんでした。", "cannot open the file"},
    {"ドキュメントを開くことができません。", "cannot open the document"},
    {"ドキュメントを保存できません。", "cannot save the document"},
    // EDFlib's reasons, after "EDFlib: ".
    {"メモリが足りません", "not enough memory"},
    {"ファイルまたはフォルダがありません", "no such file or directory"},
    {"ファイルの形式に誤りがあります（ヘッダの破損、または長さの不一致）",
     "the file contains format errors (a damaged header or a file shorter or longer than its "
     "header says)"},
    {"開いているファイルが多すぎます", "too many files are open"},
    {"読み込みエラー", "read error"},
    {"ファイルはすでに開かれています", "the file is already open"},
    {"不連続な記録（EDF+D、BDF+D）は読み込めません",
     "a discontinuous recording (EDF+D or BDF+D) cannot be read"},
    {"エラー %1", "error %1"},
    {"データレコードの長さが 0 です", "the data record duration is 0"},
};

std::string EnglishMessages(const char* context, const char* text) {
    if (std::strcmp(context, "Document") == 0) {
        for (const EnglishMessage& message : kEnglishMessages) {
            if (std::strcmp(text, message.japanese) == 0) return message.english;
        }
    }
    return text;
}

}  // namespace

void InstallEnglishMessages() {
    SetTranslator(&EnglishMessages);
}

std::vector<std::string> CliHost::TakeMessages() {
    std::vector<std::string> taken;
    taken.swap(m_messages);
    return taken;
}

void CliHost::FlushWarnings() {
    WriteWarnings(TakeMessages());
}

void WriteWarnings(const std::vector<std::string>& messages) {
    for (const std::string& message : messages) {
        std::string line = message;
        for (char& c : line) {
            if (c == '\n' || c == '\r') c = ' ';
        }
        std::fprintf(stderr, "tavrel-cli: warning: %s\n", line.c_str());
    }
}

std::string Utf8(const QString& text) {
    return text.toStdString();
}

QString DecodeArgument(std::string_view bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned lead = p[i];
        // The length of a well-formed UTF-8 sequence starting here, and its smallest code point.
        std::size_t length = 0;
        char32_t code = 0;
        char32_t smallest = 0;
        if (lead < 0x80) {
            length = 1;
            code = lead;
        } else if (lead >= 0xC2 && lead < 0xE0) {
            length = 2, code = lead & 0x1F, smallest = 0x80;
        } else if (lead >= 0xE0 && lead < 0xF0) {
            length = 3, code = lead & 0x0F, smallest = 0x800;
        } else if (lead >= 0xF0 && lead < 0xF5) {
            length = 4, code = lead & 0x07, smallest = 0x10000;
        }
        bool valid = length > 0 && i + length <= n;
        for (std::size_t k = 1; valid && k < length; ++k) {
            valid = (p[i + k] & 0xC0) == 0x80;
            code = (code << 6) | (p[i + k] & 0x3F);
        }
        valid = valid && code >= smallest && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
        if (!valid) {
            // A byte that is not part of UTF-8: kept as a lone low surrogate, which no valid text
            // holds, so that FileName gives the byte back.
            text.append(QChar(static_cast<char16_t>(0xDC00 + lead)));
            ++i;
            continue;
        }
        const char32_t codes[1] = {code};
        text.append(QString::fromUcs4(codes, 1));
        i += length;
    }
    return text;
}

std::string FileName(const QString& path) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(path.size()));
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t unit = path[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < path.size() && path[i + 1].isLowSurrogate()) {
            AppendUtf8(bytes, QChar::surrogateToUcs4(unit, path[i + 1].unicode()));
            ++i;
        } else if (unit >= 0xDC80 && unit <= 0xDCFF) {
            bytes += static_cast<char>(unit - 0xDC00);  // a byte kept by DecodeArgument
        } else if (QChar::isSurrogate(unit)) {
            AppendUtf8(bytes, 0xFFFD);
        } else {
            AppendUtf8(bytes, unit);
        }
    }
    return bytes;
}

bool OpenDocumentFile(CKaisekiDoc& doc, const std::string& path) {
    // The document's own path (a relative data-file path is also looked for beside it) is set by
    // the reader.
    const auto loaded = doc.ReadDocumentFile(path);
    if (!loaded) throw FileError(path, loaded.Error());
    return loaded->hadChains;
}

DocumentBytes ReadDocument(const std::string& path) {
    DocumentBytes file{path, {}};
    const std::string reason = ReadDocumentFileBytes(path, file.bytes);
    if (!reason.empty()) throw FileError(path, reason);
    return file;
}

bool OpenDocumentFile(CKaisekiDoc& doc, const DocumentBytes& file) {
    const auto loaded = doc.ReadDocumentBytes(file.bytes);
    if (!loaded) throw FileError(file.path, loaded.Error());
    doc.SetPathName(file.path);
    return loaded->hadChains;
}

CommandLine::CommandLine(const char* synopsis, const char* description) : m_synopsis(synopsis) {
    m_parser.setApplicationDescription(QString::fromUtf8(description));
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    m_parser.addOption(QCommandLineOption({"h", "help"}, "Shows this help."));
}

std::string CommandLine::UsageText() const {
    // Qt heads its text with the program's path; the tool names itself and the command instead.
    std::string text = Utf8(m_parser.helpText());
    const std::size_t firstLineEnd = text.find('\n');
    text.erase(0, firstLineEnd == std::string::npos ? text.size() : firstLineEnd + 1);
    return "Usage: tavrel-cli " + m_synopsis + "\n" + text;
}

CliError CommandLine::UsageError(const std::string& message) const {
    return CliError(kExitUsage, message, UsageText());
}

void CommandLine::Parse(const QStringList& arguments) {
    if (!m_parser.parse(arguments)) throw UsageError(Utf8(m_parser.errorText()));
    if (IsSet("help")) {
        std::fputs(UsageText().c_str(), stdout);
        throw CliError(kExitOk, {});
    }
    const qsizetype given = m_parser.positionalArguments().size();
    if (given < m_positionals.size())
        throw UsageError("missing argument " + Utf8(m_positionals[given]));
    if (given > m_positionals.size())
        throw UsageError("unexpected argument \"" +
                         FileName(m_parser.positionalArguments()[m_positionals.size()]) + "\"");
}

std::optional<int> CommandLine::IntOption(const char* name, int low, int high) const {
    if (!IsSet(name)) return std::nullopt;
    const QString text = Value(name);
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok);
    if (!ok || value < low || value > high) {
        throw UsageError(std::string("--") + name + ": expected a whole number from " +
                         std::to_string(low) + " to " + std::to_string(high) + ", not \"" +
                         Utf8(text) + "\"");
    }
    return static_cast<int>(value);
}

}  // namespace tavrel::cli
