// Whether a curve's colour can be told from the background: the contrast ratio of their relative
// luminances (sRGB), and a nearby colour that can when it cannot.
#pragma once

#include <cstdint>

namespace talvor {

// A line or a label in a colour below this contrast with the background is hard to see: pure
// blue on black is 2.44, maroon on black 1.92, silver on white 1.82, yellow on white 1.07.
constexpr double MinimumContrast = 2.5;

// (lighter luminance + 0.05) / (darker luminance + 0.05), from 1 (equal) to 21 (black and white).
double ContrastRatio(uint32_t rgb, uint32_t otherRgb);

bool TooCloseToBackground(uint32_t rgb, uint32_t background);

// Below this a colour does not show on the background at all: white on white, cream or yellow on
// white after "i". Every colour of the default palette stays above it on black (navy: 1.31).
constexpr double InvisibleContrast = 1.3;

// The colour a curve and its legend are drawn in: their own, or LegibleColour's when it shows
// too little; too little is below MinimumContrast with numbered divisions, below
// InvisibleContrast without.
uint32_t DrawnColour(uint32_t colour, uint32_t background, bool numbered);

// colour itself when it shows on background; otherwise colour mixed towards black (on a light
// background) or towards 254-grey white (on a dark one), in the smallest of sixteen steps that
// brings the contrast up to MinimumContrast. Channels stay within 0 to 254 when colour's do.
uint32_t LegibleColour(uint32_t colour, uint32_t background);

} // namespace talvor
