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

// Sums and differences wrap around as the 32-bit registers of the platform do,
// so no size the user can drag to makes the arithmetic undefined.
int32_t Wrap(int64_t value)
{
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value)));
}

}  // namespace

LayoutPlacement PlaceLayoutItem(const LayoutRect& registered, int32_t horzCode, int32_t vertCode,
                                int32_t dx, int32_t dy, FollowState& follow)
{
    int32_t x = registered.left;
    int32_t y = registered.top;
    const int32_t regW = Wrap(int64_t{registered.right} - registered.left);
    const int32_t regH = Wrap(int64_t{registered.bottom} - registered.top);
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
        w = Wrap(int64_t{w} + dx);
        break;
    case ANCHOR_MOVE:
        x = Wrap(int64_t{x} + dx);
        break;
    case ANCHOR_HALF_MOVE:
        x = Wrap(int64_t{x} + dx / 2);
        break;
    case ANCHOR_FOLLOW_X2:
        x = Wrap(int64_t{x} + 2 * int64_t{follow.s_prevShiftX});
        w = follow.s_prevWidth;
        break;
    case ANCHOR_FOLLOW_X:
        x = Wrap(int64_t{x} + follow.s_prevShiftX);
        w = follow.s_prevWidth;
        break;
    default:
        break;
    }

    switch (vertCode) {
    case ANCHOR_STRETCH:
        h = Wrap(int64_t{h} + dy);
        break;
    case ANCHOR_MOVE:
        y = Wrap(int64_t{y} + dy);
        break;
    case ANCHOR_HALF_MOVE:
        y = Wrap(int64_t{y} + dy / 2);
        break;
    case ANCHOR_KEEP_ASPECT:
        h = heightFromWidth(w);
        break;
    case ANCHOR_FOLLOW_Y2:
        y = Wrap(int64_t{y} + 2 * int64_t{follow.s_prevShiftY});
        h = heightFromWidth(w);
        break;
    case ANCHOR_FOLLOW_Y:
        y = Wrap(int64_t{y} + follow.s_prevShiftY);
        h = heightFromWidth(w);
        break;
    default:
        break;
    }

    if (horzCode == ANCHOR_KEEP_ASPECT && hasRatio && regH != 0) {
        w = TruncToInt32(static_cast<long double>(h) / ratio);
    }

    follow.s_prevShiftX = Wrap(int64_t{x} + w - registered.right);
    follow.s_prevShiftY = Wrap(int64_t{y} + h - registered.bottom);
    follow.s_prevWidth = w;

    return LayoutPlacement{x, y, w, h, horzCode != ANCHOR_FIXED || vertCode != ANCHOR_FIXED};
}

void LimitSizingRect(int32_t minWidth, int32_t minHeight, int32_t edge, LayoutRect& proposed)
{
    enum { kLeft = 1, kTop = 3, kTopLeft = 4, kTopRight = 5, kBottomLeft = 7 };

    if (minWidth > Wrap(int64_t{proposed.right} - proposed.left)) {
        if (edge == kLeft || edge == kTopLeft || edge == kBottomLeft) {
            proposed.left = Wrap(int64_t{proposed.right} - minWidth);
        } else {
            proposed.right = Wrap(int64_t{proposed.left} + minWidth);
        }
    }
    if (minHeight > Wrap(int64_t{proposed.bottom} - proposed.top)) {
        if (edge == kTop || edge == kTopLeft || edge == kTopRight) {
            proposed.top = Wrap(int64_t{proposed.bottom} - minHeight);
        } else {
            proposed.bottom = Wrap(int64_t{proposed.top} + minHeight);
        }
    }
}
