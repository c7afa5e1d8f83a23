// The result table: number formatting, the row of one point and the file writer.
#include "analysis/result_table.h"

#include <charconv>
#include <cmath>

#include "analysis/mna_system.h"

namespace talvor {

size_t FormatG(char* out, double v)
{
    // The general format with precision 6 is "%g" without the cost of parsing a format and
    // consulting the locale.
    std::to_chars_result result =
        std::to_chars(out, out + FormattedNumberCapacity, v, std::chars_format::general, 6);
    return static_cast<size_t>(result.ptr - out);
}

double TableMagnitude(double re, double im, const TableUnits& units)
{
    double m = std::hypot(re, im);
    if (units.decibels) {
        if (m < 1e-50)
            m = 1e-50; // so an exact zero reads -1000 dB
        static const double decibelsPerNeper = 20 / std::log(10.0);
        m = std::log(m) * decibelsPerNeper;
    }
    return m;
}

double TablePhase(double re, double im, const TableUnits& units)
{
    if (re == 0 && im == 0)
        return 0;
    double p = std::atan2(im, re);
    if (units.degrees)
        p *= 57.29577951308232;
    return p;
}

void FormatRow(RowText& row, double f, const MnaSystem& mna, int n, const TableUnits& units)
{
    char* out = row.text;
    out += FormatG(out, f);
    for (int k = 1; k <= n; ++k) {
        Complex z = mna.Solution(k);
        *out++ = ' ';
        out += FormatG(out, TableMagnitude(z.re, z.im, units));
        *out++ = ' ';
        out += FormatG(out, TablePhase(z.re, z.im, units));
    }
    *out++ = '\n';
    row.length = static_cast<size_t>(out - row.text);
}

bool ResultTable::Create(const std::string& path)
{
    Close();
    failed_ = false;
    file_ = std::fopen(path.c_str(), "w");
    if (file_ == nullptr)
        return false;
    std::setvbuf(file_, buffer_, _IOFBF, BufferSize);
    return true;
}

void ResultTable::WriteHeader(const NodeTable& names, int n)
{
    if (std::fputs("f ", file_) < 0)
        failed_ = true;
    for (int k = 1; k <= n; ++k)
        if (std::fprintf(file_, "%sm %sf ", names[k], names[k]) < 0)
            failed_ = true;
    if (std::fputc('\n', file_) == EOF)
        failed_ = true;
}

void ResultTable::WriteRow(const RowText& row)
{
    if (std::fwrite(row.text, 1, row.length, file_) != row.length)
        failed_ = true;
}

bool ResultTable::Close()
{
    if (file_ == nullptr)
        return true;
    bool ok = !failed_ && std::ferror(file_) == 0;
    if (std::fclose(file_) != 0)
        ok = false;
    file_ = nullptr;
    return ok;
}

} // namespace talvor
