// Fuzz target: any bytes as a netlist, read and analysed from the operating point to the result
// table, with the engine's iterations and sweep points capped by TALVOR_FUZZ_LIMITS. The last
// byte of the input chooses the options, so mutations reach every setting.
#include <cstdlib>
#include <memory>

#include "analysis/analysis.h"
#include "analysis/analysis_host.h"
#include "analysis/analysis_settings.h"
#include "analysis/run_analysis.h"
#include "fuzz_support.h"

using namespace talvor;

namespace {

void ChooseSettings(AnalysisSettings& s, unsigned char bits)
{
    s = AnalysisSettings{};
    s.CBconduz = bits & 1;
    s.CBdiodos = bits & 2;
    s.CBcdiodos = !(bits & 4);
    s.CBHz = !(bits & 8);
    s.CBdB = bits & 16;
    s.CBgraus = !(bits & 32);
    s.CBignorar = bits & 64;
    s.CBcmos = s.CBcgb = !(bits & 128);
    // The traces are long; they are fuzzed on short inputs only.
    s.CBestampas = s.CBresultados = (bits & 3) == 3;
    const char* sweeps[] = {"1000", "1", "0", "-5"};
    s.Epontos = sweeps[(bits >> 2) & 3];
    s.RGescala = (bits >> 4) % 3;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    setenv("TALVOR_THREADS", "1", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    static const std::string path = ScratchDir() + "/analysis.net";
    static HeadlessHost host;
    static CheckingSink sink(true);
    static MessageLog log(sink);
    static auto analysis = std::make_unique<Analysis>(log, host);
    if (size > 20000)
        return 0;
    ChooseSettings(host.settings, size > 0 ? data[size - 1] : 0);
    if (size > 2000)
        host.settings.CBestampas = host.settings.CBresultados = false;
    WriteScratchFile(path, data, size);
    RunAnalysis(*analysis, path);
    return 0;
}
