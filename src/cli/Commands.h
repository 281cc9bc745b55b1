// The commands of tavrel-cli. Each takes the program name followed by the command's own
// arguments (the command word removed) and returns the exit status, or throws CliError.
#pragma once

#include <QStringList>

namespace tavrel::cli {

int RunNew(const QStringList& arguments);
int RunInfo(const QStringList& arguments);
int RunExport(const QStringList& arguments);
int RunRender(const QStringList& arguments);
int RunMeasure(const QStringList& arguments);

}  // namespace tavrel::cli
