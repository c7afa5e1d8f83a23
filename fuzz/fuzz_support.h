// What the fuzz targets share: a private scratch folder for the files they read and write, and a
// log sink that checks every line the program writes.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/c_text.h"
#include "common/message_log.h"

namespace talvor {

// A folder of this process under /dev/shm (or /tmp), made once; the targets work inside it.
inline const std::string& ScratchDir()
{
    static const std::string dir = [] {
        const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string path = std::string(base) + "/talvor-fuzz-" + std::to_string(getpid());
        std::string command = "mkdir -p '" + path + "'";
        if (std::system(command.c_str()) != 0)
            std::abort();
        return path;
    }();
    return dir;
}

// Replaces the file at path with the bytes.
inline void WriteScratchFile(const std::string& path, const unsigned char* data, size_t size)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size)
        std::abort();
    std::fclose(file);
}

// Every log line must fit the line buffer; with utf8 set it must also be valid UTF-8 (file
// bytes are shown as UTF-8 or Latin-1, never as broken sequences).
class CheckingSink : public MessageSink {
public:
    explicit CheckingSink(bool utf8) : utf8_(utf8) {}
    void WriteLine(std::string_view line) override
    {
        if (line.size() >= MessageLog::LineBufferSize)
            std::abort();
        if (utf8_ && !IsValidUtf8(line))
            std::abort();
        ++lines;
    }
    long lines = 0;

private:
    bool utf8_;
};

} // namespace talvor
