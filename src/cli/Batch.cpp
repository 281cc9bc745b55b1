#include "cli/Batch.h"

#include "platform/WorkerPool.h"

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
    AddJobsOption(line);
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

void AddJobsOption(CommandLine& line) {
    line.AddOption({"jobs",
                    "Threads to compute on: data files processed at once, then the channels of "
                    "each file side by side (default: the processor cores).",
                    "N"});
}

int BatchJobs(const CommandLine& line) {
    if (auto jobs = line.IntOption("jobs", 1, 1024)) SetThreadSetting(*jobs);
    return ThreadCount();
}

FileResult ProduceForFile(const QString& dataFile,
                          const std::function<std::string(CliHost&)>& produce) {
    FileResult result;
    ScopedCliHost host;  // this thread's own
    try {
        result.output = produce(host.Get());
    } catch (const CliError& error) {
        result.error = error.what();
    } catch (const std::bad_alloc&) {
        result.error = FileName(dataFile) + ": not enough memory";
    }
    result.warnings = host.Get().TakeMessages();
    return result;
}

void RunInOrder(std::size_t count, int jobs, const std::function<void(std::size_t)>& work,
                const std::function<void(std::size_t)>& deliver) {
    if (count == 0) return;
    const std::size_t threadCount =
        std::min<std::size_t>(static_cast<std::size_t>(std::max(jobs, 1)), count);
    // The threads left over when fewer files than threads run at once compute the channels
    // of each file side by side.
    const int channelThreads = std::max(jobs, 1) / static_cast<int>(threadCount);
    if (threadCount == 1) {
        const ScopedThreadLimit perFile(channelThreads);
        for (std::size_t i = 0; i < count; ++i) {
            work(i);
            deliver(i);
        }
        return;
    }

    // Every thread, the calling one among them, takes the next file, works on it, then delivers
    // what is ready: the finished files from the first one not yet delivered on, unless another
    // thread is delivering (that one goes on with them once it is done). So no thread sits
    // waiting to be handed a result; only a thread that would run more than the window ahead of
    // the delivery waits, for the delivery to move on.
    std::mutex lock;
    std::condition_variable roomMade;
    std::vector<char> done(count, 0);
    std::size_t next = 0;       // the next file a thread takes
    std::size_t delivered = 0;  // files delivered so far
    bool delivering = false;
    int waiting = 0;  // threads waiting for room
    bool stop = false;
    std::exception_ptr failure;
    const std::size_t window = 2 * threadCount;

    auto fail = [&](std::exception_ptr thrown) {  // with `lock` held
        if (!failure) failure = std::move(thrown);
        stop = true;
        roomMade.notify_all();
    };
    auto run = [&] {
        const ScopedThreadLimit perFile(channelThreads);
        std::unique_lock<std::mutex> hold(lock);
        for (;;) {
            if (!delivering) {
                bool moved = false;
                while (!stop && delivered < count && done[delivered]) {
                    const std::size_t i = delivered;
                    delivering = true;
                    hold.unlock();
                    std::exception_ptr thrown;
                    try {
                        deliver(i);
                    } catch (...) {
                        thrown = std::current_exception();
                    }
                    hold.lock();
                    delivering = false;
                    if (thrown) {
                        fail(std::move(thrown));
                        return;
                    }
                    delivered = i + 1;
                    moved = true;
                }
                if (moved && waiting > 0) roomMade.notify_all();
            }
            if (stop || next >= count) return;
            if (next >= delivered + window) {
                ++waiting;
                roomMade.wait(hold);
                --waiting;
                continue;
            }
            const std::size_t i = next++;
            hold.unlock();
            std::exception_ptr thrown;
            try {
                work(i);
            } catch (...) {
                thrown = std::current_exception();
            }
            hold.lock();
            if (thrown) {
                fail(std::move(thrown));
                return;
            }
            done[i] = 1;
        }
    };

    // A system that gives no more threads leaves the files to those there are (the calling
    // thread at least).
    std::vector<std::thread> threads;
    try {
        for (std::size_t t = 1; t < threadCount; ++t)
            threads.emplace_back(run);
    } catch (const std::exception&) {
    }
    run();
    for (std::thread& thread : threads)
        thread.join();
    if (failure) std::rethrow_exception(failure);
}

}  // namespace tavrel::cli
