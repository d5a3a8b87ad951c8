// The process-wide pool of worker threads that runs a batch of independent jobs, one per
// index, and leaves each result at its own index.
#pragma once

#include <chrono>
#include <cstddef>
#include <exception>
#include <functional>

namespace qarvex {

// The stack of every worker, fixed rather than taken from the process limits so that a job's
// recursion depth does not depend on how the process was started; it matches the usual main
// thread stack.
inline constexpr std::size_t worker_stack_bytes = std::size_t{8} << 20;

// What the calling thread asks, at intervals, while it runs or waits for a watched batch.
// When keep_going returns false the batch stops: no further index is started, runs already
// going end before their next index, and run_parallel returns once they have.
struct BatchWatch {
  std::chrono::milliseconds interval;
  std::function<bool()> keep_going;
};

// Calls job(begin, end) for contiguous runs [begin, end) that together cover [0, count) once,
// on the pool's workers and on the calling thread, and returns when all have finished. The
// job must only write what belongs to its own indices. The first exception a run throws is
// returned (later runs are then skipped), as is a failure to allocate the pool or the batch;
// a batch without failure returns a null pointer. Nothing is thrown.
//
// The pool, one worker per logical processor, is created by the first batch of the process
// (and again in a child after fork(), where the parent's threads do not exist). Several threads
// may run batches at once; they share the workers. A job must not itself call run_parallel.
//
// With a watch, the job is called one index at a time so that a stop takes effect at the next
// index; a stopped batch returns a null pointer too (its caller knows it said stop).
[[nodiscard]] std::exception_ptr run_parallel(
    std::size_t count, const std::function<void(std::size_t begin, std::size_t end)>& job,
    const BatchWatch* watch = nullptr);

// The number of worker threads of the pool, creating it when there is none yet.
std::size_t worker_count();

}  // namespace qarvex
