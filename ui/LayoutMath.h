#ifndef RINGLOCK_UI_LAYOUTMATH_H
#define RINGLOCK_UI_LAYOUTMATH_H

#include <cstdint>

// The anchored layout's arithmetic on plain rectangles, free of the platform.

enum AnchorCode : int32_t {
    ANCHOR_FIXED = 0,
    ANCHOR_STRETCH = 1,
    ANCHOR_MOVE = 2,
    ANCHOR_HALF_MOVE = 3,
    ANCHOR_KEEP_ASPECT = 4,
    ANCHOR_FOLLOW_X2 = 5,
    ANCHOR_FOLLOW_Y2 = 6,
    ANCHOR_FOLLOW_X = 7,
    ANCHOR_FOLLOW_Y = 8,
};

struct LayoutRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

struct LayoutPlacement {
    int32_t x;
    int32_t y;
    int32_t w;
    int32_t h;
    bool move;  // false when both codes are ANCHOR_FIXED: the control is left alone
};

// The values that the follow codes read: they describe the control that the
// last placement handled, in whatever relayout that was.
struct FollowState {
    int32_t s_prevShiftX;
    int32_t s_prevShiftY;
    int32_t s_prevWidth;
};

// Where a control registered at `registered` goes when the dialog is dx wider
// and dy higher than captured; updates `follow` for the next control. Ratios
// are taken in x87 extended precision. When the aspect ratio cannot be formed
// (registered width 0, or height 0 for a width computed from it), the aspect
// codes keep the registered size on that axis.
LayoutPlacement PlaceLayoutItem(const LayoutRect& registered, int32_t horzCode, int32_t vertCode,
                                int32_t dx, int32_t dy, FollowState& follow);

// Keeps a proposed window rectangle at least minWidth x minHeight, moving the
// dragged edge (WMSZ_* values 1..8).
void LimitSizingRect(int32_t minWidth, int32_t minHeight, int32_t edge, LayoutRect& proposed);

#endif
