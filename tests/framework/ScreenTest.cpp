#include "framework/Screen.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

namespace {

// A 200 x 250 window, two monitors side by side (work areas without the task bar), and where
// it ends up.
struct PlaceCase {
    const char* name;
    POINT stored, placed;
};

void PrintTo(const PlaceCase& c, std::ostream* os)
{
    *os << c.name;
}

class ReachablePlaceTest : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(ReachablePlaceTest, KeepsAnyPlaceOnScreenAndBringsALostWindowBackWhole)
{
    const std::vector<RECT> areas = {{0, 0, 1920, 1040}, {1920, 0, 3200, 1024}};
    const POINT at = GetParam().stored;
    POINT placed = ReachablePlace({at.x, at.y, at.x + 200, at.y + 250}, areas);
    EXPECT_EQ(GetParam().placed.x, placed.x);
    EXPECT_EQ(GetParam().placed.y, placed.y);
}

const PlaceCase PlaceCases[] = {
    {"on screen stays", {40, 30}, {40, 30}},
    {"partly on screen stays", {-150, -200}, {-150, -200}},
    {"one pixel on screen stays", {-199, 1039}, {-199, 1039}},
    {"on the second monitor stays", {3100, 1000}, {3100, 1000}},
    {"touching the edge from outside moves in", {-200, 100}, {0, 100}},
    {"far right and below goes whole into the nearest corner", {5001, 5001}, {3000, 774}},
    {"minimised place goes to the top left", {-32000, -32000}, {0, 0}},
    {"below the first monitor only", {500, 1200}, {500, 790}},
    {"above the second monitor only", {2500, -900}, {2500, 0}},
    {"far left of the bottom edge", {-32768, 32767}, {0, 790}},
};

INSTANTIATE_TEST_SUITE_P(Table, ReachablePlaceTest, ::testing::ValuesIn(PlaceCases));

TEST(ReachablePlaceTest, AWindowLargerThanTheWorkAreaKeepsItsTopLeftCornerInside)
{
    const std::vector<RECT> areas = {{0, 0, 640, 480}};
    POINT placed = ReachablePlace({5000, 5000, 5000 + 900, 5000 + 700}, areas);
    EXPECT_EQ(0, placed.x);
    EXPECT_EQ(0, placed.y);
}

}  // namespace
