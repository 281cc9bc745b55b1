// What every command of tavrel-cli shares: the failure that ends a command with its exit status,
// the host that keeps the core's messages instead of showing them, opening a document file with
// the reason of a failure, and the conversions between Qt's strings and the core's UTF-8 and file
// names. Output files are written through cli/AtomicFile.h, included here.
#pragma once

#include <QCommandLineParser>
#include <QString>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "cli/AtomicFile.h"
#include "platform/Host.h"

namespace tavrel {
class CKaisekiDoc;
}

namespace tavrel::cli {

// Exit statuses of the tool.
inline constexpr int kExitOk = 0;
inline constexpr int kExitUsage = 1;  // bad command line: message and usage on stderr
inline constexpr int kExitFile = 2;   // a file cannot be read or written

// Ends a command: `status` is the exit status, `message` the one line written to stderr.
// A usage error carries the usage text of its command, written after the message.
class CliError : public std::runtime_error {
  public:
    CliError(int status, const std::string& message, std::string usage = {})
        : std::runtime_error(message), m_status(status), m_usage(std::move(usage)) {}
    int Status() const { return m_status; }
    const std::string& Usage() const { return m_usage; }

  private:
    int m_status;
    std::string m_usage;
};

// The command line of one command: Qt's parser with the command's synopsis ("info DOC.kcd"),
// which heads its usage text.
class CommandLine {
  public:
    CommandLine(const char* synopsis, const char* description);

    QCommandLineParser& Parser() { return m_parser; }
    const QCommandLineParser& Parser() const { return m_parser; }
    void AddOption(const QCommandLineOption& option) { m_parser.addOption(option); }
    // A positional argument, in order; a missing one is named in the usage error.
    void AddPositional(const QString& name, const QString& description) {
        m_parser.addPositionalArgument(name, description);
        m_positionals.append(name);
    }

    // Parses the arguments (program name first, command word removed). --help prints the usage
    // and ends with status 0; an unknown option, a missing value or a wrong count of positional
    // arguments (those added with AddPositional) is a usage error.
    void Parse(const QStringList& arguments);
    QString Positional(int i) const { return m_parser.positionalArguments().at(i); }
    bool IsSet(const char* name) const { return m_parser.isSet(QString::fromLatin1(name)); }
    QString Value(const char* name) const { return m_parser.value(QString::fromLatin1(name)); }
    QStringList Values(const char* name) const {
        return m_parser.values(QString::fromLatin1(name));
    }

    std::string UsageText() const;
    // A usage error of this command (status 1; the usage follows the message).
    CliError UsageError(const std::string& message) const;
    // A whole number option in [low, high]; nothing when the option is absent.
    std::optional<int> IntOption(const char* name, int low, int high) const;

  private:
    QCommandLineParser m_parser;
    std::string m_synopsis;
    QStringList m_positionals;
};
// A file that cannot be read or written (status 2): "<file>: <reason>".
inline CliError FileError(const std::string& file, const std::string& reason) {
    return CliError(kExitFile, file + ": " + reason);
}

// The host of the command-line tool: the core's null host (never blocks, answers no question),
// except that it keeps the messages the core would show, so that the command decides whether they
// are a failure or a warning, and that it shows no progress (the readers then step none: a line
// of a data file costs no calls for it).
class CliHost : public NullHost {
  public:
    void MessageBox(const std::string& utf8Text) override { m_messages.push_back(utf8Text); }
    std::unique_ptr<Progress> CreateProgress() override { return nullptr; }

    // The messages kept since the last call, oldest first.
    std::vector<std::string> TakeMessages();
    // Writes the kept messages to stderr as warnings.
    void FlushWarnings();

  private:
    std::vector<std::string> m_messages;
};

// Makes the core's messages English (the tool speaks English): its warnings and reasons, which
// the core writes in Japanese, get the tool's words. Other texts - module names stored in
// documents, the "処理済" of a result's file name - stay as the core gives them. Called once at
// start-up, before any other thread runs.
void InstallEnglishMessages();

// Writes messages kept by a host to stderr as warnings, one line each.
void WriteWarnings(const std::vector<std::string>& messages);

// Installs a CliHost for the lifetime of the object, on the calling thread (each thread has its
// own host).
class ScopedCliHost {
  public:
    ScopedCliHost() : m_previous(SetHost(&m_host)) {}
    ~ScopedCliHost() { SetHost(m_previous); }
    ScopedCliHost(const ScopedCliHost&) = delete;
    ScopedCliHost& operator=(const ScopedCliHost&) = delete;
    CliHost& Get() { return m_host; }

  private:
    CliHost m_host;
    Host* m_previous;
};

// UTF-8 of a QString (texts).
std::string Utf8(const QString& text);
// A command-line argument as text, losslessly: UTF-8 is decoded, and every byte that is not part
// of UTF-8 (a file name in Shift-JIS or Latin-1) is kept as the lone surrogate U+DC80-U+DCFF.
QString DecodeArgument(std::string_view bytes);
// The file-system name of a path given on the command line: its UTF-8, with the bytes that
// DecodeArgument kept given back as they were, so any file name on the disk can be named.
std::string FileName(const QString& path);

// Loads the set-up stored in a document file (not its data file) with the core's document reader.
// A file that cannot be read, is too large or is not a valid document ends the command with status
// 2 and the reader's reason. Returns whether the file held chains.
bool OpenDocumentFile(CKaisekiDoc& doc, const std::string& path);

// A document file's bytes, read once: a command that works through many data files opens a
// document of its own for each from them, without reading the file again.
struct DocumentBytes {
    std::string path;
    std::string bytes;
};
// Reads the bytes of a document file; one that cannot be read or is too large ends the command
// with status 2 and the reader's reason.
DocumentBytes ReadDocument(const std::string& path);
// OpenDocumentFile over bytes read before: the same set-up, the same path, the same failures.
bool OpenDocumentFile(CKaisekiDoc& doc, const DocumentBytes& file);

}  // namespace tavrel::cli
