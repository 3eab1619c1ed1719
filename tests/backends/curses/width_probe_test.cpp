#include "backends/curses/width_probe.h"

#include <gtest/gtest.h>

TEST(WidthProbe, TheColumnComesFromTheLastCursorReportAmongOtherAnswers) {
    EXPECT_EQ(reported_column("\x1b[1;3R\x1b[?64;1;2c"), 3);
    EXPECT_EQ(reported_column("\x1b[12;2R"), 2);
    EXPECT_EQ(reported_column("x\x1b[5;1R\x1b[5;3R"), 3);
    EXPECT_EQ(reported_column("\x1b[?1;2c"), 0);  // attributes only: no report
    EXPECT_EQ(reported_column("\x1b[3R"), 0);
    EXPECT_EQ(reported_column("\x1b[1;R"), 0);
}
