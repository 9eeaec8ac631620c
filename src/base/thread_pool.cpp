#include "base/thread_pool.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>

namespace zorva {

namespace {

// Steps of a drawing follow each other within microseconds, so waiting
// threads first spin a little before they sleep: waking a sleeping thread
// costs more than a short step.
constexpr auto kSpin = std::chrono::microseconds(200);

// The pool whose worker this thread is, if any: every job this thread runs
// belongs to that pool's runs.
thread_local const ThreadPool* tlsWorkerOf = nullptr;

inline void relax() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#else
  std::this_thread::yield();
#endif
}

template <typename Ready>
bool spinUntil(Ready&& ready) {
  const auto until = std::chrono::steady_clock::now() + kSpin;
  for (int i = 0;; ++i) {
    if (ready()) return true;
    relax();
    if ((i & 63) == 63 && std::chrono::steady_clock::now() > until) return false;
  }
}

[[noreturn]] void misuse(const char* what) noexcept {
  std::fprintf(stderr, "zorva: programming error: %s\n", what);
  std::fflush(stderr);
  std::abort();
}

}  // namespace

ThreadPool::ThreadPool(int threads) {
  if (threads > 1) workers_.reserve(static_cast<std::size_t>(threads - 1));
  try {
    for (int i = 1; i < threads; ++i) workers_.emplace_back([this] { workerLoop(); });
  } catch (...) {
    // Not every thread could be started: stop those that were, or their
    // std::thread objects would end the program.
    stopWorkers();
    throw;
  }
}

ThreadPool::~ThreadPool() { stopWorkers(); }

void ThreadPool::stopWorkers() noexcept {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  for (auto& t : workers_)
    if (t.joinable()) t.join();
}

void ThreadPool::beginRun() noexcept {
  if (!busy_.exchange(true, std::memory_order_acquire)) {
    runner_.store(std::this_thread::get_id(), std::memory_order_relaxed);
    return;
  }
  // Waiting for the other run is no way out: from inside a job it never
  // ends, and between threads it would hide the caller's mistake.
  if (tlsWorkerOf == this || runner_.load(std::memory_order_relaxed) == std::this_thread::get_id())
    misuse("ThreadPool::run() called from inside one of the same pool's jobs; runs of a pool cannot nest");
  misuse("ThreadPool::run() called while another thread's run of the same pool is in progress");
}

void ThreadPool::endRun() noexcept {
  runner_.store(std::thread::id(), std::memory_order_relaxed);
  busy_.store(false, std::memory_order_release);
}

void ThreadPool::jobThrew() noexcept {
  const char* what = "an exception that is not a std::exception";
  try {
    throw;
  } catch (const std::exception& e) {
    what = e.what();
  } catch (...) {
  }
  std::fprintf(stderr, "zorva: programming error: a ThreadPool job threw (%s); jobs must not throw\n", what);
  std::fflush(stderr);
  std::abort();
}

void ThreadPool::drain() noexcept {
  for (int i; (i = next_.fetch_add(1, std::memory_order_relaxed)) < count_;) fn_(ctx_, i);
}

void ThreadPool::dispatch(int count, Trampoline fn, void* ctx) noexcept {
  const int workers = static_cast<int>(workers_.size());
  {
    std::lock_guard lock(mutex_);
    fn_ = fn;
    ctx_ = ctx;
    count_ = count;
    next_.store(0, std::memory_order_relaxed);
    left_.store(0, std::memory_order_relaxed);
    generation_.store(generation_.load(std::memory_order_relaxed) + 1, std::memory_order_release);
  }
  wake_.notify_all();
  drain();
  // Every worker must have taken part in this generation and left it before
  // the next one may change what they read.
  auto allLeft = [&] { return left_.load(std::memory_order_acquire) == workers; };
  if (!spinUntil(allLeft)) {
    std::unique_lock lock(mutex_);
    done_.wait(lock, allLeft);
  }
}

void ThreadPool::workerLoop() {
  tlsWorkerOf = this;
  std::uint64_t seen = 0;
  for (;;) {
    auto changed = [&] { return generation_.load(std::memory_order_acquire) != seen; };
    if (!spinUntil(changed)) {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [&] { return stopping_ || changed(); });
      if (stopping_) return;
    }
    seen = generation_.load(std::memory_order_acquire);
    drain();
    if (left_.fetch_add(1, std::memory_order_acq_rel) + 1 == static_cast<int>(workers_.size())) {
      std::lock_guard lock(mutex_);
      done_.notify_all();
    }
  }
}

}  // namespace zorva
