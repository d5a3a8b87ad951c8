#include "base/worker_pool.hpp"

#include <gtest/gtest.h>
#include <pthread.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <numeric>
#include <stdexcept>
#include <string_view>
#include <thread>
#include <vector>

namespace qarvex {
namespace {

// Each index's square at its own slot, and how often each index was visited.
struct SquaresBatch {
  std::vector<std::size_t> squares;
  std::vector<std::atomic<int>> visits;

  explicit SquaresBatch(std::size_t count) : squares(count), visits(count) {}

  std::exception_ptr run() {
    return run_parallel(squares.size(), [this](std::size_t begin, std::size_t end) {
      for (std::size_t i = begin; i < end; ++i) {
        squares[i] = i * i;
        visits[i].fetch_add(1, std::memory_order_relaxed);
      }
    });
  }

  bool complete() const {
    for (std::size_t i = 0; i < squares.size(); ++i) {
      if (squares[i] != i * i || visits[i].load() != 1) return false;
    }
    return true;
  }
};

TEST(WorkerPool, EveryIndexOnceWithResultsInPlace) {
  for (std::size_t count : {0u, 1u, 2u, 3u, 7u, 64u, 1000u, 100003u}) {
    SquaresBatch batch(count);
    EXPECT_FALSE(batch.run()) << count;
    EXPECT_TRUE(batch.complete()) << count;
  }
  EXPECT_GE(worker_count(), 1u);
}

TEST(WorkerPool, RunsAreContiguousAndCoverTheRange) {
  constexpr std::size_t count = 12345;
  std::vector<std::pair<std::size_t, std::size_t>> runs(count, {0, 0});
  std::exception_ptr error = run_parallel(count, [&](std::size_t begin, std::size_t end) {
    ASSERT_LT(begin, end);
    runs[begin] = {begin, end};
  });
  EXPECT_FALSE(error);
  std::size_t covered = 0;
  while (covered < count && runs[covered].second > covered) covered = runs[covered].second;
  EXPECT_EQ(covered, count);
}

TEST(WorkerPool, CarriesTheExceptionBackAndStaysUsable) {
  std::exception_ptr error = run_parallel(10000, [](std::size_t begin, std::size_t end) {
    if (begin <= 5000 && 5000 < end) throw std::runtime_error("job failed at 5000");
  });
  ASSERT_TRUE(error);
  try {
    std::rethrow_exception(error);
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "job failed at 5000");
  }

  error = run_parallel(3, [](std::size_t, std::size_t) { throw std::bad_alloc(); });
  ASSERT_TRUE(error);
  EXPECT_THROW(std::rethrow_exception(error), std::bad_alloc);

