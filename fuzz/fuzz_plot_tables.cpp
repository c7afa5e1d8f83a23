// Fuzz target: curve lines and the table they name, then the drawing geometry of every point.
// Input: one options byte, the curve lines, a line "%%", and the bytes of the table file T.tab
// (the curve lines may name it, or any other file, which then does not exist).
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "plot/curve_line.h"
#include "plot/curve_store.h"
#include "plot/graph_geometry.h"
#include "plot/plot_run.h"

using namespace talvor;

namespace {

void ChooseOptions(PlotOptions& options, unsigned char bits)
{
    options = PlotOptions{};
    options.CBnomes = !(bits & 1);
    options.CBfase = !(bits & 2);
    options.CBescalas = bits & 4;
    options.CBauto = bits & 8;
    options.RGescala = (bits >> 4) & 3;
    const char* limits[][4] = {{"0", "1", "-1", "1"},
                               {"1e-300", "1e300", "-1e308", "1e308"},
                               {"5", "5", "x", ""},
                               {"nan", "inf", "-inf", "1e-320"}};
    const char* const* chosen = limits[(bits >> 6) & 3];
    options.Exmin = chosen[0], options.Exmax = chosen[1];
    options.Eymin = chosen[2], options.Eymax = chosen[3];
}

// What the painter does with the store, without Qt: transforms, positions, pixels, grid lines.
void MapEveryPoint(CurveStore& store, bool eachOwnScale)
{
    const PlotArea area = PlotAreaFor(761, 471);
    ComputeTransforms(store, eachOwnScale, area);
    store.PreparePositions();
    for (int k = 1; k <= store.curveCount; ++k) {
        const Curve& c = store.curves[k];
        const double* px = store.positions.lnX ? store.positions.x[k].data() : c.x.data();
        const double* py = store.positions.y[k].data();
        for (int i = 0; i < c.pointCount; ++i) {
            int column = 0, row = 0;
            MapToPixel(px[i], c.scaleX, c.offsetX, column);
            MapToPixel(py[i], c.isPhase ? store.phaseScale : c.scaleY,
                       c.isPhase ? store.phaseOffset : c.offsetY, row);
        }
    }
    if (store.curveCount >= 1) {
        const Curve& first = store.curves[1];
        GridColour colour = GridColour::Gray;
        ForEachGridLine(store.viewXMin, store.viewXMax, store.logX, first.scaleX, first.offsetX,
                        colour, [](int, GridColour) {});
        ForEachGridLine(store.viewYMin, store.viewYMax, store.logY, first.scaleY, first.offsetY,
                        colour, [](int, GridColour) {});
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    if (chdir(ScratchDir().c_str()) != 0)
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    static CurveStore store;
    if (size < 1)
        return 0;
    PlotOptions options;
    ChooseOptions(options, data[0]);
    std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    size_t separator = text.find("\n%%\n");
    std::string lines = text.substr(0, separator);
    std::string table = separator == std::string::npos ? "" : text.substr(separator + 4);
    WriteScratchFile("T.tab", reinterpret_cast<const unsigned char*>(table.data()), table.size());

    std::vector<std::string> curveLines;
    for (size_t start = 0; start <= lines.size();) {
        size_t end = lines.find('\n', start);
        if (end == std::string::npos)
            end = lines.size();
        curveLines.push_back(lines.substr(start, end - start));
        start = end + 1;
    }
    CheckingSink sink(true);
    MessageLog log(sink);
    store.SetDefaultPalette();
    if (RunPlot(store, curveLines, options, log))
        MapEveryPoint(store, options.CBauto);
    return 0;
}
