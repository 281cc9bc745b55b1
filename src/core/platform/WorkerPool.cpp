#include "platform/WorkerPool.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/Host.h"

namespace tavrel {

namespace {

int InitialSetting() {
    const char* text = std::getenv("TAVREL_THREADS");
    if (!text || !*text) return 0;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (*end != '\0' || value < 0) return 0;
    return static_cast<int>(std::min(value, 1024L));
}

std::atomic<int> g_setting{InitialSetting()};
// 0 = no limit of the calling thread; set inside items and by ScopedThreadLimit.
thread_local int t_limit = 0;

// Threads that wait for tasks; grown on demand, joined when the program ends.
class Pool {
  public:
    ~Pool() {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_all();
        for (std::thread& thread : m_threads)
            thread.join();
    }

    void Run(int helpers, const std::function<void()>& task) {
        std::lock_guard lock(m_mutex);
        // The pool grows as far as the system lets it: the items are taken by whichever threads
        // run, the calling one among them, so with fewer helpers they only take longer.
        while (static_cast<int>(m_threads.size()) < helpers) {
            try {
                m_threads.emplace_back([this] { Serve(); });
            } catch (const std::exception&) {
                helpers = static_cast<int>(m_threads.size());
            }
        }
        for (int i = 0; i < helpers; ++i)
            m_tasks.push_back(task);
        m_wake.notify_all();
    }

  private:
    void Serve() {
        while (true) {
            std::function<void()> task;
            {
                std::unique_lock lock(m_mutex);
                m_wake.wait(lock, [this] { return m_stopping || !m_tasks.empty(); });
                if (m_tasks.empty()) return;
                task = std::move(m_tasks.front());
                m_tasks.pop_front();
            }
            task();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_tasks;
    std::vector<std::thread> m_threads;
    bool m_stopping = false;
};

Pool& ThePool() {
    static Pool pool;
    return pool;
}

// What one item showed, in the order it showed it; everything else it asks is answered as the
// null host answers (no dialog can open away from the user-interface thread).
class CollectingHost : public NullHost {
  public:
    void MessageBox(const std::string& utf8Text) override { m_events.push_back({false, utf8Text}); }
    void Beep() override { m_events.push_back({true, {}}); }

    void Replay(Host& host) const {
        for (const Event& event : m_events) {
            if (event.beep) {
                host.Beep();
            } else {
                host.MessageBox(event.text);
            }
        }
    }

  private:
    struct Event {
        bool beep;
        std::string text;
    };
    std::vector<Event> m_events;
};

}  // namespace

int ThreadSetting() {
    return g_setting.load();
}

void SetThreadSetting(int threads) {
    g_setting.store(std::max(threads, 0));
}

int ThreadCount() {
    int count = g_setting.load();
    if (count <= 0) count = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    if (t_limit > 0) count = std::min(count, t_limit);
    return count;
}

ScopedThreadLimit::ScopedThreadLimit(int threads) : m_previous(t_limit) {
    t_limit = std::max(threads, 1);
}

ScopedThreadLimit::~ScopedThreadLimit() {
    t_limit = m_previous;
}

void ParallelFor(int count, const std::function<void(int)>& work) {
    ParallelFor(count, work, nullptr);
}

void ParallelFor(int count, const std::function<void(int)>& work,
                 const std::function<void()>& onCaller) {
    const int threads = std::min(count, ThreadCount());
    if (threads <= 1) {
        if (onCaller) onCaller();
        for (int i = 0; i < count; ++i)
            work(i);
        return;
    }
    // The state the threads share outlives the call: a helper that starts only after every item
    // ended finds nothing left and touches nothing else.
    struct Shared {
        explicit Shared(const std::function<void(int)>& w, int n) : work(w), errors(n) {}
        std::function<void(int)> work;
        std::atomic<int> next{0};
        std::mutex mutex;
        std::condition_variable done;
        int finished = 0;
        std::vector<std::exception_ptr> errors;
    };
    auto shared = std::make_shared<Shared>(work, count);
    // Every thread takes the next item until none is left; items run with a limit of one
    // thread, so work they split again stays on their thread.
    auto take = [shared, count] {
        const int previous = t_limit;
        t_limit = 1;
        int ended = 0;
        for (int i = shared->next++; i < count; i = shared->next++) {
            try {
                shared->work(i);
            } catch (...) {
                shared->errors[static_cast<std::size_t>(i)] = std::current_exception();
            }
            ++ended;
        }
        t_limit = previous;
        if (ended == 0) return;
        std::lock_guard lock(shared->mutex);
        shared->finished += ended;
        if (shared->finished == count) shared->done.notify_all();
    };
    ThePool().Run(threads - 1, take);
    std::exception_ptr callerError;
    if (onCaller) {
        try {
            onCaller();
        } catch (...) {
            callerError = std::current_exception();
        }
    }
    take();
    {
        std::unique_lock lock(shared->mutex);
        shared->done.wait(lock, [&] { return shared->finished == count; });
    }
    for (const std::exception_ptr& error : shared->errors) {
        if (error) std::rethrow_exception(error);
    }
    if (callerError) std::rethrow_exception(callerError);
}

void ParallelRanges(std::size_t count, int parts,
                    const std::function<void(int part, std::size_t from, std::size_t to)>& work) {
    if (parts < 2) {
        work(0, 0, count);
        return;
    }
    const auto n = static_cast<std::size_t>(parts);
    ParallelFor(parts, [&](int part) {
        const auto p = static_cast<std::size_t>(part);
        work(part, count * p / n, count * (p + 1) / n);
    });
}

void ParallelForCollecting(int count, const std::function<void(int)>& work) {
    if (count <= 0) return;
    if (std::min(count, ThreadCount()) <= 1) {
        for (int i = 0; i < count; ++i)
            work(i);
        return;
    }
    std::vector<CollectingHost> hosts(static_cast<std::size_t>(count));
    std::vector<char> failed(static_cast<std::size_t>(count), 0);
    Host& caller = GetHost();
    std::exception_ptr error;
    try {
        ParallelFor(count, [&](int i) {
            Host* previous = SetHost(&hosts[static_cast<std::size_t>(i)]);
            try {
                work(i);
            } catch (...) {
                SetHost(previous);
                failed[static_cast<std::size_t>(i)] = 1;
                throw;
            }
            SetHost(previous);
        });
    } catch (...) {
        error = std::current_exception();
    }
    // One after another, the items would have ended with the first that threw (whose exception
    // ParallelFor passes on): what the items after it showed is not shown.
    const auto shown = static_cast<std::size_t>(std::find(failed.begin(), failed.end(), 1) -
                                                failed.begin() + (error ? 1 : 0));
    for (std::size_t i = 0; i < shown && i < hosts.size(); ++i)
        hosts[i].Replay(caller);
    if (error) std::rethrow_exception(error);
}

}  // namespace tavrel
