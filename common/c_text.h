// Text helpers shared by every layer: C-style number scanning and the display of file bytes.
#pragma once

#include <cstddef>
#include <string_view>

namespace talvor {

// Scans a plain decimal number (optional sign, digits with an optional point, optional exponent)
// at text, after leading white space, as the "%lg" fields of the file formats do but without the
// words "inf", "nan" or hexadecimal forms. On success stores the value, advances text past the
// number and returns true; otherwise leaves both unchanged. A letter right after the digits ends
// the number (1k reads as 1).
bool ScanDecimal(const char*& text, double& value);

// The dialog's conversion: the longest leading number of the text, 0 when there is none.
double DecimalPrefix(std::string_view text);

// The integer conversion of the fields that hold counts: leading sign and digits, 0 when there
// are none; values beyond the int range are clamped.
int IntegerPrefix(std::string_view text);

// The power of ten that the letters after a SPICE number stand for (f p n u m k meg g t, any
// case: M is milli, MEG mega; letters after the scale do not count, as in 10uF); 0 for letters
// that are no scale, and for "mil", which is no power of ten.
int SpiceScaleExponent(std::string_view letters);

bool IsValidUtf8(std::string_view bytes);

// Length of the longest prefix of at most maxLength bytes that does not cut a UTF-8 sequence.
size_t Utf8PrefixLength(const char* text, size_t maxLength);

// Bytes from a file shown as UTF-8: unchanged when they are valid UTF-8, else read as Latin-1.
// Holds at most Capacity - 1 bytes of output; a longer text is cut at a character boundary.
class DisplayText {
public:
    static constexpr size_t Capacity = 4096;
    explicit DisplayText(std::string_view bytes);
    const char* c_str() const { return text_; }

private:
    char text_[Capacity];
};

} // namespace talvor
