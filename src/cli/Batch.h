// Working through many data files: the list of files a command takes (--data, then the lines of
// --data-list), the number of threads (--jobs), and running one piece of work per file on those
// threads while the results are handed on in the order the files were given, so that what a
// command writes never depends on the number of threads.
#pragma once

#include <QStringList>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "cli/CliSupport.h"

namespace tavrel::cli {

// Declares --data-list FILE and --jobs N.
void AddBatchOptions(CommandLine& line);
// Declares --jobs N alone (commands of one data file).
void AddJobsOption(CommandLine& line);

// The data files: those of --data as given, then the lines of the --data-list file (LF or CR LF
// line ends, empty lines ignored, every other line a path as it stands). A list that cannot be
// read ends the command with status 2.
QStringList BatchDataFiles(const CommandLine& line, const QStringList& dataOptions);

// The number of threads: --jobs (which becomes the thread setting), or the setting (the
// processor cores unless TAVREL_THREADS says otherwise).
int BatchJobs(const CommandLine& line);

// What the work on one data file leaves for the delivery: its output, or the one-line reason the
// file failed (then no output), and the warnings its reading gave.
struct FileResult {
    std::string output;
    std::string error;
    std::vector<std::string> warnings;
};

// Runs produce(host) for one data file with a host of this thread's own, and returns what it
// produced; a command-line error or running out of memory becomes the file's reason.
FileResult ProduceForFile(const QString& dataFile,
                          const std::function<std::string(CliHost&)>& produce);

// Calls work(i) for every i below `count` on up to `jobs` threads, the calling thread among them
// (each call on one thread, the calls of different files at the same time), and deliver(i) for
// i = 0, 1, ... in order, one call at a time, each as soon as work(i) and the deliveries before
// it have returned; a delivery runs on the thread that finished the last of those. Work runs at
// most 2 x `jobs` files ahead of the delivery, so the results waiting to be delivered stay few.
// With one job everything runs on the calling thread. The threads `jobs` leaves over beyond the
// files run at once compute the channels within each file (ThreadCount there). An exception thrown by work or deliver
// stops the run: the threads finish the file they are on, then it is thrown on.
void RunInOrder(std::size_t count, int jobs, const std::function<void(std::size_t)>& work,
                const std::function<void(std::size_t)>& deliver);

}  // namespace tavrel::cli
