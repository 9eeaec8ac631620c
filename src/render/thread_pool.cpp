#include "render/thread_pool.h"

namespace zorva {

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
  int done = 0;
  for (int i; (i = next_.fetch_add(1, std::memory_order_relaxed)) < count_;) {
    fn_(ctx_, i);
    ++done;
  }
  if (done > 0) {
    std::lock_guard lock(mutex_);
    finished_ += done;
    if (finished_ == count_) done_.notify_all();
  }
}

void ThreadPool::dispatch(int count, Trampoline fn, void* ctx) {
  {
    std::lock_guard lock(mutex_);
    fn_ = fn;
    ctx_ = ctx;
    count_ = count;
    finished_ = 0;
    acked_ = 0;
    next_.store(0, std::memory_order_relaxed);
    ++generation_;
  }
  wake_.notify_all();
  drain();
  std::unique_lock lock(mutex_);
  // Wait for the jobs, and for every worker to have joined and left this
  // generation, so no late worker can wander into the next one.
  const int workers = static_cast<int>(workers_.size());
  done_.wait(lock, [&] { return finished_ == count_ && acked_ == workers && busy_ == 0; });
}

void ThreadPool::workerLoop() {
  std::uint64_t seen = 0;
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [&] { return stopping_ || generation_ != seen; });
    if (stopping_) return;
    seen = generation_;
    ++acked_;
    ++busy_;
    lock.unlock();
    drain();
    lock.lock();
    --busy_;
    if (busy_ == 0) done_.notify_all();
  }
}

}  // namespace zorva
