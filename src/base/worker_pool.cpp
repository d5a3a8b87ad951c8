#include "base/worker_pool.hpp"

#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace qarvex {
namespace {

using Job = std::function<void(std::size_t, std::size_t)>;

// More runs than threads so that a slow run does not hold up the whole batch.
constexpr std::size_t runs_per_thread = 4;

// One call of run_parallel. Threads claim runs by number; the caller waits until every run
// has finished, so `job` (the caller's) outlives every call of it.
class Batch {
 public:
  Batch(std::size_t count, std::size_t threads, const Job& job, const BatchWatch* watch)
      : job_(job), watch_(watch), count_(count) {
    std::size_t runs = std::min(count, threads * runs_per_thread);
    run_length_ = (count + runs - 1) / runs;
    runs_ = (count + run_length_ - 1) / run_length_;
    step_ = watch == nullptr ? run_length_ : 1;
    unfinished_.store(runs_, std::memory_order_relaxed);
    if (watch_ != nullptr) next_poll_ = Clock::now() + watch_->interval;
  }

  std::size_t runs() const { return runs_; }
  bool has_unclaimed() const { return next_.load(std::memory_order_relaxed) < runs_; }

  // Runs claimed runs until none is left. Only the caller passes `polls`: it then also asks
  // the watch whenever its interval has passed.
  void work(bool polls = false) {
    for (;;) {
      std::size_t run = next_.fetch_add(1, std::memory_order_relaxed);
      if (run >= runs_) return;
      call(run, polls && watch_ != nullptr);
      finish_run();
    }
  }

  // Waits for the runs of the other threads, asking the watch at its interval meanwhile.
  void wait() {
    std::unique_lock lock(done_mutex_);
    while (!done_flag_) {
      if (watch_ == nullptr || stopped()) {
        done_.wait(lock, [this] { return done_flag_; });
        return;
      }
      if (done_.wait_until(lock, next_poll_, [this] { return done_flag_; })) return;
      lock.unlock();
      poll();
      lock.lock();
    }
  }

  // Read only after wait(): the finishing handshake orders it after the write.
  std::exception_ptr error() const { return error_; }

 private:
  using Clock = std::chrono::steady_clock;

  bool stopped() const { return stopped_.load(std::memory_order_relaxed); }
  bool failed() const { return failed_.load(std::memory_order_relaxed); }

  void call(std::size_t run, bool polls) {
    std::size_t end = std::min(count_, (run + 1) * run_length_);
    for (std::size_t begin = run * run_length_; begin < end && !failed() && !stopped();
         begin += step_) {
      try {
        job_(begin, std::min(end, begin + step_));
      } catch (...) {
        if (!failed_.exchange(true, std::memory_order_relaxed)) error_ = std::current_exception();
      }
      if (polls && Clock::now() >= next_poll_) poll();
    }
  }

  void poll() {
    next_poll_ = Clock::now() + watch_->interval;
    if (!watch_->keep_going()) stopped_.store(true, std::memory_order_relaxed);
  }

  void finish_run() {
    if (unfinished_.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
    std::lock_guard lock(done_mutex_);
    done_flag_ = true;
    done_.notify_all();
  }

  const Job& job_;
  const BatchWatch* watch_;
  std::size_t count_;
  std::size_t run_length_ = 1;
  std::size_t runs_ = 0;
  std::size_t step_ = 1;
  Clock::time_point next_poll_;  // the caller's alone
  std::atomic<std::size_t> next_{0};
  std::atomic<std::size_t> unfinished_{0};
  std::atomic<bool> failed_{false};
  std::atomic<bool> stopped_{false};
  std::exception_ptr error_;
  std::mutex done_mutex_;
  std::condition_variable done_;
  bool done_flag_ = false;
};

// Workers wait for batches in a queue and help with the oldest that still has runs to claim.
// The pool is never destroyed: its detached workers block on its condition variable until the
// process ends, so exit has nothing to join and no destructor can pull state from under them.
class WorkerPool {
 public:
  // Starts up to `wanted` workers; when the system refuses more, the callers run whatever the
  // workers that did start leave over.
  explicit WorkerPool(std::size_t wanted) : owner_(getpid()) {
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) return;
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    pthread_attr_setstacksize(&attributes, worker_stack_bytes);
    for (std::size_t i = 0; i < wanted; ++i) {
      pthread_t thread;
      if (pthread_create(&thread, &attributes, &WorkerPool::start, this) != 0) break;
      ++workers_;
    }
    pthread_attr_destroy(&attributes);
  }

