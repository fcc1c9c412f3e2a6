// Built for the host and, through tests/ui/LayoutMathWineTest.cpp, for Windows,
// so that both compilers' extended-precision arithmetic meets the same table.
#include <gtest/gtest.h>

#include <cstdint>

#include "ui/LayoutMath.h"

namespace {

constexpr LayoutRect kControl{10, 20, 110, 70};  // 100 x 50, ratio 0.5

struct PlaceCase {
    const char* what;
    LayoutRect registered;
    int32_t horz;
    int32_t vert;
    int32_t dx;
    int32_t dy;
    FollowState before;
    LayoutPlacement expected;
};

const PlaceCase kPlaceCases[] = {
    {"stretch wide", kControl, 1, 0, 40, 30, {}, {10, 20, 140, 50, true}},
    {"move to the corner", kControl, 2, 2, 40, 30, {}, {50, 50, 100, 50, true}},
    {"half of -5 is -2", kControl, 3, 0, -5, 0, {}, {8, 20, 100, 50, true}},
    {"half moves both ways", kControl, 3, 3, 41, -31, {}, {30, 5, 100, 50, true}},
    {"stretch smaller", kControl, 1, 1, -30, -20, {}, {10, 20, 70, 30, true}},
    {"move back and up", kControl, 2, 2, -30, -20, {}, {-20, 0, 100, 50, true}},
    {"height from stretched width", kControl, 1, 4, 40, 0, {}, {10, 20, 140, 70, true}},
    {"width from stretched height", kControl, 4, 1, 0, 30, {}, {10, 20, 160, 80, true}},
    {"both aspect codes", kControl, 4, 4, 40, 30, {}, {10, 20, 100, 50, true}},
    {"fixed leaves it", kControl, 0, 0, 40, 30, {7, 8, 9}, {10, 20, 100, 50, false}},
    {"unknown codes keep it but still move", kControl, 9, -1, 40, 30, {}, {10, 20, 100, 50, true}},
    {"15x1 width in extended precision", {0, 0, 15, 1}, 4, 0, 0, 0, {}, {0, 0, 14, 1, true}},
    {"41x1 height in extended precision", {0, 0, 41, 1}, 0, 4, 0, 0, {}, {0, 0, 41, 0, true}},
    {"follow x", kControl, 7, 0, 40, 30, {40, 0, 140}, {50, 20, 140, 50, true}},
    {"follow x twice", kControl, 5, 0, 40, 30, {40, 0, 140}, {90, 20, 140, 50, true}},
    {"follow y sizes by aspect", kControl, 0, 8, 40, 30, {0, 30, 60}, {10, 50, 100, 50, true}},
    {"follow y twice", kControl, 0, 6, 40, 30, {0, 30, 60}, {10, 80, 100, 50, true}},
    {"follow width but not height", kControl, 7, 8, 0, 0, {40, 30, 140}, {50, 50, 140, 70, true}},
    {"follow codes act on one axis only", kControl, 6, 5, 40, 30, {40, 30, 140}, {10, 20, 100, 50, true}},
    {"zero width keeps height for code 4", {10, 20, 10, 70}, 0, 4, 40, 30, {}, {10, 20, 0, 50, true}},
    {"zero width keeps width for code 4", {10, 20, 10, 70}, 4, 0, 40, 30, {}, {10, 20, 0, 50, true}},
    {"zero width stretched, code 8", {10, 20, 10, 70}, 1, 8, 40, 30, {0, 5, 0}, {10, 25, 40, 50, true}},
    {"zero width, code 6", {10, 20, 10, 70}, 7, 6, 40, 30, {3, 5, 12}, {13, 30, 12, 50, true}},
    {"zero height keeps width for code 4", {10, 20, 110, 20}, 4, 1, 40, 30, {}, {10, 20, 100, 30, true}},
    {"zero height, height from width", {10, 20, 110, 20}, 1, 4, 40, 30, {}, {10, 20, 140, 0, true}},
    {"empty rectangle", {10, 20, 10, 20}, 4, 4, 40, 30, {}, {10, 20, 0, 0, true}},
};

TEST(LayoutMathTest, PlacesEachCodeCombination)
{
    for (const PlaceCase& c : kPlaceCases) {
        SCOPED_TRACE(c.what);
        FollowState follow = c.before;
        const LayoutPlacement p = PlaceLayoutItem(c.registered, c.horz, c.vert, c.dx, c.dy, follow);
        EXPECT_EQ(p.x, c.expected.x);
        EXPECT_EQ(p.y, c.expected.y);
        EXPECT_EQ(p.w, c.expected.w);
        EXPECT_EQ(p.h, c.expected.h);
        EXPECT_EQ(p.move, c.expected.move);
        EXPECT_EQ(follow.s_prevShiftX, p.x + p.w - c.registered.right);
        EXPECT_EQ(follow.s_prevShiftY, p.y + p.h - c.registered.bottom);
        EXPECT_EQ(follow.s_prevWidth, p.w);
    }
}

TEST(LayoutMathTest, SizesBeyondTheIntegerRangeWrapInsteadOfOverflowing)
{
    FollowState follow{};
    const LayoutPlacement tall = PlaceLayoutItem({10, 20, 11, 40020}, 1, 4, 60000, 0, follow);
    EXPECT_EQ(tall.w, 60001);
    EXPECT_EQ(tall.h, INT32_MIN);
    const int32_t shift = follow.s_prevShiftY;
    EXPECT_EQ(shift, static_cast<int32_t>(0x80000014u - 40020u));

    const LayoutPlacement follower = PlaceLayoutItem(kControl, 0, 6, 0, 0, follow);
    EXPECT_EQ(follower.y, static_cast<int32_t>(20u + 2u * static_cast<uint32_t>(shift)));
}

TEST(LayoutMathTest, FixedControlLeavesZeroShiftsAndItsWidth)
{
    FollowState follow{7, 8, 9};
    PlaceLayoutItem(kControl, 0, 0, 40, 30, follow);
    EXPECT_EQ(follow.s_prevShiftX, 0);
    EXPECT_EQ(follow.s_prevShiftY, 0);
    EXPECT_EQ(follow.s_prevWidth, 100);
}

TEST(LayoutMathTest, FollowerTakesTheShiftOfTheControlBeforeIt)
{
    const LayoutRect follower{120, 20, 160, 70};
    for (const int32_t code : {ANCHOR_FOLLOW_X, ANCHOR_FOLLOW_X2}) {
        SCOPED_TRACE(code);
        FollowState follow{};
        PlaceLayoutItem(kControl, ANCHOR_STRETCH, ANCHOR_FIXED, 40, 30, follow);
        const LayoutPlacement p = PlaceLayoutItem(follower, code, ANCHOR_FIXED, 40, 30, follow);
        EXPECT_EQ(p.x, code == ANCHOR_FOLLOW_X ? 160 : 200);
        EXPECT_EQ(p.w, 140);
        EXPECT_EQ(p.y, 20);
        EXPECT_EQ(p.h, 50);
    }
}

TEST(LayoutMathTest, FirstFollowerOfARelayoutFollowsTheLastControlOfThePreviousOne)
{
    const LayoutRect follower{120, 20, 160, 70};
    FollowState follow{};
    const LayoutPlacement first = PlaceLayoutItem(follower, ANCHOR_FOLLOW_X, ANCHOR_FIXED, 40, 0, follow);
    EXPECT_EQ(first.x, 120);
    EXPECT_EQ(first.w, 0);

    PlaceLayoutItem(kControl, ANCHOR_MOVE, ANCHOR_FIXED, 40, 0, follow);
    const LayoutPlacement next = PlaceLayoutItem(follower, ANCHOR_FOLLOW_X, ANCHOR_FIXED, 40, 0, follow);
    EXPECT_EQ(next.x, 160);
    EXPECT_EQ(next.w, 100);
}

TEST(LayoutMathTest, BackAtTheCapturedSizeEveryControlHasItsRegisteredRectangle)
{
    const LayoutRect rects[] = {kControl, {3, 7, 44, 8}, {5, 5, 38, 52}, {2, 90, 226, 155}, {-4, -9, 0, 0}};
    for (const LayoutRect& r : rects) {
        for (int32_t horz = 0; horz <= 3; ++horz) {
            for (int32_t vert = 0; vert <= 3; ++vert) {
                SCOPED_TRACE(testing::Message() << "rect " << r.left << "," << r.top << " codes " << horz << ","
                                                << vert);
                FollowState follow{};
                const LayoutPlacement p = PlaceLayoutItem(r, horz, vert, 0, 0, follow);
                EXPECT_EQ(p.x, r.left);
                EXPECT_EQ(p.y, r.top);
                EXPECT_EQ(p.w, r.right - r.left);
                EXPECT_EQ(p.h, r.bottom - r.top);
            }
        }
    }
}

struct SizingCase {
    const char* what;
    int32_t minWidth;
    int32_t minHeight;
    int32_t edge;
    LayoutRect proposed;
    LayoutRect expected;
};

const SizingCase kSizingCases[] = {
    {"top left", 300, 200, 4, {100, 100, 350, 250}, {50, 50, 350, 250}},
    {"bottom right", 300, 200, 8, {100, 100, 350, 250}, {100, 100, 400, 300}},
    {"left", 300, 200, 1, {100, 100, 350, 250}, {50, 100, 350, 300}},
    {"right", 300, 200, 2, {100, 100, 350, 250}, {100, 100, 400, 300}},
    {"top", 300, 200, 3, {100, 100, 350, 250}, {100, 50, 400, 250}},
    {"top right", 300, 200, 5, {100, 100, 350, 250}, {100, 50, 400, 250}},
    {"bottom", 300, 200, 6, {100, 100, 350, 250}, {100, 100, 400, 300}},
    {"bottom left", 300, 200, 7, {100, 100, 350, 250}, {50, 100, 350, 300}},
    {"width only too small", 300, 200, 4, {100, 100, 350, 400}, {50, 100, 350, 400}},
    {"height only too small", 300, 200, 4, {100, 100, 500, 250}, {100, 50, 500, 250}},
    {"exactly the minimum", 300, 200, 4, {100, 100, 400, 300}, {100, 100, 400, 300}},
    {"larger than the minimum", 300, 200, 8, {0, 0, 900, 700}, {0, 0, 900, 700}},
    {"no minimum", 0, 0, 8, {100, 100, 101, 101}, {100, 100, 101, 101}},
    {"height minimum only", 0, 50, 8, {100, 100, 101, 101}, {100, 100, 101, 150}},
    {"edge outside the platform's range", 300, 200, 0, {100, 100, 350, 250}, {100, 100, 400, 300}},
};

TEST(LayoutMathTest, LimitsTheDraggedEdgeToTheMinimum)
{
    for (const SizingCase& c : kSizingCases) {
        SCOPED_TRACE(c.what);
        LayoutRect r = c.proposed;
        LimitSizingRect(c.minWidth, c.minHeight, c.edge, r);
        EXPECT_EQ(r.left, c.expected.left);
        EXPECT_EQ(r.top, c.expected.top);
        EXPECT_EQ(r.right, c.expected.right);
        EXPECT_EQ(r.bottom, c.expected.bottom);
    }
}

}  // namespace
