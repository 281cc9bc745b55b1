// What every command of tavrel-cli shares: the failure that ends a command with its exit status,
// the host that keeps the core's messages instead of showing them, opening a document file with
// the reason of a failure, and the conversions between Qt's strings and the core's UTF-8 and file
// names.
#pragma once

#include <QCommandLineParser>
#include <QString>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

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

// The host of the command-line tool: never blocks, answers no question, and keeps the messages
// the core would show so that the command decides whether they are a failure or a warning.
class CliHost : public Host {
  public:
    void MessageBox(const std::string& utf8Text) override { m_messages.push_back(utf8Text); }
    void Beep() override {}
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
    std::unique_ptr<Progress> CreateProgress() override;
    bool RunModuleDialog(ModuleDialog&) override { return false; }
    std::optional<std::string> ChooseSaveFile(const SaveFileRequest&) override { return {}; }
    bool RunExportSettings(ExportSettings&) override { return false; }

    // The messages kept since the last call, oldest first.
    std::vector<std::string> TakeMessages();
    // Writes the kept messages to stderr as warnings.
    void FlushWarnings();

  private:
    std::vector<std::string> m_messages;
};

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

// The largest document file the tool reads; the program's documents are a few kilobytes.
inline constexpr std::size_t kMaxDocumentBytes = std::size_t{64} << 20;

// Loads the set-up stored in a document file (not its data file). A file that cannot be read, is
// larger than kMaxDocumentBytes or is not a valid document ends the command with status 2.
// Returns whether the file held chains.
bool OpenDocumentFile(CKaisekiDoc& doc, const std::string& path);

// An output file written through a temporary file in the same folder, which replaces the target
// only when everything was written: a failure, or the tool stopped by SIGINT, SIGTERM, SIGHUP or
// SIGQUIT, leaves neither a partial file nor a damaged earlier one. A read-only target is not
// replaced; a symbolic link is written through. (No flush to the disk is forced; the replacement
// itself is atomic.)
class AtomicFile {
  public:
    // Creates the temporary file; a folder that does not exist or cannot be written, or a target
    // that is a folder, ends the command with status 2.
    explicit AtomicFile(std::string path);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Appends bytes; false (and the reason kept) when they cannot be written.
    bool Write(std::string_view bytes);
    // Ends the command with the reason of the failed write (status 2).
    [[noreturn]] void Fail();
    // Puts the file in place of the target; status 2 when that fails.
    void Commit();

  private:
    std::string m_path;    // as given, for messages
    std::string m_target;  // the file replaced: the path, or the file a symbolic link names
    std::string m_temporary;
    int m_fd = -1;
    int m_error = 0;
};

// Writes `bytes` to `path` through an AtomicFile.
void WriteFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace tavrel::cli
