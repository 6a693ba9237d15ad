#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

#include "tivra/engine/ZoomSteps.h"

// Steps depend on the current factor and hold the limits [0.1, 20], NaN included.
TEST(ZoomSteps, StepsDependOnTheCurrentFactorAndHoldTheLimits)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::tuple<double, double, double> rows[] = {  // factor, step in, step out
        {1.0, 1.25, 0.9}, {2.0, 2.5, 1.75}, {0.5, 0.6, 0.4}, {1.5, 1.75, 1.25}, {3.0, 3.5, 2.5},
        {19.8, 20.0, 19.3}, {20.0, 20.0, 19.5}, {0.15, 0.25, 0.1}, {0.1, 0.2, 0.1}, {nan, 20.0, 0.1}};
    for (const auto& [factor, in, out] : rows) {
        EXPECT_DOUBLE_EQ(ZoomSteps::StepIn(factor), in) << factor;
        EXPECT_DOUBLE_EQ(ZoomSteps::StepOut(factor), out) << factor;
    }
    // Steps from 1.0 are not snapped to a coarser grid.
    double s = 1.0;
    for (double expected : {1.25, 1.5, 1.75, 2.0, 2.5, 3.0}) {
        s = ZoomSteps::StepIn(s);
        EXPECT_NEAR(s, expected, 1e-12);
    }
    EXPECT_NEAR(ZoomSteps::StepIn(ZoomSteps::StepIn(0.35)), 0.55, 1e-12);
}

TEST(ZoomSteps, FitToWindowIsLimited)
{
    EXPECT_DOUBLE_EQ(ZoomSteps::FitToWindow({800, 600}, {4000, 3000}), 0.2);
    EXPECT_DOUBLE_EQ(ZoomSteps::FitToWindow({1000, 1000}, {10, 10}), 20.0);
    EXPECT_DOUBLE_EQ(ZoomSteps::FitToWindow({400, 400}, {200, 100}), 2.0);
    EXPECT_DOUBLE_EQ(ZoomSteps::FitToWindow({100, 100}, {100000, 10}), 0.1);
    EXPECT_DOUBLE_EQ(ZoomSteps::FitToWindow({0, 0}, {100, 100}), 0.1);
    EXPECT_DOUBLE_EQ(ZoomSteps::FitToWindow({100, 100}, {0, 0}), 1.0);
}
