// tavrel-cli: the program's headless front end. It creates, describes, exports and renders
// documents and measures recordings without dialogs or a display, for batch work and scripted
// checks.
#include <QCoreApplication>
#include <QStringList>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <new>

#include "cli/CliSupport.h"
#include "cli/Commands.h"

namespace {

constexpr const char* kUsage =
    "Usage: tavrel-cli COMMAND [options] ...\n"
    "\n"
    "Commands:\n"
    "  new OUT.kcd [--from SETUP.json] write the document file of a new document, or of a\n"
    "                                  set-up given as JSON (the inverse of info)\n"
    "  info DOC.kcd                    print the stored set-up of a document as JSON\n"
    "  export DOC.kcd -o OUT.csv ...   write the processed data as the GUI saves them\n"
    "  render DOC.kcd -o OUT.png ...   draw the graph view or a magnifier picture\n"
    "                                  (PNG, SVG or PDF by the output's extension)\n"
    "  measure DOC.kcd [-o OUT] ...    measure every channel of each data file into one table\n"
    "                                  (CSV, or JSON when OUT ends in .json)\n"
    "\n"
    "  tavrel-cli COMMAND --help       options of a command (also: tavrel-cli help COMMAND)\n"
    "  tavrel-cli --version            version of the program\n"
    "\n"
    "Exit status: 0 success, 1 usage error, 2 a file cannot be read or written.\n";

using Command = int (*)(const QStringList&);

Command FindCommand(const char* word) {
    if (std::strcmp(word, "new") == 0) return tavrel::cli::RunNew;
    if (std::strcmp(word, "info") == 0) return tavrel::cli::RunInfo;
    if (std::strcmp(word, "export") == 0) return tavrel::cli::RunExport;
    if (std::strcmp(word, "render") == 0) return tavrel::cli::RunRender;
    if (std::strcmp(word, "measure") == 0) return tavrel::cli::RunMeasure;
    return nullptr;
}

// Qt's own diagnostics (a missing runtime folder, font fall-backs) are not the tool's output: the
// contract is one line on stderr for a failure and nothing otherwise.
void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "tavrel-cli: %s\n", message.toLocal8Bit().constData());
}

int Fail(int status, const std::string& message, const std::string& usage = {}) {
    std::fprintf(stderr, "tavrel-cli: %s\n", message.c_str());
    if (!usage.empty()) std::fprintf(stderr, "\n%s", usage.c_str());
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace tavrel::cli;
    if (argc < 2) return Fail(kExitUsage, "no command given", kUsage);
    const char* word = argv[1];
    // "help COMMAND" is "COMMAND --help".
    static char helpOption[] = "--help";
    if (std::strcmp(word, "help") == 0 && argc == 3 && FindCommand(argv[2])) {
        word = argv[2];
        argv[1] = argv[2];
        argv[2] = helpOption;
    }
    if (std::strcmp(word, "--help") == 0 || std::strcmp(word, "-h") == 0 ||
        std::strcmp(word, "help") == 0) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    if (std::strcmp(word, "--version") == 0 || std::strcmp(word, "-v") == 0) {
        std::printf("tavrel-cli %s\n", TAVREL_VERSION);
        return kExitOk;
    }
    const Command command = FindCommand(word);
    if (!command) return Fail(kExitUsage, std::string("unknown command \"") + word + "\"", kUsage);

    qInstallMessageHandler(QuietQtMessages);
    InstallEnglishMessages();
    // Only rendering needs the painting system.
    std::unique_ptr<QCoreApplication> app;
    if (command == RunRender) {
        try {
            app = RenderApplication(argc, argv);
        } catch (const CliError& error) {
            return Fail(error.Status(), error.what());
        }
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName("tavrel-cli");
    QCoreApplication::setApplicationVersion(TAVREL_VERSION);

    // The arguments from the bytes the system passed: Qt's own list would replace the bytes of
    // a file name that is not UTF-8, which could then not be opened or would be written under
    // another name. The command word goes; the program name stays first.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        if (i != 1) arguments.append(DecodeArgument(argv[i]));
    }
    try {
        return command(arguments);
    } catch (const CliError& error) {
        if (error.Status() == kExitOk) return kExitOk;  // a command's --help
        return Fail(error.Status(), error.what(), error.Usage());
    } catch (const std::bad_alloc&) {
        return Fail(kExitFile, "not enough memory");
    } catch (const std::exception& error) {
        return Fail(kExitFile, error.what());
    }
}
