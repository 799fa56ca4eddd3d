#pragma once
// A colour as the station's tables give it: red, green and blue, 0 to 255.
// The core computes colours without knowing the window system; the windows
// turn them into their own colour type (forms::Colour).

#include <cstdint>

namespace basic {

struct Rgb {
    uint8_t red = 0, green = 0, blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

} // namespace basic
