// A small pool of persistent workers. run() hands out job indexes to the
// workers and the calling thread and returns when every job is done; it
// allocates nothing, so it can sit inside the step loop.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace zorva {

class ThreadPool {
 public:
  explicit ThreadPool(int threads);
  ~ThreadPool();
  ThreadPool(const ThreadPool&) = delete;
  ThreadPool& operator=(const ThreadPool&) = delete;

  int size() const { return static_cast<int>(workers_.size()) + 1; }

  template <typename F>
  void run(int count, F&& job) {
    if (count <= 0) return;
    if (count == 1 || workers_.empty()) {
      for (int i = 0; i < count; ++i) job(i);
      return;
    }
    using Fn = std::remove_reference_t<F>;
    dispatch(count, [](void* ctx, int i) { (*static_cast<Fn*>(ctx))(i); }, &job);
  }

 private:
  using Trampoline = void (*)(void*, int);
  void dispatch(int count, Trampoline fn, void* ctx);
  void workerLoop();
  void drain();

  std::vector<std::thread> workers_;
  std::mutex mutex_;
  std::condition_variable wake_, done_;
  bool stopping_ = false;              // guarded by mutex_
  std::atomic<std::uint64_t> generation_{0};  // one per run()
  Trampoline fn_ = nullptr;             // the current run's job, its context
  void* ctx_ = nullptr;                 // and count, published by generation_
  int count_ = 0;
  std::atomic<int> next_{0};            // the next job index to hand out
  std::atomic<int> left_{0};            // workers done with the current run
};

}  // namespace zorva
