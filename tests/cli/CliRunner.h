// Runs the built tavrel-cli as a process and collects what it wrote and how it ended.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace tavrel::test {

struct CliResult {
    int status = -1;  // exit status, or -1 when the process did not exit normally
    std::string out;
    std::string err;
    // The number of lines written to stderr.
    int ErrLines() const;
    // True when stderr is empty or holds only the reading notices: rows left out at the row cap,
    // rows of text read as 0.
    bool QuietButRowsNotice() const;
};

// How the process is started: environment variables set or replaced (the rest of the test's
// environment is inherited) and the working folder (empty: the test's own).
struct CliEnvironment {
    std::vector<std::pair<std::string, std::string>> variables;
    std::string workingDir;
    // Where standard output goes instead of being collected (such as /dev/full).
    std::string stdoutPath;
    // The program run instead of the built tavrel-cli (a copy of it elsewhere).
    std::string program;
    // The program may start no thread nor process: the system's limit of processes is 1, and a
    // test run as root starts it as the user nobody (65534), whom that limit binds. The status
    // is 125 when the limit could not be set.
    bool noThreads = false;
};

// Runs tavrel-cli with the arguments (no shell involved) and waits for it.
CliResult RunCli(const std::vector<std::string>& arguments, const CliEnvironment& environment = {});

// Starts tavrel-cli with the arguments, its output discarded, and returns its process id without
// waiting (for tests that stop it on the way).
int SpawnCli(const std::vector<std::string>& arguments);

// The environment of a German decimal-comma locale for every category (LC_ALL), in which the C
// library writes and reads "0,5". Tests check first that the locale exists on the machine.
CliEnvironment DecimalCommaLocale();
inline constexpr const char* kDecimalCommaLocale = "de_DE.UTF-8";

}  // namespace tavrel::test
