// One line of the curve list: a table file and two of its columns, with an optional operation.
#pragma once

namespace talvor {

struct CurveLine {
    char fileName[256] = ""; // first part (up to the first ".") followed by the second part
    char xName[20] = "";
    char yName[20] = "";
    char operation = ' ';
};

// Scans a line as "%100[^.\n]%100s%19s%19s %c" would and returns the number of items read: -1
// for an empty line, otherwise 0 to 5, counting the two parts of the file name as two items
// (the scan stops at the first item it cannot read). Items not read are left empty; the
// operation stays blank unless a fifth item was read.
int ScanCurveLine(const char* line, CurveLine& out);

} // namespace talvor
