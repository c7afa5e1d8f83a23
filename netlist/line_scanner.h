// Field-by-field scanning of one netlist line with the C scanf rules: white space between
// fields, text fields of at most 10 characters, and a scan that stops at the first bad field.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace talvor {

inline constexpr int FieldWidth = 10;
using Field = char[FieldWidth + 1];

// A number that letters or a decimal comma follow without a blank ("1k", "10n", "1e3x", "1,5"):
// the scan took the number and went no further into the field.
struct GluedNumber {
    std::string_view field;         // as written, up to the next blank
    size_t numberLength = 0;        // the part read as the number
    double value = 0;               // as read
    bool laterFieldsUnread = false; // the line goes on, but the scan stopped at the field's rest
};

// The number at the start of a word (a field read as text) when letters or a comma follow it.
std::optional<GluedNumber> GluedNumberIn(std::string_view word);

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
    // The rest of the line, from where the scan stands.
    const char* Rest() const { return cursor_; }
    // The first number read whose field went on without a blank.
    std::optional<GluedNumber> FirstGlued() const;

private:
    bool Count(bool converted);
    void NoteGlued(const char* start, double value);

    const char* cursor_;
    int converted_ = 0;
    bool stopped_ = false;
    std::optional<GluedNumber> glued_;
};

} // namespace talvor
