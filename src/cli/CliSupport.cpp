#include "cli/CliSupport.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "document/KaisekiDoc.h"
#include "platform/TextCodec.h"

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

namespace {

// The bytes of a document file, read to the end but never more than kMaxDocumentBytes: a device
// that never ends (/dev/zero) or an enormous file is refused instead of filling the memory.
// Regular files and pipes (a document handed over by another program) are read.
std::string ReadWholeDocumentFile(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw FileError(path, std::strerror(errno));
    struct Closer {
        int fd;
        ~Closer() { close(fd); }
    } closer{fd};
    struct stat info {};
    if (fstat(fd, &info) != 0) throw FileError(path, std::strerror(errno));
    if (S_ISDIR(info.st_mode)) throw FileError(path, std::strerror(EISDIR));
    std::string bytes;
    if (S_ISREG(info.st_mode) && info.st_size > 0 &&
        static_cast<std::uintmax_t>(info.st_size) <= kMaxDocumentBytes)
        bytes.reserve(static_cast<std::size_t>(info.st_size));
    char chunk[65536];
    for (;;) {
        const ssize_t n = read(fd, chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw FileError(path, std::strerror(errno));
        }
        if (n == 0) break;
        if (bytes.size() + static_cast<std::size_t>(n) > kMaxDocumentBytes)
            throw FileError(path, "too large for a document (more than " +
                                      std::to_string(kMaxDocumentBytes >> 20) + " MiB)");
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
    return bytes;
}

}  // namespace

bool OpenDocumentFile(CKaisekiDoc& doc, const std::string& path) {
    const std::string bytes = ReadWholeDocumentFile(path);
    std::string reason;
    bool hadChains = false;
    if (!doc.ReadDocumentBytes(bytes, &reason, &hadChains)) throw FileError(path, reason);
    // The document's own path: a relative data-file path is also looked for beside it.
    doc.SetPathName(path);
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

namespace {

// The temporary file being written, for the signal handler: a tool stopped by Ctrl-C or a
// termination request leaves no hidden partial file behind. One output is written at a time.
char g_temporary[4096];
volatile std::sig_atomic_t g_hasTemporary = 0;

extern "C" void RemoveTemporaryAndStop(int signal) {
    if (g_hasTemporary) unlink(g_temporary);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

void InstallStopHandlers() {
    static const bool installed = [] {
        for (int s : kStopSignals) {
            struct sigaction action {};
            action.sa_handler = RemoveTemporaryAndStop;
            sigemptyset(&action.sa_mask);
            struct sigaction previous {};
            // A signal ignored when the tool started (nohup) stays ignored.
            if (sigaction(s, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) continue;
            sigaction(s, &action, nullptr);
        }
        return true;
    }();
    (void)installed;
}

// Creates the temporary file from the mkstemp pattern `path` and records it for the handler,
// with the stop signals held back in between so that none can come after the file exists and
// before the handler knows it.
int CreateWatchedTemporary(std::string& path) {
    InstallStopHandlers();
    sigset_t stops;
    sigset_t previous;
    sigemptyset(&stops);
    for (int s : kStopSignals)
        sigaddset(&stops, s);
    sigprocmask(SIG_BLOCK, &stops, &previous);
    const int fd = mkstemp(path.data());
    const int error = errno;
    if (fd >= 0 && path.size() < sizeof g_temporary) {
        std::memcpy(g_temporary, path.c_str(), path.size() + 1);
        g_hasTemporary = 1;
    }
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    errno = error;
    return fd;
}

}  // namespace

AtomicFile::AtomicFile(std::string path) : m_path(std::move(path)) {
    std::error_code ec;
    if (std::filesystem::is_directory(m_path, ec)) throw FileError(m_path, std::strerror(EISDIR));
    // An output that is a symbolic link is written through it: the file it names is replaced and
    // the link stays.
    m_target = m_path;
    if (std::filesystem::is_symlink(m_path, ec)) {
        const std::filesystem::path resolved = std::filesystem::weakly_canonical(m_path, ec);
        if (!ec) m_target = resolved.string();
        if (std::filesystem::is_directory(m_target, ec))
            throw FileError(m_path, std::strerror(EISDIR));
    }
    // A file the user has made read-only is not replaced.
    struct stat existing {};
    const bool exists = stat(m_target.c_str(), &existing) == 0;
    if (exists && access(m_target.c_str(), W_OK) != 0)
        throw FileError(m_path, std::strerror(errno));
    std::filesystem::path folder = std::filesystem::path(m_target).parent_path();
    if (folder.empty()) folder = ".";
    m_temporary =
        (folder / ("." + std::filesystem::path(m_target).filename().string() + ".XXXXXX")).string();
    m_fd = CreateWatchedTemporary(m_temporary);
    if (m_fd < 0) throw FileError(m_path, std::strerror(errno));
    // The permissions a newly created file would get, or those of the file replaced.
    mode_t mode = 0;
    if (exists) {
        mode = existing.st_mode & 07777;
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    fchmod(m_fd, mode);
}

AtomicFile::~AtomicFile() {
    if (m_fd >= 0) close(m_fd);
    if (!m_temporary.empty()) {
        g_hasTemporary = 0;
        unlink(m_temporary.c_str());
    }
}

bool AtomicFile::Write(std::string_view bytes) {
    while (!bytes.empty() && m_error == 0) {
        const ssize_t n = write(m_fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno != EINTR) m_error = errno;
            continue;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return m_error == 0;
}

void AtomicFile::Fail() {
    throw FileError(m_path, m_error ? std::strerror(m_error) : "cannot be written");
}

void AtomicFile::Commit() {
    if (m_error) Fail();
    const int fd = m_fd;
    m_fd = -1;
    if (close(fd) != 0) throw FileError(m_path, std::strerror(errno));
    if (std::rename(m_temporary.c_str(), m_target.c_str()) != 0)
        throw FileError(m_path, std::strerror(errno));
    g_hasTemporary = 0;
    m_temporary.clear();
}

void WriteFileAtomically(const std::string& path, std::string_view bytes) {
    AtomicFile file(path);
    if (!file.Write(bytes)) file.Fail();
    file.Commit();
}

}  // namespace tavrel::cli
