// Timing a peer in Python: the benchmarks write a small script that times numpy or pandas on the
// same data (processor time, best of several passes) and prints the seconds of one pass.
#pragma once

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

namespace tavrel::bench {

// Runs `script` with the system Python and the given arguments; the number of seconds it printed,
// or 0 when Python, numpy or pandas is missing or the script failed.
inline double RunPythonTiming(const std::filesystem::path& script, const std::string& arguments) {
    const std::string command =
        "/usr/bin/python3 " + script.string() + " " + arguments + " 2>/dev/null";
    std::string output;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[128];
        while (std::fgets(buffer, sizeof buffer, pipe))
            output += buffer;
        ::pclose(pipe);
    }
    double seconds = 0.0;
    auto [end, ec] = std::from_chars(output.data(), output.data() + output.size(), seconds);
    (void)end;
    return ec == std::errc() && seconds > 0.0 ? seconds : 0.0;
}

}  // namespace tavrel::bench
