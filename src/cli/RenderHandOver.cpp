// tavrel-cli's render command: runs tavrel-cli-render, the same tool built with the painting
// libraries, in this process's place. The other commands thereby start without loading Qt Gui,
// its graphics and font libraries, which took a third of their start-up.
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include "cli/CliSupport.h"
#include "cli/Commands.h"

namespace tavrel::cli {

namespace {
constexpr const char* kRenderProgram = "tavrel-cli-render";
}  // namespace

std::unique_ptr<QCoreApplication> RenderApplication(int&, char** argv) {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) throw CliError(kExitFile, "render: this program's own location cannot be read");
    // Beside this program in the build tree; in ../lib/tavrel where it is installed.
    const std::filesystem::path folder = self.parent_path();
    std::string reason = "not installed";
    for (const std::filesystem::path& program :
         {folder / kRenderProgram, folder.parent_path() / "lib" / "tavrel" / kRenderProgram}) {
        execv(program.c_str(), argv);  // returns only when it could not be started
        if (errno != ENOENT) {
            reason = program.string() + ": " + std::strerror(errno);
            break;
        }
    }
    throw CliError(kExitFile, std::string("render needs ") + kRenderProgram + " (" + reason + ")");
}

// Never reached: RenderApplication has run the render command elsewhere or failed.
int RunRender(const QStringList&) {
    throw CliError(kExitFile, std::string("render needs ") + kRenderProgram);
}

}  // namespace tavrel::cli
