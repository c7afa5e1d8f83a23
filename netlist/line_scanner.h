// Field-by-field scanning of one netlist line with the C scanf rules: white space between
// fields, text fields of at most 10 characters, and a scan that stops at the first bad field.
#pragma once

#include <cstddef>

namespace talvor {

inline constexpr int FieldWidth = 10;
using Field = char[FieldWidth + 1];

class LineScanner {
public:
    explicit LineScanner(const char* text) : cursor_(text) {}

    // A word of at most 10 characters after white space; a longer word is split, its rest being
    // the next field. The field is left as it was when the scan fails.
    bool Text(Field& field);
    // A plain decimal number after white space; a letter ends it (1k reads as 1).
    bool Number(double& value);
    // An optionally signed integer after white space; clamped to the int range.
    bool Integer(int& value);
    // One or more characters of set, with no white space skipped first (a "%[...]" scan set).
    // The whole run is consumed; as much of it as fits is copied into run (always terminated).
    bool Run(const char* set, char* run, size_t capacity);

    // Fields converted so far.
    int Converted() const { return converted_; }

private:
    bool Count(bool converted);

    const char* cursor_;
    int converted_ = 0;
    bool stopped_ = false;
};

} // namespace talvor
