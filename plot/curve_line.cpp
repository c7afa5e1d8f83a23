// The curve-line scan, written out so that every field stays within its buffer.
#include "plot/curve_line.h"

#include <cstddef>

namespace talvor {

namespace {

bool IsScanSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

void SkipSpace(const char*& text)
{
    while (IsScanSpace(*text))
        ++text;
}

// "%Ns": after white space, up to width non-blank characters appended at to. False when the text
// ends before the word.
bool ScanWord(const char*& text, int width, char* to)
{
    SkipSpace(text);
    if (*text == '\0')
        return false;
    int n = 0;
    while (n < width && *text != '\0' && !IsScanSpace(*text))
        to[n++] = *text++;
    to[n] = '\0';
    return true;
}

// The legend after an opening quote: up to the closing quote or the line's end, cut to fit.
void ScanLegend(const char* text, char (&legend)[64])
{
    size_t n = 0;
    for (++text; *text != '\0' && *text != '"' && *text != '\n'; ++text)
        if (n + 1 < sizeof legend)
            legend[n++] = *text;
    legend[n] = '\0';
}

} // namespace

int ScanCurveLine(const char* text, CurveLine& out)
{
    out = CurveLine{};
    if (*text == '\0')
        return -1;
    // "%100[^.\n]": at least one character other than "." and a line end, no blank skipping.
    int n = 0;
    while (n < 100 && text[n] != '\0' && text[n] != '.' && text[n] != '\n') {
        out.fileName[n] = text[n];
        ++n;
    }
    if (n == 0)
        return 0;
    out.fileName[n] = '\0';
    text += n;
    if (!ScanWord(text, 100, out.fileName + n))
        return 1;
    if (!ScanWord(text, 19, out.xName))
        return 2;
    if (!ScanWord(text, 19, out.yName))
        return 3;
    SkipSpace(text);
    if (*text == '"') {
        ScanLegend(text, out.legend);
        return 4;
    }
    if (*text == '\0')
        return 4;
    out.operation = *text++;
    SkipSpace(text);
    if (*text == '"')
        ScanLegend(text, out.legend);
    return 5;
}

} // namespace talvor
