// The program's only report channel: printf-style lines handed to a sink.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace talvor {

// Receives finished lines, one call per line, without a line end.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void WriteLine(std::string_view line) = 0;
};

class MessageLog {
public:
    static constexpr int LineBufferSize = 5000;

    explicit MessageLog(MessageSink& sink) : sink_(&sink) {}

    // Formats into the fixed line buffer (at most 4999 bytes) and hands one line to the sink.
    // A trailing line end (from an echoed file line) is kept in the text as written.
    void AppendLog(const char* format, ...) __attribute__((format(printf, 2, 3)));

    MessageSink& Sink() const { return *sink_; }

private:
    MessageSink* sink_;
    char buffer_[LineBufferSize];
};

// Keeps every line; for tests.
class RecordingSink : public MessageSink {
public:
    void WriteLine(std::string_view line) override { lines.emplace_back(line); }
    std::vector<std::string> lines;
};

// Prints each line followed by a newline; for the programs without windows.
class StdoutSink : public MessageSink {
public:
    explicit StdoutSink(std::FILE* out = stdout) : out_(out) {}
    void WriteLine(std::string_view line) override;

private:
    std::FILE* out_;
};

} // namespace talvor
