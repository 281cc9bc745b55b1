#include "platform/Host.h"

namespace tavrel {

namespace {

class NullProgress : public Progress {
public:
    void SetRange(int, int) override {}
    void Step(int) override {}
    int PumpMessages() override { return 0; }
};

NullHost g_nullHost;
Host* g_host = &g_nullHost;

}  // namespace

std::unique_ptr<Progress> NullHost::CreateProgress() { return std::make_unique<NullProgress>(); }

Host& GetHost() { return *g_host; }

Host* SetHost(Host* host) {
    Host* previous = g_host == &g_nullHost ? nullptr : g_host;
    g_host = host ? host : &g_nullHost;
    return previous;
}

}  // namespace tavrel
