#include <gtest/gtest.h>

#include <atomic>
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

}  // namespace
}  // namespace zorva
