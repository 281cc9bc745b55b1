// The threads the computations are spread over, and the one setting that sizes them.
//
// Work that splits into independent items (the chains of the sixteen channels, the pieces of a
// data file) runs through ParallelFor: the calling thread and up to ThreadCount() - 1 threads of
// a pool that lives as long as the program take the items one after another. Items must not
// depend on each other; whatever order they run in, each computes what it would have computed
// alone, so results do not depend on the number of threads.
//
// What an item shows the user (a module's message, a beep) must not reach the user interface
// from another thread: ParallelForCollecting gives each item a host of its own that only records,
// and shows what was recorded afterwards on the calling thread, item after item, in item order -
// exactly what running the items one after another would have shown.
#pragma once

#include <cstddef>
#include <functional>

namespace tavrel {

// The thread setting: 0 = as many threads as the processor runs (the default), otherwise that
// many. The environment variable TAVREL_THREADS, when set to a number, gives the initial setting
// (for tests and scripts); the program's options and the command-line tool's --jobs set it
// afterwards.
int ThreadSetting();
void SetThreadSetting(int threads);
// The number of threads a computation may use now: the setting (0 taken as the processor's
// count), 1 inside an item of ParallelFor (the items already occupy the threads) or under a
// ScopedThreadLimit.
int ThreadCount();

// Limits ThreadCount() of the calling thread for the object's lifetime (the command-line tool's
// file workers share the threads between them).
class ScopedThreadLimit {
  public:
    explicit ScopedThreadLimit(int threads);
    ~ScopedThreadLimit();
    ScopedThreadLimit(const ScopedThreadLimit&) = delete;
    ScopedThreadLimit& operator=(const ScopedThreadLimit&) = delete;

  private:
    int m_previous;
};

// Runs work(0) ... work(count - 1), on up to min(count, ThreadCount()) threads including the
// calling one, and returns when all have ended. An exception thrown by an item is rethrown on
// the calling thread after all items ended (the one of the lowest item when several threw).
void ParallelFor(int count, const std::function<void(int)>& work);
// ParallelFor whose calling thread first runs `onCaller` (the other threads start on the items
// meanwhile) and then takes items like them: for work that must stay on the calling thread, as
// stepping a progress window does. With `count` 0, or on one thread, `onCaller` runs first and
// the items after it. An exception of `onCaller` is rethrown after all items ended (after theirs).
void ParallelFor(int count, const std::function<void(int)>& work,
                 const std::function<void()>& onCaller);

// Runs work(part, from, to) on `parts` ranges of about equal size that together make [0, count),
// side by side (ParallelFor); with fewer than two parts, on the calling thread at once. For work
// whose items are independent outputs (a kernel's samples), so that the split changes nothing.
void ParallelRanges(std::size_t count, int parts,
                    const std::function<void(int part, std::size_t from, std::size_t to)>& work);

// ParallelFor whose items' messages and beeps are shown afterwards on the calling thread, in
// item order, through the calling thread's host. When items throw, what the first of them and
// the items before it showed is shown, then its exception rethrown: the items after it would not
// have run. On one thread the items run one after another with the calling thread's host, as
// they always did.
void ParallelForCollecting(int count, const std::function<void(int)>& work);

}  // namespace tavrel
