#include "cli/Batch.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tavrel::cli {

namespace {

// A list names files; one far beyond any real list is refused rather than filling the memory.
constexpr std::size_t kMaxListBytes = std::size_t{256} << 20;

}  // namespace

void AddBatchOptions(CommandLine& line) {
    line.AddOption({"data-list",
                    "A file naming one data file per line (LF or CR LF, empty lines ignored), "
                    "read after the --data files.",
                    "FILE"});
    line.AddOption({"jobs", "Data files processed at once (default: the processor cores).", "N"});
}

QStringList BatchDataFiles(const CommandLine& line, const QStringList& dataOptions) {
    QStringList files = dataOptions;
    if (!line.IsSet("data-list")) return files;
    const std::string path = FileName(line.Value("data-list"));
    std::ifstream in(path, std::ios::binary);
    if (!in) throw FileError(path, std::strerror(errno));
    std::string bytes;
    char chunk[1 << 16];
    while (in) {
        in.read(chunk, sizeof chunk);
        bytes.append(chunk, static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > kMaxListBytes) throw FileError(path, "too large for a list of files");
    }
    if (in.bad()) throw FileError(path, "read error");
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::size_t contentEnd = end;
        if (contentEnd > start && bytes[contentEnd - 1] == '\r') --contentEnd;
        if (contentEnd > start)
            files.append(DecodeArgument(std::string_view(bytes).substr(start, contentEnd - start)));
        start = end + 1;
    }
    return files;
}

int BatchJobs(const CommandLine& line) {
    if (auto jobs = line.IntOption("jobs", 1, 1024)) return *jobs;
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

void RunInOrder(std::size_t count, int jobs, const std::function<void(std::size_t)>& work,
                const std::function<void(std::size_t)>& deliver) {
    if (count == 0) return;
    const std::size_t threadCount =
        std::min<std::size_t>(static_cast<std::size_t>(std::max(jobs, 1)), count);
    if (threadCount == 1) {
        for (std::size_t i = 0; i < count; ++i) {
            work(i);
            deliver(i);
        }
        return;
    }

    // Two conditions, so that each wake-up has something to do: the delivering thread waits for
    // the one file it delivers next, a worker for room in the window. A finished file wakes the
    // delivering thread only when it is that file, a delivery wakes a worker only when one waits.
    std::mutex lock;
    std::condition_variable fileDone;
    std::condition_variable roomMade;
    std::vector<char> done(count, 0);
    std::size_t next = 0;       // the next file a thread takes
    std::size_t delivered = 0;  // files delivered so far
    int waitingWorkers = 0;
    bool stop = false;
    std::exception_ptr failure;
    const std::size_t window = 2 * threadCount;

    auto stopAll = [&] {  // with `lock` held
        stop = true;
        fileDone.notify_all();
        roomMade.notify_all();
    };
    auto worker = [&] {
        for (;;) {
            std::size_t i = 0;
            {
                std::unique_lock<std::mutex> hold(lock);
                if (!(stop || next >= count || next < delivered + window)) {
                    ++waitingWorkers;
                    roomMade.wait(
                        hold, [&] { return stop || next >= count || next < delivered + window; });
                    --waitingWorkers;
                }
                if (stop || next >= count) return;
                i = next++;
            }
            try {
                work(i);
            } catch (...) {
                std::lock_guard<std::mutex> hold(lock);
                if (!failure) failure = std::current_exception();
                stopAll();
                return;
            }
            bool awaited = false;
            {
                std::lock_guard<std::mutex> hold(lock);
                done[i] = 1;
                awaited = i == delivered;
            }
            if (awaited) fileDone.notify_one();
        }
    };

    std::vector<std::thread> threads;
    try {
        for (std::size_t t = 0; t < threadCount; ++t)
            threads.emplace_back(worker);
        for (std::size_t i = 0; i < count; ++i) {
            {
                std::unique_lock<std::mutex> hold(lock);
                fileDone.wait(hold, [&] { return done[i] || stop; });
                if (!done[i]) break;
            }
            deliver(i);
            bool wake = false;
            {
                std::lock_guard<std::mutex> hold(lock);
                delivered = i + 1;
                wake = waitingWorkers > 0;
            }
            if (wake) roomMade.notify_one();
        }
    } catch (...) {
        std::lock_guard<std::mutex> hold(lock);
        if (!failure) failure = std::current_exception();
    }
    {
        std::lock_guard<std::mutex> hold(lock);
        stopAll();
    }
    for (std::thread& thread : threads)
        thread.join();
    if (failure) std::rethrow_exception(failure);
}

}  // namespace tavrel::cli
