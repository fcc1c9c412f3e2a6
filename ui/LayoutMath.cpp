#include "ui/LayoutMath.h"

namespace {

// Truncates toward zero as the x87 store does with its invalid-operation
// exception masked: a value outside the 32-bit range gives INT32_MIN instead
// of undefined behaviour or a trap.
int32_t TruncToInt32(long double value)
{
    if (!(value > -2147483649.0L && value < 2147483648.0L)) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(value);
}

}  // namespace

LayoutPlacement PlaceLayoutItem(const LayoutRect& registered, int32_t horzCode, int32_t vertCode,
                                int32_t dx, int32_t dy, FollowState& follow)
{
    int32_t x = registered.left;
    int32_t y = registered.top;
    const int32_t regW = registered.right - registered.left;
    const int32_t regH = registered.bottom - registered.top;
    int32_t w = regW;
    int32_t h = regH;

    // A registered width of 0 leaves the ratio undefined, a registered height
    // of 0 makes it 0 so that dividing by it is undefined: in both cases the
    // aspect codes keep the registered size on the axis they would compute.
    const bool hasRatio = regW != 0;
    const long double ratio = hasRatio ? static_cast<long double>(regH) / static_cast<long double>(regW) : 0.0L;
    auto heightFromWidth = [&](int32_t width) {
        return hasRatio ? TruncToInt32(ratio * static_cast<long double>(width)) : regH;
    };

    switch (horzCode) {
    case ANCHOR_STRETCH:
        w += dx;
        break;
    case ANCHOR_MOVE:
        x += dx;
        break;
    case ANCHOR_HALF_MOVE:
        x += dx / 2;
        break;
    case ANCHOR_FOLLOW_X2:
        x += 2 * follow.prevShiftX;
        w = follow.prevWidth;
        break;
    case ANCHOR_FOLLOW_X:
        x += follow.prevShiftX;
        w = follow.prevWidth;
        break;
    default:
        break;
    }

    switch (vertCode) {
    case ANCHOR_STRETCH:
        h += dy;
        break;
    case ANCHOR_MOVE:
        y += dy;
        break;
    case ANCHOR_HALF_MOVE:
        y += dy / 2;
        break;
    case ANCHOR_KEEP_ASPECT:
        h = heightFromWidth(w);
        break;
    case ANCHOR_FOLLOW_Y2:
        y += 2 * follow.prevShiftY;
        h = heightFromWidth(w);
        break;
    case ANCHOR_FOLLOW_Y:
        y += follow.prevShiftY;
        h = heightFromWidth(w);
        break;
    default:
        break;
    }

    if (horzCode == ANCHOR_KEEP_ASPECT && hasRatio && regH != 0) {
        w = TruncToInt32(static_cast<long double>(h) / ratio);
    }

    follow.prevShiftX = x + w - registered.right;
    follow.prevShiftY = y + h - registered.bottom;
    follow.prevWidth = w;

    return LayoutPlacement{x, y, w, h, horzCode != ANCHOR_FIXED || vertCode != ANCHOR_FIXED};
}

void LimitSizingRect(int32_t minWidth, int32_t minHeight, int32_t edge, LayoutRect& proposed)
{
    enum { kLeft = 1, kTop = 3, kTopLeft = 4, kTopRight = 5, kBottomLeft = 7 };

    if (minWidth > proposed.right - proposed.left) {
        if (edge == kLeft || edge == kTopLeft || edge == kBottomLeft) {
            proposed.left = proposed.right - minWidth;
        } else {
            proposed.right = proposed.left + minWidth;
        }
    }
    if (minHeight > proposed.bottom - proposed.top) {
        if (edge == kTop || edge == kTopLeft || edge == kTopRight) {
            proposed.top = proposed.bottom - minHeight;
        } else {
            proposed.bottom = proposed.top + minHeight;
        }
    }
}
