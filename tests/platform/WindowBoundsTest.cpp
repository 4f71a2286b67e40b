#include "platform/WindowBounds.h"

#include <gtest/gtest.h>
#include <climits>

namespace {

struct WithinCase
{
    const char *Name;
    QRect Bounds, Expected;
};

} // namespace

TEST(WindowBounds, BoundsAreBroughtIntoTheAreaKeepingASizeThatFits)
{
    const QRect area(0, 30, 1280, 870);   // a task bar above
    const WithinCase cases[] = {
        {"inside", {100, 100, 640, 480}, {100, 100, 640, 480}},
        {"filling the area", {0, 30, 1280, 870}, {0, 30, 1280, 870}},
        {"beyond the right and bottom", {2500, 1500, 640, 480}, {640, 420, 640, 480}},
        {"partly beyond the right", {1000, 100, 640, 480}, {640, 100, 640, 480}},
        {"left of and above", {-3000, -200, 640, 480}, {0, 30, 640, 480}},
        {"under the task bar", {100, 0, 640, 480}, {100, 30, 640, 480}},
        {"larger than the area", {-10, -10, 1920, 1200}, {0, 30, 1280, 870}},
        {"too wide only", {300, 200, 1600, 400}, {0, 200, 1280, 400}},
    };
    for (const WithinCase &c : cases) EXPECT_EQ(BoundsWithinArea(c.Bounds, area), c.Expected) << c.Name;

    // A second screen left of the first, with its origin off the corner.
    EXPECT_EQ(BoundsWithinArea({-2000, 900, 800, 600}, QRect(-1920, 200, 1920, 1080)), QRect(-1920, 680, 800, 600));
}

// Numbers from a damaged settings file give bounds that can still be brought onto a screen.
TEST(WindowBounds, StoredNumbersOfAnySizeGiveUsableBounds)
{
    EXPECT_EQ(StoredBounds(10, 20, 640, 480), QRect(10, 20, 640, 480));
    EXPECT_EQ(StoredBounds(-50, -60, -5, 0), QRect(-50, -60, 0, 0));
    const QRect huge = StoredBounds(INT_MAX, INT_MIN, INT_MAX, INT_MIN);
    EXPECT_EQ(huge, QRect(1000000, -1000000, 1000000, 0));
    EXPECT_EQ(BoundsWithinArea(huge, QRect(0, 0, 1280, 900)), QRect(0, 0, 1280, 0));
}

TEST(WindowBounds, TheAreaHoldingMostOfTheBoundsIsChosen)
{
    const std::vector<QRect> areas = {{0, 0, 1280, 900}, {1280, 0, 1920, 1080}};
    const std::pair<QRect, int> cases[] = {
        {{100, 100, 640, 480}, 0},
        {{1500, 100, 640, 480}, 1},
        {{1000, 100, 640, 480}, 1},    // 360 of 640 columns on the second
        {{900, 100, 640, 480}, 0},     // 380 on the first
        {{5000, 5000, 640, 480}, 7},   // on none: the fallback
        {{-700, 100, 640, 480}, 7},
    };
    for (const auto &[bounds, expected] : cases)
        EXPECT_EQ(AreaHoldingMost(bounds, areas, 7), expected) << bounds.x() << "," << bounds.y();
    EXPECT_EQ(AreaHoldingMost({0, 0, 10, 10}, {}, 0), 0);
}
