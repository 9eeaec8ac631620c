#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <unistd.h>
#include <vector>

#include "base/thread_pool.h"

namespace zorva {
namespace {

// Every job of every run happens exactly once, and a run is over when run()
// returns, however many workers there are and however short the runs.
TEST(ThreadPool, RunsEveryJobOnceAndWaitsForThem) {
  for (int threads : {1, 2, 3, 7}) {
    ThreadPool pool(threads);
    EXPECT_EQ(pool.size(), threads);
    std::vector<std::atomic<int>> hits(64);
    for (int run = 0; run < 2000; ++run) {
      const int count = run % 64 + 1;
      pool.run(count, [&](int i) { hits[static_cast<std::size_t>(i)].fetch_add(1, std::memory_order_relaxed); });
      int total = 0;
      for (int i = 0; i < 64; ++i) total += hits[static_cast<std::size_t>(i)].exchange(0);
      ASSERT_EQ(total, count) << threads << " threads, run " << run;
    }
    pool.run(0, [&](int) { FAIL(); });
  }
}

// What the pool refuses must not catch what it allows: threads taking turns
// at one pool, and a job running a different pool.
TEST(ThreadPool, ThreadsTakeTurnsAndAJobMayRunAnotherPool) {
  ThreadPool outer(3), inner(2);
  std::atomic<int> outerJobs{0}, innerJobs{0};
  std::thread other([&] { outer.run(5, [&](int) { outerJobs.fetch_add(1); }); });
  other.join();
  outer.run(6, [&](int i) {
    outerJobs.fetch_add(1);
    if (i == 0) inner.run(8, [&](int) { innerJobs.fetch_add(1); });
  });
  EXPECT_EQ(outerJobs.load(), 11);
  EXPECT_EQ(innerJobs.load(), 8);
}

// Death tests run in a child process; "threadsafe" starts it afresh rather
// than forking a process whose pool threads are running.
class ThreadPoolDeathTest : public testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

// A pool that lets a nested run through deadlocks; SIGALRM then ends the
// child with no message, so the death test fails instead of hanging.
void watchdog() { alarm(60); }

// Which thread makes the nested call: the calling thread, on its own (a pool
// of one thread, or a run of one job) or beside the workers, or a worker
// while the calling thread is busy with a job of its own.
enum class NestedFrom { CallerAlone, Caller, Worker };
struct NestedCase {
  int threads, jobs, innerJobs;
  NestedFrom from;
};

TEST_F(ThreadPoolDeathTest, RefusesARunFromInsideItsOwnJob) {
  const NestedCase cases[] = {{1, 1, 1, NestedFrom::CallerAlone}, {1, 3, 0, NestedFrom::CallerAlone},
                              {3, 1, 2, NestedFrom::CallerAlone}, {3, 16, 2, NestedFrom::Caller},
                              {3, 16, 2, NestedFrom::Worker},     {2, 4, 0, NestedFrom::Worker}};
  for (const NestedCase& c : cases) {
    EXPECT_DEATH(
        {
          watchdog();
          ThreadPool pool(c.threads);
          const std::thread::id caller = std::this_thread::get_id();
          const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
          pool.run(c.jobs, [&](int) {
            const bool onCaller = std::this_thread::get_id() == caller;
            if (c.from == NestedFrom::CallerAlone || onCaller == (c.from == NestedFrom::Caller)) {
              pool.run(c.innerJobs, [](int) {});
            } else {
              // Leave the nested call to the other side; the deadline only
              // bounds a failure.
              while (std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
            }
          });
        },
        "run\\(\\) called from inside one of the same pool's jobs")
        << c.threads << " threads, " << c.jobs << " jobs, " << c.innerJobs << " inner jobs, case "
        << static_cast<int>(c.from);
  }
}

TEST_F(ThreadPoolDeathTest, RefusesARunWhileAnotherThreadsRunIsInProgress) {
  for (const int jobs : {1, 4}) {
    EXPECT_DEATH(
        {
          watchdog();
          ThreadPool pool(2);
          std::atomic<bool> started{false};
          std::atomic<bool> otherDone{false};
          std::thread other([&] {
            while (!started.load()) std::this_thread::yield();
            pool.run(1, [](int) {});
            otherDone = true;
          });
          // The jobs hold the run open until the other thread's run is over,
          // which it never should be; the deadline only bounds a failure.
          const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
          pool.run(jobs, [&](int) {
            started = true;
            while (!otherDone.load() && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
          });
          other.join();
        },
        "run\\(\\) called while another thread's run of the same pool is in progress")
        << jobs << " jobs";
  }
}

TEST_F(ThreadPoolDeathTest, AJobThatThrowsEndsTheProgramWithAMessage) {
  for (const int threads : {1, 3}) {
    EXPECT_DEATH(ThreadPool(threads).run(8, [](int i) { i == 5 ? throw std::runtime_error("ink ran out") : void(); }),
                 "ink ran out")
        << threads << " threads";
    EXPECT_DEATH(ThreadPool(threads).run(8, [](int i) { i == 2 ? throw 42 : void(); }), "not a std::exception")
        << threads << " threads";
  }
}

}  // namespace
}  // namespace zorva
