// The game's generator against the C library's own where that is glibc:
// the same values for the same seed, so every game stays as it was.
#include "game/random.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

#ifdef __GLIBC__
TEST(Generator, GivesTheValuesOfTheGnuCLibrary) {
    for (unsigned seed : {0u, 1u, 2u, 12345u, 127773u, 2147483647u, 2147483648u, 1765000000u, 4294967295u}) {
        random_seed(seed);
        std::srand(seed);
        for (int i = 0; i < 1000000; ++i) {
            int expected = std::rand();
            ASSERT_EQ(random_value(), expected) << "seed " << seed << ", value " << i;
        }
    }
}
#else
TEST(Generator, GivesTheValuesOfTheGnuCLibrary) {
    GTEST_SKIP() << "the C library is not glibc: nothing to compare with";
}
#endif

TEST(Generator, ADrawIsOneValueModuloTheBound) {
    random_reset_controls();
    random_seed(777);
    int first = random_value();
    int second = random_value();
    random_seed(777);
    EXPECT_EQ(random_below(1000), first % 1000);
    EXPECT_EQ(random_below(7), second % 7);
    EXPECT_EQ(random_draw_count(), 2);
    // The clock's seeding takes a fixed seed as it would the clock's.
    random_fix_seed(777);
    seed_random_from_clock();
    EXPECT_EQ(random_value(), first);
    random_reset_controls();
}

}  // namespace
