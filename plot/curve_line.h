// One line of the curve list: a table file and two of its columns, with an optional operation and
// an optional legend in double quotes.
#pragma once

namespace talvor {

struct CurveLine {
    char fileName[256] = ""; // first part (up to the first ".") followed by the second part
    char xName[20] = "";
    char yName[20] = "";
    char operation = ' ';
    char legend[64] = ""; // the text between the quotes, when the line ends with one
};

// Scans a line as "%100[^.\n]%100s%19s%19s %c" would and returns the number of items read: -1
// for an empty line, otherwise 0 to 5, counting the two parts of the file name as two items
// (the scan stops at the first item it cannot read). Items not read are left empty; the
// operation stays blank unless a fifth item was read.
//
// After the columns (and the operation, if any) a text in double quotes is the curve's legend,
// "exemplo_2.tab f 2m \"R1 = 2200\"", not an operation nor an item; a missing closing quote
// ends the legend at the line's end, and a legend is cut at 63 bytes.
int ScanCurveLine(const char* line, CurveLine& out);

} // namespace talvor
