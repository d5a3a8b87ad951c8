// Answering Ctrl-C (and any other signal with a Python handler) during long calls: loops that
// hold the interpreter lock run the pending handlers every few items, and native work with the
// lock released retakes it briefly at short intervals to do the same.
#pragma once

#include <Python.h>

#include <chrono>
#include <cstddef>

#include "base/worker_pool.hpp"

namespace qarvex::py {

// Items between two checks in a loop that holds the lock: a check is a few nanoseconds when no
// signal is pending, and even slow items (a generated query) keep the delay far below 100 ms.
inline constexpr std::size_t items_per_signal_check = 256;

// True unless a handler run at this item raised; its exception is then set.
inline bool signals_allow(std::size_t item) {
  return item % items_per_signal_check != items_per_signal_check - 1 || PyErr_CheckSignals() == 0;
}

// The lock released for as long as this lives, and retaken by `watch()` for each check.
class ReleasedLock {
 public:
  ReleasedLock() : thread_(PyEval_SaveThread()) {}
  ~ReleasedLock() { PyEval_RestoreThread(thread_); }
  ReleasedLock(const ReleasedLock&) = delete;
  ReleasedLock& operator=(const ReleasedLock&) = delete;

  // Whether a handler has raised; its exception is then pending for when the lock is back.
  bool interrupted() const { return interrupted_; }

  // A watch for a batch run while the lock is released, checking every `interval`.
  BatchWatch watch(std::chrono::milliseconds interval = std::chrono::milliseconds(10)) {
    return {interval, [this] { return !check_signals(); }};
  }

 private:
  bool check_signals() {
    PyEval_RestoreThread(thread_);
    interrupted_ = PyErr_CheckSignals() < 0;
    thread_ = PyEval_SaveThread();
    return interrupted_;
  }

  PyThreadState* thread_;
  bool interrupted_ = false;
};

}  // namespace qarvex::py
