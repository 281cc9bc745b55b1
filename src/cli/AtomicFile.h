// The command-line tool's output files: the core's AtomicFile (a temporary file beside the target,
// flushed to the disk and renamed over it only when everything was written) with failures ending
// the command with status 2; and the stop signals: a tool stopped by SIGINT, SIGTERM, SIGHUP or
// SIGQUIT removes its temporary file first, so it leaves neither a partial file nor a damaged
// earlier one. Outputs are written one at a time, from the thread that runs the command.
#pragma once

#include <string>
#include <string_view>

#include "platform/AtomicFile.h"

namespace tavrel::cli {

class AtomicFile {
  public:
    // Creates the temporary file; a folder that does not exist or cannot be written, a target
    // that is a folder or a read-only file end the command with status 2.
    explicit AtomicFile(std::string path);

    // Appends bytes; false (and the reason kept) when they cannot be written.
    bool Write(std::string_view bytes) { return m_file.Write(bytes); }
    // Ends the command with the reason of the failed write (status 2).
    [[noreturn]] void Fail();
    // Puts the file in place of the target; status 2 when that fails.
    void Commit();

  private:
    std::string m_path;  // as given, for messages
    tavrel::AtomicFile m_file;
};

// Writes `bytes` to `path` through an AtomicFile.
void WriteFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace tavrel::cli
