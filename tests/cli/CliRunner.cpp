#include "CliRunner.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

#include "support/TempDir.h"

extern char** environ;

namespace tavrel::test {

bool CliResult::QuietButRowsNotice() const {
    // At most the notice of rows left out at the row cap and that of rows of text read as 0 (a
    // header line read as data).
    std::size_t start = 0;
    int lines = 0;
    for (std::size_t end; (end = err.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = err.substr(start, end - start);
        if (line.find("rows were read") == std::string::npos &&
            line.find("rows held text, read as 0") == std::string::npos)
            return false;
        ++lines;
    }
    return start == err.size() && lines <= 2;
}

int CliResult::ErrLines() const {
    return static_cast<int>(std::count(err.begin(), err.end(), '\n'));
}

namespace {

// The tool's path followed by the arguments.
std::vector<std::string> CliArguments(const std::vector<std::string>& arguments) {
    std::vector<std::string> args{TAVREL_CLI};
    args.insert(args.end(), arguments.begin(), arguments.end());
    return args;
}

// An argv array over `args` (which must outlive it), ended by a null pointer.
std::vector<char*> Argv(std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    return argv;
}

}  // namespace

int SpawnCli(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = CliArguments(arguments);
    std::vector<char*> argv = Argv(args);
    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, 1);
            dup2(null, 2);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

CliEnvironment DecimalCommaLocale() {
    CliEnvironment environment;
    environment.variables = {{"LC_ALL", kDecimalCommaLocale}, {"LANG", kDecimalCommaLocale}};
    return environment;
}

CliResult RunCli(const std::vector<std::string>& arguments, const CliEnvironment& environment) {
    // Output goes to files, so a large output cannot block the child on a full pipe.
    TempDir dir;
    const std::string outPath =
        environment.stdoutPath.empty() ? dir.File("stdout") : environment.stdoutPath;
    const std::string errPath = dir.File("stderr");
    std::vector<std::string> args = CliArguments(arguments);
    if (!environment.program.empty()) args.front() = environment.program;
    std::vector<char*> argv = Argv(args);

    // The child's environment is built before the fork: only async-signal-safe calls after it.
    std::vector<std::string> variables;
    for (char** e = environ; *e; ++e) {
        const std::string entry(*e);
        const std::string name = entry.substr(0, entry.find('='));
        const bool replaced =
            std::any_of(environment.variables.begin(), environment.variables.end(),
                        [&](const auto& v) { return v.first == name; });
        if (!replaced) variables.push_back(entry);
    }
    for (const auto& [name, value] : environment.variables)
        variables.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (std::string& v : variables)
        envp.push_back(v.data());
    envp.push_back(nullptr);
    const char* workingDir =
        environment.workingDir.empty() ? nullptr : environment.workingDir.c_str();
    const bool noThreads = environment.noThreads;

    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOCTTY, 0600);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || err < 0) _exit(127);
        dup2(out, 1);
        dup2(err, 2);
        if (workingDir && chdir(workingDir) != 0) _exit(127);
        if (noThreads) {
            if (geteuid() == 0 &&
                (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0))
                _exit(125);
            const rlimit one{1, 1};
            if (setrlimit(RLIMIT_NPROC, &one) != 0) _exit(125);
        }
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    int wstatus = 0;
    while (waitpid(pid, &wstatus, 0) < 0) {
        if (errno != EINTR) throw std::runtime_error("waitpid failed");
    }
    CliResult result;
    result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    if (environment.stdoutPath.empty()) result.out = ReadFileBytes(outPath);
    result.err = ReadFileBytes(errPath);
    return result;
}

}  // namespace tavrel::test
