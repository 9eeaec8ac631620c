#include "base/thread_pool.h"

#include <chrono>

namespace zorva {

namespace {

// Steps of a drawing follow each other within microseconds, so waiting
// threads first spin a little before they sleep: waking a sleeping thread
// costs more than a short step.
constexpr auto kSpin = std::chrono::microseconds(200);

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

}  // namespace

ThreadPool::ThreadPool(int threads) {
  for (int i = 1; i < threads; ++i) workers_.emplace_back([this] { workerLoop(); });
}

ThreadPool::~ThreadPool() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  for (auto& t : workers_) t.join();
}

void ThreadPool::drain() {
  for (int i; (i = next_.fetch_add(1, std::memory_order_relaxed)) < count_;) fn_(ctx_, i);
}

void ThreadPool::dispatch(int count, Trampoline fn, void* ctx) {
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
