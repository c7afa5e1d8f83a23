// Helpers of the end-to-end tests of the programs: running talvor-cli, reading the tables it
// writes, and comparing line lists with a readable difference.
#pragma once

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "test_support.h"

namespace talvor {

// talvor and talvor-plot are built only with TALVOR_BUILD_GUI; without them their tests skip.
constexpr bool GuiProgramsBuilt = TALVOR_GUI_BUILT;

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Put in front of every command that runs a built program: a file it writes may grow to 10 MB
// (ulimit -f counts 512-byte blocks in /bin/sh), so a program that runs away writing is stopped
// by SIGXFSZ long before it fills the disk, and its test fails.
inline constexpr const char* FileSizeCap = "ulimit -f 20480 && ";

// Runs a built program of app/ with arguments (split by the shell) in dir, with optional
// environment assignments in front ("TALVOR_THREADS=1").
inline CliRun RunProgram(const std::string& program, const std::string& arguments,
                         const std::string& dir, const std::string& environment = "")
{
    const std::string out = dir + "/" + program + ".out", err = dir + "/" + program + ".err";
    std::string command = "cd '" + dir + "' && " + FileSizeCap + environment +
                          " '" TALVOR_BINARY_DIR "/app/" + program + "' " + arguments + " >'" +
                          out + "' 2>'" + err + "'";
    int status = std::system(command.c_str());
    CliRun run;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadWholeFile(out);
    run.err = ReadWholeFile(err);
    return run;
}

inline CliRun RunCli(const std::string& arguments, const std::string& dir,
                     const std::string& environment = "")
{
    return RunProgram("talvor-cli", arguments, dir, environment);
}

inline void CopyInto(const std::string& file, const std::string& dir)
{
    std::filesystem::copy_file(file, dir + "/" + std::filesystem::path(file).filename().string(),
                               std::filesystem::copy_options::overwrite_existing);
}

// Compares two line lists and reports the first difference with its neighbourhood.
inline void ExpectSameLines(const std::vector<std::string>& actual,
                            const std::vector<std::string>& expected, const std::string& what)
{
    size_t common = actual.size() < expected.size() ? actual.size() : expected.size();
    size_t first = 0;
    while (first < common && actual[first] == expected[first])
        ++first;
    if (first == common && actual.size() == expected.size())
        return;
    std::ostringstream diff;
    diff << what << ": first difference at line " << first + 1 << " (" << actual.size()
         << " lines written, " << expected.size() << " expected)\n";
    size_t from = first >= 2 ? first - 2 : 0;
    for (size_t k = from; k < first; ++k)
        diff << "  " << expected[k] << "\n";
    for (size_t k = first; k < first + 3 && k < expected.size(); ++k)
        diff << "- " << expected[k] << "\n";
    for (size_t k = first; k < first + 3 && k < actual.size(); ++k)
        diff << "+ " << actual[k] << "\n";
    ADD_FAILURE() << diff.str();
}

// Whether the lines hold the wanted lines in this order (other lines between them allowed).
inline bool ContainsInOrder(const std::vector<std::string>& lines,
                            const std::vector<std::string>& wanted)
{
    size_t next = 0;
    for (const std::string& line : lines)
        if (next < wanted.size() && line == wanted[next])
            ++next;
    return next == wanted.size();
}

// A result table: the header's names and the rows' fields, as text.
struct Table {
    std::vector<std::string> names;
    std::vector<std::vector<std::string>> rows;

    std::vector<std::string> Column(size_t k) const
    {
        std::vector<std::string> column;
        for (const auto& row : rows)
            column.push_back(k < row.size() ? row[k] : "");
        return column;
    }
    // The column of a name from the header, -1 when there is none.
    int Find(const std::string& name) const
    {
        for (size_t k = 0; k < names.size(); ++k)
            if (names[k] == name)
                return static_cast<int>(k);
        return -1;
    }
};

inline std::vector<std::string> SplitFields(const std::string& line)
{
    std::vector<std::string> fields;
    std::istringstream in(line);
    std::string field;
    while (in >> field)
        fields.push_back(field);
    return fields;
}

// The rows of a catalogue of tab-separated fields, without blank lines and "#" comments; a row
// with another number of fields than fieldCount is a failure of the test, and left out.
inline std::vector<std::vector<std::string>> ReadCatalogueRows(const std::string& path,
                                                               size_t fieldCount)
{
    std::vector<std::vector<std::string>> rows;
    for (const std::string& line : SplitLines(ReadWholeFile(path))) {
        if (line.empty() || line[0] == '#')
            continue;
        std::vector<std::string> fields;
        std::istringstream in(line);
        for (std::string field; std::getline(in, field, '\t');)
            fields.push_back(field);
        if (fields.size() == fieldCount)
            rows.push_back(std::move(fields));
        else
            ADD_FAILURE() << path << ": a line without " << fieldCount << " fields: " << line;
    }
    return rows;
}

inline Table ReadTable(const std::string& path)
{
    Table table;
    std::vector<std::string> lines = SplitLines(ReadWholeFile(path));
    for (size_t k = 0; k < lines.size(); ++k) {
        if (k == 0)
            table.names = SplitFields(lines[k]);
        else
            table.rows.push_back(SplitFields(lines[k]));
    }
    return table;
}

} // namespace talvor
