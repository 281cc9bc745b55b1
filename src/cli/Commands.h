// The commands of tavrel-cli. Each takes the program name followed by the command's own
// arguments (the command word removed) and returns the exit status, or throws CliError.
#pragma once

#include <QCoreApplication>
#include <QStringList>
#include <memory>

namespace tavrel::cli {

int RunNew(const QStringList& arguments);
int RunInfo(const QStringList& arguments);
int RunExport(const QStringList& arguments);
int RunRender(const QStringList& arguments);
int RunMeasure(const QStringList& arguments);

// The application object the render command runs in, made before the command parses its
// arguments: in tavrel-cli-render a QGuiApplication on the offscreen platform (the tool needs no
// display whatever the environment names). tavrel-cli, which loads no painting libraries, instead
// runs tavrel-cli-render in its place with the same arguments (`argv[1]` the command word) and
// returns only when that program cannot be found or started (CliError).
std::unique_ptr<QCoreApplication> RenderApplication(int& argc, char** argv);

}  // namespace tavrel::cli
