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
auto Tie(const FollowState& f) { return std::make_tuple(f.s_prevShiftX, f.s_prevShiftY, f.s_prevWidth); }

// One row for each code, then the edges of the arithmetic. `after` is what
// the next control's follow codes read: how far this one's right and bottom
// edges moved, and its width.
struct PlaceCase {
    const char* what; LayoutRect registered; int32_t horz, vert, dx, dy; FollowState before;
    LayoutPlacement expected; FollowState after;
};
const PlaceCase kPlaceCases[] = {
    {"fixed", kControl, 0, 0, 40, 30, {7, 8, 9}, {10, 20, 100, 50, false}, {0, 0, 100}},
    {"stretch", kControl, 1, 1, 40, 30, {}, {10, 20, 140, 80, true}, {40, 30, 140}},
    {"move", kControl, 2, 2, 40, 30, {}, {50, 50, 100, 50, true}, {40, 30, 100}},
    {"half move, truncated", kControl, 3, 3, -5, -31, {}, {8, 5, 100, 50, true}, {-2, -15, 100}},
    {"height from the width", kControl, 1, 4, 40, 0, {}, {10, 20, 140, 70, true}, {40, 20, 140}},
    {"width from the height", kControl, 4, 1, 0, 30, {}, {10, 20, 160, 80, true}, {60, 30, 160}},
    {"follow x twice", kControl, 5, 0, 40, 30, {40, 0, 140}, {90, 20, 140, 50, true}, {120, 0, 140}},
    {"follow y twice", kControl, 0, 6, 40, 30, {0, 30, 60}, {10, 80, 100, 50, true}, {0, 60, 100}},
    {"follow x", kControl, 7, 0, 40, 30, {40, 0, 140}, {50, 20, 140, 50, true}, {80, 0, 140}},
    {"follow y, height by aspect", kControl, 0, 8, 40, 30, {0, 30, 60}, {10, 50, 100, 50, true}, {0, 30, 100}},
    {"unknown codes", kControl, 9, 9, 40, 30, {}, {10, 20, 100, 50, true}, {0, 0, 100}},
    {"15x1 width in extended precision", {0, 0, 15, 1}, 4, 0, 0, 0, {}, {0, 0, 14, 1, true}, {-1, 0, 14}},
    {"41x1 height in extended precision", {0, 0, 41, 1}, 0, 4, 0, 0, {}, {0, 0, 41, 0, true}, {0, -1, 41}},
    {"zero width keeps its size", {10, 20, 10, 70}, 4, 4, 40, 30, {}, {10, 20, 0, 50, true}, {0, 0, 0}},
    {"zero height, height from width", {10, 20, 110, 20}, 1, 4, 40, 30, {}, {10, 20, 140, 0, true}, {40, 0, 140}},
    {"height beyond the int range", {10, 20, 11, 40020}, 1, 4, 60000, 0, {}, {10, 20, 60001, INT32_MIN, true},
     {60000, 2147443648, 60001}},
    {"move beyond the int range", {2147483600, 0, 2147483640, 10}, 2, 0, 100, 0, {}, {-2147483596, 0, 40, 10, true},
     {100, 0, 40}},
};

TEST(LayoutMath, PlacesEachCodeAndLeavesWhatTheNextControlFollows)
{
    for (const PlaceCase& c : kPlaceCases) {
        SCOPED_TRACE(c.what);
        FollowState follow = c.before;
        EXPECT_EQ(Tie(PlaceLayoutItem(c.registered, c.horz, c.vert, c.dx, c.dy, follow)), Tie(c.expected));
        EXPECT_EQ(Tie(follow), Tie(c.after));
    }
}

struct SizingCase { int32_t edge; LayoutRect proposed; LayoutRect expected; };
const SizingCase kSizingCases[] = {
    {1, {100, 100, 350, 250}, {50, 100, 350, 300}},
    {3, {100, 100, 350, 250}, {100, 50, 400, 250}},
    {4, {100, 100, 350, 250}, {50, 50, 350, 250}},
    {7, {100, 100, 350, 250}, {50, 100, 350, 300}},
    {8, {100, 100, 350, 250}, {100, 100, 400, 300}},
    {4, {100, 100, 350, 400}, {50, 100, 350, 400}},
    {8, {-2147483600, 0, 2147483600, 500}, {-2147483600, 0, -2147483300, 500}},
};

TEST(LayoutMath, LimitsTheDraggedEdgeToTheMinimum)
{
    for (const SizingCase& c : kSizingCases) {
        LayoutRect r = c.proposed;
        LimitSizingRect(300, 200, c.edge, r);
        EXPECT_EQ(Tie(r), Tie(c.expected)) << "edge " << c.edge << " from " << testing::PrintToString(Tie(c.proposed));
    }
}

}  // namespace
