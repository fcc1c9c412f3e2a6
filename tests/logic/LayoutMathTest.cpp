// Run on the host and under Wine, so that both compilers' extended-precision
// arithmetic meets the same table.
#include <cstdint>
#include <tuple>

#include <gtest/gtest.h>

#include "ui/LayoutMath.h"

namespace {

constexpr LayoutRect kControl{10, 20, 110, 70};  // 100 x 50, ratio 0.5

auto Tie(const LayoutRect& r) { return std::make_tuple(r.left, r.top, r.right, r.bottom); }
auto Tie(const LayoutPlacement& p) { return std::make_tuple(p.x, p.y, p.w, p.h, p.move); }
int32_t Wrapped(int64_t value) { return static_cast<int32_t>(static_cast<uint32_t>(value)); }

struct PlaceCase {
    const char* what; LayoutRect registered; int32_t horz, vert, dx, dy; FollowState before; LayoutPlacement expected;
};
const PlaceCase kPlaceCases[] = {
    {"stretch wide", kControl, 1, 0, 40, 30, {}, {10, 20, 140, 50, true}},
    {"stretch smaller", kControl, 1, 1, -30, -20, {}, {10, 20, 70, 30, true}},
    {"move to the corner", kControl, 2, 2, 40, 30, {}, {50, 50, 100, 50, true}},
    {"half of -5 is -2", kControl, 3, 0, -5, 0, {}, {8, 20, 100, 50, true}},
    {"half moves both ways", kControl, 3, 3, 41, -31, {}, {30, 5, 100, 50, true}},
    {"height from stretched width", kControl, 1, 4, 40, 0, {}, {10, 20, 140, 70, true}},
    {"width from stretched height", kControl, 4, 1, 0, 30, {}, {10, 20, 160, 80, true}},
    {"both aspect codes", kControl, 4, 4, 40, 30, {}, {10, 20, 100, 50, true}},
    {"fixed leaves it", kControl, 0, 0, 40, 30, {7, 8, 9}, {10, 20, 100, 50, false}},
    {"15x1 width in extended precision", {0, 0, 15, 1}, 4, 0, 0, 0, {}, {0, 0, 14, 1, true}},
    {"41x1 height in extended precision", {0, 0, 41, 1}, 0, 4, 0, 0, {}, {0, 0, 41, 0, true}},
    {"follow x", kControl, 7, 0, 40, 30, {40, 0, 140}, {50, 20, 140, 50, true}},
    {"follow x twice", kControl, 5, 0, 40, 30, {40, 0, 140}, {90, 20, 140, 50, true}},
    {"follow y sizes by aspect", kControl, 0, 8, 40, 30, {0, 30, 60}, {10, 50, 100, 50, true}},
    {"follow y twice", kControl, 0, 6, 40, 30, {0, 30, 60}, {10, 80, 100, 50, true}},
    {"follow width, height from it", kControl, 7, 8, 0, 0, {40, 30, 140}, {50, 50, 140, 70, true}},
    {"follow codes act on one axis only", kControl, 6, 5, 40, 30, {40, 30, 140}, {10, 20, 100, 50, true}},
    {"zero width keeps its size", {10, 20, 10, 70}, 4, 4, 40, 30, {}, {10, 20, 0, 50, true}},
    {"zero width stretched, no ratio", {10, 20, 10, 70}, 1, 8, 40, 30, {0, 5, 0}, {10, 25, 40, 50, true}},
    {"zero height keeps width", {10, 20, 110, 20}, 4, 1, 40, 30, {}, {10, 20, 100, 30, true}},
    {"zero height, height from width", {10, 20, 110, 20}, 1, 4, 40, 30, {}, {10, 20, 140, 0, true}},
    {"largest height", {0, 0, 1, 1}, 1, 4, INT32_MAX - 1, 0, {}, {0, 0, INT32_MAX, INT32_MAX, true}},
    {"height beyond the int range", {10, 20, 11, 40020}, 1, 4, 60000, 0, {}, {10, 20, 60001, INT32_MIN, true}},
    {"follow beyond the int range", kControl, 0, 6, 0, 0, {0, INT32_MAX, 0}, {10, 18, 100, 50, true}},
    {"move beyond the int range", {2147483600, 0, 2147483640, 10}, 2, 0, 100, 0, {}, {-2147483596, 0, 40, 10, true}},
    {"width beyond the int range", {-2147483600, 0, 2147483600, 1}, 1, 0, 100, 0, {}, {-2147483600, 0, 4, 1, true}},
};

TEST(LayoutMath, PlacesEachCodeCombination)
{
    for (const PlaceCase& c : kPlaceCases) {
        SCOPED_TRACE(c.what);
        FollowState follow = c.before;
        const LayoutPlacement p = PlaceLayoutItem(c.registered, c.horz, c.vert, c.dx, c.dy, follow);
        EXPECT_EQ(Tie(p), Tie(c.expected));
        EXPECT_EQ(follow.s_prevShiftX, Wrapped(int64_t{p.x} + p.w - c.registered.right));
        EXPECT_EQ(follow.s_prevShiftY, Wrapped(int64_t{p.y} + p.h - c.registered.bottom));
        EXPECT_EQ(follow.s_prevWidth, p.w);
    }
}

TEST(LayoutMath, FirstFollowerFollowsTheLastControlOfThePreviousRelayout)
{
    FollowState follow{};
    PlaceLayoutItem(kControl, ANCHOR_STRETCH, ANCHOR_MOVE, 40, 30, follow);
    const LayoutPlacement next = PlaceLayoutItem({120, 20, 160, 70}, ANCHOR_FOLLOW_X2, ANCHOR_FOLLOW_Y, 0, 0, follow);
    EXPECT_EQ(Tie(next), std::make_tuple(200, 50, 140, 175, true));
}

struct SizingCase { int32_t minWidth; int32_t minHeight; int32_t edge; LayoutRect proposed; LayoutRect expected; };
const SizingCase kSizingCases[] = {
    {300, 200, 1, {100, 100, 350, 250}, {50, 100, 350, 300}},
    {300, 200, 2, {100, 100, 350, 250}, {100, 100, 400, 300}},
    {300, 200, 3, {100, 100, 350, 250}, {100, 50, 400, 250}},
    {300, 200, 4, {100, 100, 350, 250}, {50, 50, 350, 250}},
    {300, 200, 5, {100, 100, 350, 250}, {100, 50, 400, 250}},
    {300, 200, 6, {100, 100, 350, 250}, {100, 100, 400, 300}},
    {300, 200, 7, {100, 100, 350, 250}, {50, 100, 350, 300}},
    {300, 200, 8, {100, 100, 350, 250}, {100, 100, 400, 300}},
    {300, 200, 4, {100, 100, 350, 400}, {50, 100, 350, 400}},
    {300, 200, 4, {100, 100, 500, 250}, {100, 50, 500, 250}},
    {300, 200, 8, {-2147483600, 0, 2147483600, 500}, {-2147483600, 0, -2147483300, 500}},
};

TEST(LayoutMath, LimitsTheDraggedEdgeToTheMinimum)
{
    for (const SizingCase& c : kSizingCases) {
        LayoutRect r = c.proposed;
        LimitSizingRect(c.minWidth, c.minHeight, c.edge, r);
        EXPECT_EQ(Tie(r), Tie(c.expected)) << "edge " << c.edge << " from " << testing::PrintToString(Tie(c.proposed));
    }
}

}  // namespace
