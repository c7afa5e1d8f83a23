// Numbers typed by a user into a dialog's field or given to an option: a decimal comma reads as
// the point, and a text that is not one number alone is named in the log with the value used.
#pragma once

#include <string>
#include <string_view>

namespace talvor {

class MessageLog;

// What a field's text held.
enum class FieldFit {
    Number,    // one number and nothing else (blanks around it allowed)
    NoNumber,  // no number at all: the field's fallback value is used
    TextAfter, // a number followed by other text, which is ignored
};

struct FieldNumber {
    double value = 0;
    FieldFit fit = FieldFit::NoNumber;
};

// The text with the decimal comma of its leading number turned into a point ("0,1" gives "0.1",
// " -2,5e3" gives " -2.5e3"); any other text comes back unchanged.
std::string WithDecimalPoint(std::string_view text);

// The dialog's conversion (the longest leading number, 0 when there is none), with a decimal
// comma read as the point. A text with a point reads exactly as DecimalPrefix reads it.
FieldNumber ReadDecimalField(std::string_view text);

// The conversion of the fields that hold counts (IntegerPrefix's value); "1e3" and "1,5" hold
// text after the number 1.
FieldNumber ReadIntegerField(std::string_view text);

// Whether text from position 'end' on holds only blanks.
FieldFit FitAfter(std::string_view text, size_t end);

// Where a field is in the program: the label of its control and, for talvor-cli and talvor-plot,
// the option that fills it.
struct FieldWords {
    const char* label;
    const char* option;
};

// One log line for a text that is not one number alone, naming the field, quoting the text and
// giving the value used; nothing for a number alone.
void ReportField(MessageLog& log, const FieldWords& words, std::string_view text,
                 const FieldNumber& reading);

// The field's value at its moment of use, reported as ReportField does.
double ReadReportedDecimal(MessageLog& log, const FieldWords& words, std::string_view text);

} // namespace talvor
