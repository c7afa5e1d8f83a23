// The result table (".tab"): a header of column names, then one text row per frequency point with
// the magnitude and phase of every unknown.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

#include "netlist/circuit.h"

namespace talvor {

class MnaSystem;

// Writes v as "%g" does (six significant digits, shortest form) at out; returns the length.
// out must hold at least FormattedNumberCapacity bytes.
inline constexpr size_t FormattedNumberCapacity = 16;
size_t FormatG(char* out, double v);

// The units of the table, read from the settings once per sweep.
struct TableUnits {
    bool decibels = false;
    bool degrees = true;
};

// The longest row: the frequency and two numbers per unknown, each at most 13 characters plus a
// blank, and the line end.
inline constexpr size_t RowCapacity = (2 * MaxVariables + 1) * (FormattedNumberCapacity + 1) + 2;

// One row's text, built by FormatRow and written by ResultTable::WriteRow.
struct RowText {
    size_t length = 0;
    char text[RowCapacity];
};

// The magnitude (linear or dB, with the 1e-50 floor) and phase (0 for an exact zero, degrees or
// radians) of one unknown as the table writes them.
double TableMagnitude(double re, double im, const TableUnits& units);
double TablePhase(double re, double im, const TableUnits& units);

// The row of the point at sweep value f, from the n unknowns of the solved system.
void FormatRow(RowText& row, double f, const MnaSystem& mna, int n, const TableUnits& units);

class ResultTable {
public:
    ResultTable() = default;
    ~ResultTable() { Close(); }
    ResultTable(const ResultTable&) = delete;
    ResultTable& operator=(const ResultTable&) = delete;

    // Creates (truncates) the file; false when it cannot be created.
    bool Create(const std::string& path);
    // "f " and then "<name>m <name>f " for every unknown 1..n, and the line end.
    void WriteHeader(const NodeTable& names, int n);
    void WriteRow(const RowText& row);
    // Closes the file; false when any write or the close failed.
    bool Close();

private:
    static constexpr size_t BufferSize = 1 << 16; // about fifty rows of fifty unknowns a write
    std::FILE* file_ = nullptr;
    bool failed_ = false;
    char buffer_[BufferSize];
};

} // namespace talvor
