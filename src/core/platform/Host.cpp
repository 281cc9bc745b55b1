#include "platform/Host.h"

namespace tavrel {

namespace {

class NullProgress : public Progress {
  public:
    void SetRange(int, int) override {}
    void Step(int) override {}
    int PumpMessages() override { return 0; }
};

// The null host holds no state, so all threads may share it.
NullHost g_nullHost;
// Each thread has its own current host: the program installs its host on the user-interface
// thread, and each worker thread of the command-line tool installs one of its own, so the
// messages of one document never reach another thread's host.
thread_local Host* g_host = &g_nullHost;

}  // namespace

std::unique_ptr<Progress> NullHost::CreateProgress() {
    return std::make_unique<NullProgress>();
}

Host& GetHost() {
    return *g_host;
}

Host* SetHost(Host* host) {
    Host* previous = g_host == &g_nullHost ? nullptr : g_host;
    g_host = host ? host : &g_nullHost;
    return previous;
}

}  // namespace tavrel
