#include "common/message_log.h"

#include <cstdarg>

#include "common/c_text.h"

namespace talvor {

void MessageLog::AppendLog(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int length = std::vsnprintf(buffer_, sizeof buffer_, format, args);
    va_end(args);
    if (length < 0)
        length = 0; // a conversion that failed: an empty line
    // Cut to the buffer, never in the middle of a UTF-8 sequence. The sink takes a view of
    // length bytes, so no terminator is needed.
    if (length >= LineBufferSize)
        length = static_cast<int>(Utf8PrefixLength(buffer_, LineBufferSize - 1));
    sink_->WriteLine(std::string_view(buffer_, static_cast<size_t>(length)));
}

void StdoutSink::WriteLine(std::string_view line)
{
    std::fwrite(line.data(), 1, line.size(), out_);
    if (line.empty() || line.back() != '\n')
        std::fputc('\n', out_);
}

} // namespace talvor
