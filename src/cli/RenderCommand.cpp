#include "cli/CliSupport.h"
#include "cli/Commands.h"

namespace tavrel::cli {
int RunRender(const QStringList&) {
    throw CliError(kExitUsage, "render: not built yet");
}
int RunExport(const QStringList&) {
    throw CliError(kExitUsage, "export: not built yet");
}
}  // namespace tavrel::cli
