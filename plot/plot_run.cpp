// The Plot run: curve lines, then tables, then ranges and the limits exchange.
#include "plot/plot_run.h"

#include <cmath>
#include <cstdio>

#include "common/c_text.h"
#include "common/field_numbers.h"
#include "common/message_log.h"
#include "plot/curve_line.h"
#include "plot/curve_store.h"
#include "plot/table_reader.h"

namespace talvor {

namespace {

// A phase column's name is longer than one character and ends in "f" ("1f", not the frequency "f").
bool IsPhaseName(const char* name)
{
    size_t length = std::char_traits<char>::length(name);
    return length > 1 && name[length - 1] == 'f';
}

// Accepts the curve lines into the store. False when the run is abandoned.
bool ReadCurveLines(CurveStore& store, const std::vector<std::string>& lines, bool phaseOption,
                    MessageLog& log)
{
    int nonCommentLines = 0;
    for (const std::string& line : lines) {
        if (!line.empty() && line[0] == '*')
            continue;
        // Counted before the scan: a 21st line ends the run even if it would be refused.
        if (nonCommentLines == MaxCurves) {
            log.AppendLog("Excedido o número máximo de curvas: %d.", MaxCurves);
            return false;
        }
        ++nonCommentLines;
        CurveLine scanned;
        int items = ScanCurveLine(line.c_str(), scanned);
        log.AppendLog("Lidos %d valores", items);
        if (items < 4) {
            log.AppendLog("Comando ignorado:[%s].", DisplayText(line).c_str());
            continue;
        }
        int k = store.addCurve(scanned.fileName, scanned.xName, scanned.yName, scanned.operation,
                               scanned.legend);
        const Curve& curve = store.curves[k];
        log.AppendLog("Tabela %d: Arquivo: %s; Col1: %s; Col2: %s", k,
                      DisplayText(curve.fileName).c_str(), DisplayText(curve.xName).c_str(),
                      DisplayText(curve.yName).c_str());
        store.curves[k].isPhase = phaseOption && IsPhaseName(curve.yName);
        if (curve.isPhase) {
            log.AppendLog("A coluna 2 da tabela %d é de fase.", k);
            store.anyPhase = true;
        }
    }
    return true;
}

// A limit field as "%lg" reads it, a decimal comma read as the point. A text that holds no finite
// number leaves the limit as it was: "inf" and "nan" scan as numbers but give no axis.
FieldNumber ScanLimit(const std::string& text, double& limit)
{
    const std::string fixed = WithDecimalPoint(text);
    double value;
    int end = 0;
    if (std::sscanf(fixed.c_str(), "%lg%n", &value, &end) != 1 || !std::isfinite(value))
        return {limit, FieldFit::NoNumber};
    limit = value;
    return {value, FitAfter(fixed, static_cast<size_t>(end))};
}

void ReadLimitField(const std::string& text, double& limit, const FieldWords& words,
                    MessageLog* log)
{
    const FieldNumber reading = ScanLimit(text, limit);
    if (log != nullptr)
        ReportField(*log, words, text, reading);
}

std::string FormatLimit(double limit)
{
    char text[64];
    std::snprintf(text, sizeof text, "%lg", limit);
    return text;
}

} // namespace

void ReadLimitFields(CurveStore& store, const PlotOptions& fields, MessageLog* log)
{
    ReadLimitField(fields.Exmin, store.viewXMin, {"Xmin", "--limits"}, log);
    ReadLimitField(fields.Exmax, store.viewXMax, {"Xmax", "--limits"}, log);
    ReadLimitField(fields.Eymin, store.viewYMin, {"Ymin", "--limits"}, log);
    ReadLimitField(fields.Eymax, store.viewYMax, {"Ymax", "--limits"}, log);
}

void ExchangeLimits(CurveStore& store, PlotOptions& options, MessageLog* log)
{
    if (options.CBescalas) {
        ReadLimitFields(store, options, log);
    } else {
        options.Exmin = FormatLimit(store.viewXMin);
        options.Exmax = FormatLimit(store.viewXMax);
        options.Eymin = FormatLimit(store.viewYMin);
        options.Eymax = FormatLimit(store.viewYMax);
    }
}

bool RunPlot(CurveStore& store, const std::vector<std::string>& curveLines, PlotOptions& options,
             MessageLog& log)
{
    store.beginPlot();
    if (!ReadCurveLines(store, curveLines, options.CBfase, log))
        return false;
    LineReader reader;
    for (int k = 1; k <= store.curveCount; ++k) {
        if (!ReadCurveTable(store, k, options.CBnomes, reader, log))
            return false;
    }
    int mode = options.RGescala >= 0 && options.RGescala <= 3 ? options.RGescala : 0;
    store.computeRanges(options.CBfase, static_cast<ScaleMode>(mode));
    if (store.curveCount < 1) {
        // The limits computed from no curve (+/-1e50) would overwrite the user's fields.
        log.AppendLog("Nada a plotar.");
        return false;
    }
    ExchangeLimits(store, options, &log);
    store.plotReady = true;
    store.pictureSaved = false;
    return true;
}

} // namespace talvor
