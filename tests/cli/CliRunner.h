// Runs the built tavrel-cli as a process and collects what it wrote and how it ended.
#pragma once

#include <string>
#include <vector>

namespace tavrel::test {

struct CliResult {
    int status = -1;  // exit status, or -1 when the process did not exit normally
    std::string out;
    std::string err;
    // The number of lines written to stderr.
    int ErrLines() const;
};

// Runs tavrel-cli with the arguments (no shell involved) and waits for it.
CliResult RunCli(const std::vector<std::string>& arguments);

}  // namespace tavrel::test