  SquaresBatch after(5000);
  EXPECT_FALSE(after.run());
  EXPECT_TRUE(after.complete());
}

// A batch of slow indices whose watch says stop at its second question: the batch ends long
// before its indices could all have run, none runs twice, and only the caller is asked.
TEST(WorkerPool, AWatchThatSaysStopEndsTheBatchAtTheNextIndex) {
  constexpr std::size_t count = 100000;  // 100 s of work at 1 ms an index on one thread
  std::vector<std::atomic<int>> visits(count);
  std::thread::id caller = std::this_thread::get_id();
  std::atomic<int> questions{0};
  std::atomic<bool> asked_elsewhere{false};
  BatchWatch watch{std::chrono::milliseconds(5), [&] {
                     if (std::this_thread::get_id() != caller) asked_elsewhere = true;
                     return questions.fetch_add(1) < 1;
                   }};
  auto started = std::chrono::steady_clock::now();
  std::exception_ptr error = run_parallel(
      count,
      [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) {
          visits[i].fetch_add(1);
          std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
      },
      &watch);
  auto took = std::chrono::steady_clock::now() - started;
  EXPECT_FALSE(error);
  EXPECT_EQ(questions.load(), 2);
  EXPECT_FALSE(asked_elsewhere.load());
  EXPECT_LT(took, std::chrono::seconds(10));
  std::size_t visited = 0;
  for (const std::atomic<int>& v : visits) {
    EXPECT_LE(v.load(), 1);
    visited += static_cast<std::size_t>(v.load());
  }
  EXPECT_LT(visited, count);

  SquaresBatch after(5000);  // the pool is usable again
  EXPECT_FALSE(after.run());
  EXPECT_TRUE(after.complete());
}

// A watch that never says stop changes nothing but the asking.
TEST(WorkerPool, AWatchedBatchThatGoesOnCompletes) {
  std::atomic<int> questions{0};
  BatchWatch watch{std::chrono::milliseconds(1), [&] { return ++questions, true; }};
  std::vector<std::atomic<int>> visits(2000);
  std::exception_ptr error = run_parallel(
      visits.size(),
      [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) {
          visits[i].fetch_add(1);
          std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
      },
      &watch);
  EXPECT_FALSE(error);
  for (const std::atomic<int>& v : visits) EXPECT_EQ(v.load(), 1);
  EXPECT_GT(questions.load(), 0);
}

TEST(WorkerPool, WorkersHaveTheFixedStackSize) {
  std::atomic<std::size_t> smallest{SIZE_MAX};
  std::atomic<int> worker_runs{0};
  std::thread::id caller = std::this_thread::get_id();
  for (int attempt = 0; attempt < 50 && worker_runs.load() == 0; ++attempt) {
    std::exception_ptr error = run_parallel(1000, [&](std::size_t, std::size_t) {
      std::this_thread::sleep_for(std::chrono::microseconds(200));  // leave runs to the workers
      if (std::this_thread::get_id() == caller) return;
      pthread_attr_t attributes;
      ASSERT_EQ(pthread_getattr_np(pthread_self(), &attributes), 0);
      std::size_t size = 0;
      pthread_attr_getstacksize(&attributes, &size);
      pthread_attr_destroy(&attributes);
      std::size_t seen = smallest.load();
      while (size < seen && !smallest.compare_exchange_weak(seen, size)) {
      }
      worker_runs.fetch_add(1);
    });
    ASSERT_FALSE(error);
  }
  ASSERT_GT(worker_runs.load(), 0) << "no run reached a worker";
  EXPECT_GE(smallest.load(), worker_stack_bytes);
}

TEST(WorkerPool, ConcurrentBatchesFromManyThreadsShareThePool) {
  constexpr int threads = 8;
  constexpr int batches_each = 40;
  std::atomic<int> failures{0};
  std::vector<std::thread> callers;
  for (int t = 0; t < threads; ++t) {
    callers.emplace_back([&, t] {
      for (int b = 0; b < batches_each; ++b) {
        SquaresBatch batch(static_cast<std::size_t>(1 + (t * 997 + b * 131) % 3000));
        if (batch.run() || !batch.complete()) failures.fetch_add(1);
      }
    });
  }
  for (std::thread& caller : callers) caller.join();
  EXPECT_EQ(failures.load(), 0);
}

// ThreadSanitizer refuses to start threads in the child of a multi-threaded process unless
// told otherwise (TSAN_OPTIONS=die_after_fork=0).
#if defined(__SANITIZE_THREAD__)
#define QARVEX_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define QARVEX_TSAN 1
#endif
#endif

bool threads_allowed_after_fork() {
#ifdef QARVEX_TSAN
  const char* options = std::getenv("TSAN_OPTIONS");
  return options != nullptr && std::string_view(options).find("die_after_fork=0") != std::string_view::npos;
#else
  return true;
#endif
}

// Waits for the child at most `seconds`; a child still running then is killed and counts as
// hung.
int wait_for_child(pid_t child, int seconds) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < deadline) {
    int status = 0;
    pid_t done = waitpid(child, &status, WNOHANG);
    if (done == child) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  return -1;
}

// In the child: a batch on a fresh pool, then a normal exit with static destructors, all
// within a few seconds (alarm() ends a hung child).
[[noreturn]] void child_runs_a_batch_and_exits() {
  alarm(20);
  SquaresBatch batch(20000);
  bool ok = !batch.run() && batch.complete();
  std::exit(ok ? 0 : 3);
}

TEST(WorkerPool, ChildAfterForkGetsAWorkingPool) {
  if (!threads_allowed_after_fork()) GTEST_SKIP() << "needs TSAN_OPTIONS=die_after_fork=0";
  SquaresBatch warm(1000);  // the parent's pool exists before the fork
  ASSERT_FALSE(warm.run());
  std::fflush(nullptr);  // the child's exit must not print the parent's buffered output again
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) child_runs_a_batch_and_exits();
  EXPECT_EQ(wait_for_child(child, 30), 0);
  SquaresBatch after(1000);
  EXPECT_FALSE(after.run());
  EXPECT_TRUE(after.complete());
}

TEST(WorkerPool, ForkWhileOtherThreadsRunBatches) {
  if (!threads_allowed_after_fork()) GTEST_SKIP() << "needs TSAN_OPTIONS=die_after_fork=0";
  std::atomic<bool> stop{false};
  std::vector<std::thread> busy;
  for (int t = 0; t < 3; ++t) {
    busy.emplace_back([&] {
      while (!stop.load()) {
        SquaresBatch batch(2000);
        (void)batch.run();
      }
    });
  }
  for (int round = 0; round < 5; ++round) {
    std::fflush(nullptr);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) child_runs_a_batch_and_exits();
    EXPECT_EQ(wait_for_child(child, 30), 0) << "round " << round;
  }
  stop.store(true);
  for (std::thread& thread : busy) thread.join();
}

}  // namespace
}  // namespace qarvex
