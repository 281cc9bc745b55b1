#include "cli/AtomicFile.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <csignal>
#include <cstring>

#include "cli/CliSupport.h"

namespace tavrel::cli {

namespace {

// The temporary file being written, for the signal handler: a tool stopped by Ctrl-C or a
// termination request leaves no hidden partial file behind. One output is written at a time.
char g_temporary[4096];
volatile std::sig_atomic_t g_hasTemporary = 0;

extern "C" void RemoveTemporaryAndStop(int signal) {
    if (g_hasTemporary) unlink(g_temporary);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

void InstallStopHandlers() {
    for (int s : kStopSignals) {
        struct sigaction action {};
        action.sa_handler = RemoveTemporaryAndStop;
        sigemptyset(&action.sa_mask);
        struct sigaction previous {};
        // A signal ignored when the tool started (nohup) stays ignored.
        if (sigaction(s, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) continue;
        sigaction(s, &action, nullptr);
    }
}

// Keeps g_temporary in step with the core's temporary file. The stop signals are held back while
// the file is created, so that none can come after the file exists and before the handler knows
// it.
class StopSignalWatch : public TemporaryFileWatch {
  public:
    StopSignalWatch() { InstallStopHandlers(); }

    void Creating() override {
        sigset_t stops;
        sigemptyset(&stops);
        for (int s : kStopSignals)
            sigaddset(&stops, s);
        pthread_sigmask(SIG_BLOCK, &stops, &m_previous);
    }
    void Created(const std::string& path) override {
        if (!path.empty() && path.size() < sizeof g_temporary) {
            std::memcpy(g_temporary, path.c_str(), path.size() + 1);
            g_hasTemporary = 1;
        }
        pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
    }
    void Released() override { g_hasTemporary = 0; }

  private:
    sigset_t m_previous{};
};

tavrel::AtomicFile WatchedFile(const std::string& path) {
    static StopSignalWatch watch;
    SetTemporaryFileWatch(&watch);
    return tavrel::AtomicFile(path);
}

}  // namespace

AtomicFile::AtomicFile(std::string path) : m_path(std::move(path)), m_file(WatchedFile(m_path)) {
    if (!m_file.IsOpen()) throw FileError(m_path, m_file.Reason());
}

void AtomicFile::Fail() {
    throw FileError(m_path, m_file.Reason());
}

void AtomicFile::Commit() {
    if (!m_file.Commit()) Fail();
}

void WriteFileAtomically(const std::string& path, std::string_view bytes) {
    AtomicFile file(path);
    if (!file.Write(bytes)) file.Fail();
    file.Commit();
}

}  // namespace tavrel::cli
