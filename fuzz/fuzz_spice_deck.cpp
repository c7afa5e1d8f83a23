// Fuzz target: any bytes as a SPICE deck. The converter must end in a netlist or a refusal with
// short, valid UTF-8 messages, and a netlist it converts must be read by Talvor's own reader
// with the counts the converter reported.
#include <cstdlib>
#include <memory>
#include <string_view>

#include "fuzz_support.h"
#include "netlist/netlist_reader.h"
#include "spice/converter.h"

using namespace talvor;

namespace {

void CheckMessage(const std::string& message)
{
    if (message.empty() || message.size() >= MessageLog::LineBufferSize || !IsValidUtf8(message))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    static const std::string path = ScratchDir() + "/converted.net";
    static auto circuit = std::make_unique<Circuit>();
    Conversion conversion =
        ConvertDeck(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.cir");
    for (const std::string& warning : conversion.warnings)
        CheckMessage(warning);
    if (!conversion.converted) {
        CheckMessage(conversion.refusal);
        return 0;
    }
    WriteScratchFile(path, reinterpret_cast<const unsigned char*>(conversion.netlist.data()),
                     conversion.netlist.size());
    CheckingSink sink(true);
    MessageLog log(sink);
    if (!ReadNetlist(*circuit, log, path, false) ||
        circuit->elementCount != conversion.elementCount ||
        circuit->nodeCount != conversion.nodeCount ||
        circuit->variableCount != conversion.variableCount)
        std::abort();
    return 0;
}
