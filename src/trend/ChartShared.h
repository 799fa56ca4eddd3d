#pragma once
// Chart settings shared by both chart windows and the curve dialog.

#include <array>
#include <cstdint>

// Which series the real-time chart draws: 0 PV, 1 OP, 2 SV, 3 PV1, 4 PV2,
// 5 SV1, 6 SV2 (the rest unused).
inline std::array<bool, 25> CurveSel{};

// The charts' vertical range; YSpan is 1500 from start-up, YMax is kept but
// never read.
inline int16_t YSpan = 0;
inline int16_t YMin = 0;
inline int16_t YMax = 0;
