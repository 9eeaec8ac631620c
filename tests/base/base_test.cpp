#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <thread>
#include <unistd.h>
#include <vector>

#include "base/random.h"
#include "base/thread_pool.h"

namespace zorva {
namespace {

TEST(Random, FractionAndRangeReadTheAdvancedState) {
  // From state 1 the next state is 134775813 + 1 = 134775814.
  Random random(1);
  EXPECT_EQ(random.fraction(), 134775814 / 4294967296.0);
  EXPECT_EQ(random.state(), 134775814u);

  // 70 * 134775814 = 9434306980, whose upper 32 bits are 2: 15 + 2.
  random.seed(1);
  EXPECT_EQ(random.range(15, 85), 17);
  random.seed(1);
  EXPECT_EQ(random.range(85, 15), 17);  // the bounds are taken as min and max

  // Equal bounds give the bound and still advance the state once.
  random.seed(1);
  EXPECT_EQ(random.range(30, 30), 30);
  EXPECT_EQ(random.state(), 134775814u);

  // From state 0 the next state is 1: the smallest nonzero fraction.
  random.seed(0);
  EXPECT_EQ(random.fraction(), 1 / 4294967296.0);
}

TEST(Random, RangeNeverReachesItsUpperBound) {
  Random random(12345);
  std::int32_t lowest = 1000, highest = -1000;
  for (int i = 0; i < 10000; ++i) {
    const std::int32_t v = random.range(15, 85);
    lowest = std::min(lowest, v);
    highest = std::max(highest, v);
  }
  EXPECT_EQ(lowest, 15);
  EXPECT_EQ(highest, 84);

  // The widest range stays within the 32-bit integers.
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  random.seed(0xFFFFFFFEu);  // next state 0xFFFFFFFE * 134775813 + 1
  for (int i = 0; i < 1000; ++i) {
    const std::int32_t v = random.range(kMax, kMin);
    EXPECT_LT(v, kMax);
  }
  random.seed(0);  // next state 1: the smallest step above the minimum
  EXPECT_EQ(random.range(kMin, kMax), kMin);
}

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
      for (auto& h : hits) total += h.exchange(0);
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
  std::thread([&] { outer.run(5, [&](int) { outerJobs.fetch_add(1); }); }).join();
  outer.run(6, [&](int i) {
    outerJobs.fetch_add(1);
    if (i == 0) inner.run(8, [&](int) { innerJobs.fetch_add(1); });
  });
  EXPECT_EQ(outerJobs.load(), 11);
  EXPECT_EQ(innerJobs.load(), 8);
}

// Death tests run in a child process; "threadsafe" starts it afresh rather
// than forking a process whose pool threads are running. A pool that lets a
// refused run through deadlocks; the alarm then ends the child with no
// message, so the death test fails instead of hanging.
class ThreadPoolDeathTest : public testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

// Spins until the deadline, which only bounds a failure, or until done.
void holdUntil(const std::atomic<bool>* done = nullptr) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while ((done == nullptr || !done->load()) && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
}

// Which thread makes the nested call: the calling thread, on its own (a pool
// of one thread, or a run of one job) or beside the workers, or a worker
// while the calling thread is busy with a job of its own.
enum class NestedFrom { CallerAlone, Caller, Worker };

TEST_F(ThreadPoolDeathTest, RefusesARunFromInsideItsOwnJob) {
  struct Case {
    int threads, jobs, innerJobs;
    NestedFrom from;
  };
  for (const Case& c : {Case{1, 1, 1, NestedFrom::CallerAlone}, Case{1, 3, 0, NestedFrom::CallerAlone},
                        Case{3, 1, 2, NestedFrom::CallerAlone}, Case{3, 16, 2, NestedFrom::Caller},
                        Case{3, 16, 2, NestedFrom::Worker}, Case{2, 4, 0, NestedFrom::Worker}}) {
    EXPECT_DEATH(
        {
          alarm(60);
          ThreadPool pool(c.threads);
          const std::thread::id caller = std::this_thread::get_id();
          pool.run(c.jobs, [&](int) {
            const bool onCaller = std::this_thread::get_id() == caller;
            if (c.from == NestedFrom::CallerAlone || onCaller == (c.from == NestedFrom::Caller))
              pool.run(c.innerJobs, [](int) {});
            else
              holdUntil();  // leaves the nested call to the other side
          });
        },
        "run\\(\\) called from inside one of the same pool's jobs")
        << c.threads << " threads, " << c.jobs << " jobs, case " << static_cast<int>(c.from);
  }
}

TEST_F(ThreadPoolDeathTest, RefusesARunWhileAnotherThreadsRunIsInProgress) {
  for (const int jobs : {1, 4}) {
    EXPECT_DEATH(
        {
          alarm(60);
          ThreadPool pool(2);
          std::atomic<bool> started{false};
          std::atomic<bool> otherDone{false};
          std::thread other([&] {
            while (!started.load()) std::this_thread::yield();
            pool.run(1, [](int) {});
            otherDone = true;
          });
          // The jobs hold the run open until the other thread's run is over,
          // which it never should be.
          pool.run(jobs, [&](int) {
            started = true;
            holdUntil(&otherDone);
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
