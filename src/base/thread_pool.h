// A small pool of persistent workers. run() hands out job indexes to the
// workers and the calling thread and returns when every job is done; it
// allocates nothing, so it can sit inside the step loop.
//
// Rules for callers, both checked:
// - Jobs must not throw. An exception cannot be handed back from a worker,
//   and a run left half done would strand the threads waiting for it, so a
//   job that throws ends the program with a message naming the exception.
// - One run at a time. Calling run() from inside one of the same pool's jobs,
//   or while another thread's run of the same pool is in progress, is a
//   programming error: it prints what happened and aborts. (A job may run a
//   different pool, and different threads may take turns running one pool.)
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <type_traits>
#include <vector>

namespace zorva {

class ThreadPool {
 public:
  explicit ThreadPool(int threads);
  ~ThreadPool();
  ThreadPool(const ThreadPool&) = delete;
  ThreadPool& operator=(const ThreadPool&) = delete;

  int size() const { return static_cast<int>(workers_.size()) + 1; }

  // Calls job(i) once for every i in [0, count), spread over the threads.
  template <typename F>
  void run(int count, F&& job) noexcept {
    const RunGuard guard(*this);
    if (count <= 0) return;
    if (count == 1 || workers_.empty()) {
      try {
        for (int i = 0; i < count; ++i) job(i);
      } catch (...) {
        jobThrew();
      }
      return;
    }
    using Fn = std::remove_reference_t<F>;
    const Trampoline fn = [](void* ctx, int i) noexcept {
      try {
        (*static_cast<Fn*>(ctx))(i);
      } catch (...) {
        jobThrew();
      }
    };
    dispatch(count, fn, const_cast<std::remove_const_t<Fn>*>(&job));
  }

 private:
  using Trampoline = void (*)(void*, int) noexcept;

  // Marks the pool busy for the length of one run(); refuses a second one.
  class RunGuard {
   public:
    explicit RunGuard(ThreadPool& pool) : pool_(pool) { pool_.beginRun(); }
    ~RunGuard() { pool_.endRun(); }
    RunGuard(const RunGuard&) = delete;
    RunGuard& operator=(const RunGuard&) = delete;

   private:
    ThreadPool& pool_;
  };

  void stopWorkers() noexcept;
  void beginRun() noexcept;
  void endRun() noexcept;
  [[noreturn]] static void jobThrew() noexcept;
  void dispatch(int count, Trampoline fn, void* ctx) noexcept;
  void workerLoop();
  void drain() noexcept;

  std::vector<std::thread> workers_;
  std::mutex mutex_;
  std::condition_variable wake_, done_;
  bool stopping_ = false;                     // guarded by mutex_
  std::atomic<bool> busy_{false};             // a run() is in progress
  std::atomic<std::thread::id> runner_{};     // the thread in that run(), for the message
  std::atomic<std::uint64_t> generation_{0};  // one per run()
  Trampoline fn_ = nullptr;                   // the current run's job, its context
  void* ctx_ = nullptr;                       // and count, published by generation_
  int count_ = 0;
  std::atomic<int> next_{0};  // the next job index to hand out
  std::atomic<int> left_{0};  // workers done with the current run
};

}  // namespace zorva