  std::size_t workers() const { return workers_; }

  // False in a child process made by fork(), where the workers do not exist.
  bool belongs_to_this_process() const { return owner_ == getpid(); }

  std::exception_ptr run(std::size_t count, const Job& job, const BatchWatch* watch) {
    if (count == 0) return nullptr;
    auto batch = std::make_shared<Batch>(count, workers_ + 1, job, watch);
    bool shared = workers_ > 0 && batch->runs() > 1;  // a single run is done here at once
    if (shared) {
      {
        std::lock_guard lock(mutex_);
        queue_.push_back(batch);
      }
      wake_.notify_all();
    }
    batch->work(true);
    batch->wait();
    if (shared) {
      std::lock_guard lock(mutex_);
      std::erase(queue_, batch);
    }
    return batch->error();
  }

 private:
  static void* start(void* pool) {
    static_cast<WorkerPool*>(pool)->serve();
    return nullptr;
  }

  void serve() {
    for (;;) {
      std::shared_ptr<Batch> batch;
      {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [this] { return !queue_.empty(); });
        batch = queue_.front();
        if (!batch->has_unclaimed()) {
          queue_.pop_front();
          continue;
        }
      }
      batch->work();
    }
  }

  pid_t owner_;
  std::size_t workers_ = 0;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::shared_ptr<Batch>> queue_;
};

// The one pool of the process. After fork() the child has only the forking thread, so the
// child handler drops the inherited pool (leaking it: its locks may be held by threads that no
// longer exist) and the next batch starts a fresh one. `creation_mutex` is held across fork()
// so that the child never inherits it locked by another thread.
std::mutex creation_mutex;
std::atomic<WorkerPool*> instance{nullptr};
bool fork_handlers_installed = false;  // guarded by creation_mutex

void before_fork() { creation_mutex.lock(); }
void after_fork_in_parent() { creation_mutex.unlock(); }
void after_fork_in_child() {
  instance.store(nullptr, std::memory_order_relaxed);
  creation_mutex.unlock();
}

std::size_t logical_processors() {
  return std::max<std::size_t>(1, std::thread::hardware_concurrency());
}

// The process id check backs up the child handler, should installing it have failed.
WorkerPool& pool() {
  WorkerPool* existing = instance.load(std::memory_order_acquire);
  if (existing != nullptr && existing->belongs_to_this_process()) return *existing;
  std::lock_guard lock(creation_mutex);
  WorkerPool* current = instance.load(std::memory_order_relaxed);
  if (current == nullptr || !current->belongs_to_this_process()) {
    if (!fork_handlers_installed) {
      fork_handlers_installed =
          pthread_atfork(before_fork, after_fork_in_parent, after_fork_in_child) == 0;
    }
    current = new WorkerPool(logical_processors());
    instance.store(current, std::memory_order_release);
  }
  return *current;
}

}  // namespace

std::exception_ptr run_parallel(std::size_t count, const Job& job, const BatchWatch* watch) {
  if (count == 0) return nullptr;
  try {
    return pool().run(count, job, watch);
  } catch (...) {  // no memory for the pool or the batch record
    return std::current_exception();
  }
}

std::size_t worker_count() { return pool().workers(); }

}  // namespace qarvex
