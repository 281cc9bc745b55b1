#include "cli/CliSupport.h"

#include <QFile>
#include <QSaveFile>
#include <cstdio>

#include "document/KaisekiDoc.h"

namespace tavrel::cli {

namespace {

class QuietProgress : public Progress {
  public:
    void SetRange(int, int) override {}
    void Step(int) override {}
    int PumpMessages() override { return 0; }
};

}  // namespace

std::unique_ptr<Progress> CliHost::CreateProgress() {
    return std::make_unique<QuietProgress>();
}

std::vector<std::string> CliHost::TakeMessages() {
    std::vector<std::string> taken;
    taken.swap(m_messages);
    return taken;
}

void CliHost::FlushWarnings() {
    for (const std::string& message : TakeMessages()) {
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

std::string FileName(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

bool OpenDocumentFile(CKaisekiDoc& doc, const std::string& path) {
    std::string reason;
    bool hadChains = false;
    if (!doc.ReadDocumentFile(path, &reason, &hadChains)) throw FileError(path, reason);
    return hadChains;
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

void CommandLine::Parse(const QStringList& arguments, int positionals) {
    if (!m_parser.parse(arguments)) throw UsageError(Utf8(m_parser.errorText()));
    if (IsSet("help")) {
        std::fputs(UsageText().c_str(), stdout);
        throw CliError(kExitOk, {});
    }
    const qsizetype given = m_parser.positionalArguments().size();
    if (given < positionals) throw UsageError("missing argument");
    if (given > positionals)
        throw UsageError("unexpected argument \"" + Utf8(Positional(positionals)) + "\"");
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

void WriteFileAtomically(const std::string& path, std::string_view bytes) {
    QSaveFile file(QFile::decodeName(QByteArray::fromStdString(path)));
    if (!file.open(QIODevice::WriteOnly)) throw FileError(path, Utf8(file.errorString()));
    const qint64 size = static_cast<qint64>(bytes.size());
    if (file.write(bytes.data(), size) != size || !file.commit())
        throw FileError(path, Utf8(file.errorString()));
}

}  // namespace tavrel::cli
