// Helpers shared by the tests: temporary files and whole-file reads.
#pragma once

#include <string>
#include <vector>

namespace talvor {

// A fresh directory under the system's temporary directory, removed with its contents at the
// end of the scope.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    // Writes bytes to name inside the directory and returns the full path.
    std::string Write(const std::string& name, const std::string& bytes) const;

private:
    std::string path_;
};

std::string ReadWholeFile(const std::string& path);

// Lines recorded from a log: whether they hold a line, or one that starts with a text; and all
// of them, one a line, for a failure's message.
bool HasLine(const std::vector<std::string>& lines, const std::string& line);
bool HasLineStartingWith(const std::vector<std::string>& lines, const std::string& start);
std::string JoinLines(const std::vector<std::string>& lines);
std::vector<std::string> SplitLines(const std::string& text);
// A netlist's element lines: neither the title, nor comments, nor commands.
std::vector<std::string> Elements(const std::string& netlist);
// How many files the process has open now (the entries of /proc/self/fd).
size_t OpenFileCount();

// The names of a folder's entries, sorted.
std::vector<std::string> FolderListing(const std::string& dir);

} // namespace talvor
