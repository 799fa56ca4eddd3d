#pragma once
// Window layouts are given in twips; the screen has 15 twips to a pixel.

#include "platform/basic/numbers.h"

namespace basic {

constexpr int kTwipsPerPixel = 15;

inline int TwipsToPixels(double twips)
{
    return static_cast<int>(RoundHalfEven(twips / kTwipsPerPixel));
}

} // namespace basic
