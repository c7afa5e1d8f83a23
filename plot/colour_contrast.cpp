// Contrast of curve colours against the background.
#include "plot/colour_contrast.h"

#include <cmath>
#include <initializer_list>

namespace talvor {

namespace {

double Channel(uint32_t rgb, int shift) { return ((rgb >> shift) & 0xFF) / 255.0; }

double Linear(double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); }

double Luminance(uint32_t rgb)
{
    return 0.2126 * Linear(Channel(rgb, 16)) + 0.7152 * Linear(Channel(rgb, 8)) +
           0.0722 * Linear(Channel(rgb, 0));
}

uint32_t Mix(uint32_t from, uint32_t to, int sixteenths)
{
    uint32_t mixed = 0;
    for (int shift : {0, 8, 16}) {
        const int a = static_cast<int>((from >> shift) & 0xFF),
                  b = static_cast<int>((to >> shift) & 0xFF);
        mixed |= static_cast<uint32_t>(a + (b - a) * sixteenths / 16) << shift;
    }
    return mixed;
}

} // namespace

double ContrastRatio(uint32_t rgb, uint32_t otherRgb)
{
    const double a = Luminance(rgb), b = Luminance(otherRgb);
    return (std::fmax(a, b) + 0.05) / (std::fmin(a, b) + 0.05);
}

bool TooCloseToBackground(uint32_t rgb, uint32_t background)
{
    return ContrastRatio(rgb, background) < MinimumContrast;
}

uint32_t LegibleColour(uint32_t colour, uint32_t background)
{
    colour &= 0xFFFFFF;
    if (!TooCloseToBackground(colour, background))
        return colour;
    // Towards the end of the scale the background is farther from.
    const uint32_t target = Luminance(background) > 0.18 ? 0x000000 : 0xFEFEFE;
    for (int step = 1; step < 16; ++step) {
        const uint32_t mixed = Mix(colour, target, step);
        if (!TooCloseToBackground(mixed, background))
            return mixed;
    }
    return target;
}

uint32_t DrawnColour(uint32_t colour, uint32_t background, bool numbered)
{
    const double least = numbered ? MinimumContrast : InvisibleContrast;
    return ContrastRatio(colour, background) < least ? LegibleColour(colour, background)
                                                     : colour & 0xFFFFFF;
}

} // namespace talvor
