#include "base/random.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

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

}  // namespace
}  // namespace zorva
