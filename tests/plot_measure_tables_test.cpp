// Measurement blocks of tables: the lines of a block, the unknowns of a sweep's table, and the
// curves of a Plot run with the phase columns paired by the tables' headers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "common/message_log.h"
#include "plot/curve_store.h"
#include "plot/measure_report.h"
#include "plot/measure_tables.h"
#include "plot/plot_run.h"
#include "test_support.h"

using namespace talvor;

namespace {

using Lines = std::vector<std::string>;

// An unstable loop gain 1000 / (1 + s/10)^2 / (1 + s/1000), one row per point from 1 to 1e5 Hz at 20
// points per decade, in a sweep's table with node 2 as the response and node 1 flat at 1.
std::string LoopTable(const char* header = "f 1m 1f 2m 2f \n")
{
    std::string text = header;
    for (int i = 0; i <= 100; ++i) {
        double f = std::pow(10.0, i / 20.0);
        double x1 = f / 10, x2 = f / 1000;
        double gain = 1000 / ((1 + x1 * x1) * std::sqrt(1 + x2 * x2));
        double phase = -(2 * std::atan(x1) + std::atan(x2)) * 180 / 3.141592653589793;
        phase = std::remainder(phase, 360.0);
        char row[160];
        std::snprintf(row, sizeof row, "%g 1 0 %g %g\n", f, gain, phase);
        text += row;
    }
    return text;
}

// The lines of a MeasureCurves log that are not the body of a block: titles and notes.
Lines TitlesAndNotes(const Lines& lines)
{
    Lines kept;
    for (const std::string& line : lines)
        if (line.rfind("  ", 0) != 0 || line.rfind("  A ", 0) == 0)
            kept.push_back(line);
    return kept;
}

class MeasureTables : public testing::Test {
protected:
    bool Logged(const std::string& line) const { return HasLine(sink.lines, line); }
    bool LoggedStartOf(const std::string& start) const
    {
        return HasLineStartingWith(sink.lines, start);
    }
    std::string Dump() const { return JoinLines(sink.lines); }
    bool Plot(const Lines& curveLines)
    {
        bool ready = RunPlot(*store, curveLines, options, log);
        sink.lines.clear();
        return ready;
    }

    TempDir dir;
    RecordingSink sink;
    MessageLog log{sink};
    std::unique_ptr<MeasureScratch> scratch = std::make_unique<MeasureScratch>();
    std::unique_ptr<CurveStore> store = std::make_unique<CurveStore>();
    PlotOptions options;
    const ResponseUnits stated{MagnitudeUnit::Linear, PhaseUnit::Degrees, FrequencyUnit::Hertz};
};

TEST_F(MeasureTables, BlockOfAnUnknownLineByLine)
{
    std::string path = dir.Write("malha.tab", LoopTable());
    ASSERT_TRUE(MeasureTableUnknown(path.c_str(), "2", stated, *scratch, log));
    // The closed form: the half-power point of the first sample's gain at 6.5447 Hz (the
    // double pole, coarsely sampled, reads 0.03% low), |T| = 1 at 308.941 Hz with the phase at
    // -193.460 degrees (an unstable loop), -180 degrees at 141.774 Hz with |T| = 4.90148.
    const Lines expected = {
        "Medidas de 2 na tabela " + path + ":",
        "  Unidades: módulo linear, fase em graus, frequência em Hz.",
        "  Ganho no início (1 Hz): 990.099 (59.9136 dB)",
        "  Ganho no fim (100000 Hz): 9.9995e-08 (-140 dB)",
        "  Ganho máximo: 990.099 (59.9136 dB) em 1 Hz, no início da varredura",
        "  Meia potência abaixo do máximo: não encontrado",
        "  Meia potência acima do máximo: 6.54273 Hz",
        "  Banda de meia potência: não encontrado",
        "  Q: não encontrado",
        "  Entalhe: não encontrado",
        "  As margens supõem que a curva seja um ganho de malha.",
        "  Frequência de ganho unitário: 308.916 Hz",
        "  Margem de fase: -13.4688 graus (fase -193.469 graus)",
        "  Frequência de fase -180 graus: 141.775 Hz",
        "  Margem de ganho: -13.8064 dB (ganho 4.90138)",
    };
    EXPECT_EQ(sink.lines, expected) << Dump();
}

TEST_F(MeasureTables, UnknownsThatCannotBeMeasured)
{
    std::string path = dir.Write("malha.tab", LoopTable());
    for (const char* name : {"3", "2m", "f", ""}) {
        sink.lines.clear();
        EXPECT_FALSE(MeasureTableUnknown(path.c_str(), name, stated, *scratch, log));
        EXPECT_EQ(sink.lines, Lines{"Medidas: a variável " + std::string(name) +
                                    " não existe na tabela " + path + "."});
    }
    sink.lines.clear();
    std::string missing = dir.Path() + "/nada.tab";
    EXPECT_FALSE(MeasureTableUnknown(missing.c_str(), "2", stated, *scratch, log));
    EXPECT_EQ(sink.lines, Lines{"Medidas: tabela " + missing + " não encontrada."});
}

TEST_F(MeasureTables, ColumnsAreFoundByTheirNames)
{
    // The same response with its columns in another order and a text line in the data.
    std::string text = "2f f 2m \n";
    for (const std::string& row : SplitLines(LoopTable("").substr(0))) {
        std::vector<std::string> fields;
        size_t start = 0, blank;
        while ((blank = row.find(' ', start)) != std::string::npos) {
            fields.push_back(row.substr(start, blank - start));
            start = blank + 1;
        }
        fields.push_back(row.substr(start));
        if (fields.size() == 5)
            text += fields[4] + " " + fields[0] + " " + fields[3] + "\n";
    }
    text.insert(text.find('\n', 100) + 1, "comentário no meio\n");
    std::string reordered = dir.Write("outra.tab", text);
    std::string original = dir.Write("malha.tab", LoopTable());
    ASSERT_TRUE(MeasureTableUnknown(original.c_str(), "2", stated, *scratch, log));
    Lines expected(sink.lines.begin() + 1, sink.lines.end());
    sink.lines.clear();
    ASSERT_TRUE(MeasureTableUnknown(reordered.c_str(), "2", stated, *scratch, log)) << Dump();
    EXPECT_EQ(Lines(sink.lines.begin() + 1, sink.lines.end()), expected) << Dump();
}

TEST_F(MeasureTables, OnlyTheFirstMaxPointsRowsAreMeasured)
{
    std::string text = "f 1m 1f \n";
    for (int i = 1; i <= MaxPoints + 1; ++i)
        text += std::to_string(i) + " 1 0\n";
    std::string path = dir.Write("longa.tab", text);
    ASSERT_TRUE(MeasureTableUnknown(path.c_str(), "1", stated, *scratch, log));
    EXPECT_TRUE(Logged("  Só os primeiros 50000 pontos da tabela entram nas medidas.")) << Dump();
    EXPECT_TRUE(Logged("  Ganho no fim (50000 Hz): 1 (0 dB)")) << Dump();
}

TEST_F(MeasureTables, CurvesGetTheirPhaseFromTheHeader)
{
    std::string path = dir.Write("malha.tab", LoopTable());
    ASSERT_TRUE(Plot({path + " f 2m", path + " f 2f", path + " f 1m +"}));
    MeasureCurves(*store, ResponseUnits{}, *scratch, log);
    EXPECT_TRUE(Logged("Medidas da curva 1 (" + path + ", f x 2m, fase em 2f):")) << Dump();
    EXPECT_TRUE(Logged("  Margem de fase: -13.4688 graus (fase -193.469 graus)")) << Dump();
    EXPECT_TRUE(
        Logged("Medidas da curva 2 (" + path + ", f x 2f): curva de fase, sem medidas próprias."))
        << Dump();
    EXPECT_TRUE(Logged("Medidas da curva 3 (" + path + ", f x 1m, fase em 1f):")) << Dump();
    EXPECT_TRUE(Logged("  A operação + não entra nas medidas: valores da coluna 1m.")) << Dump();
    // Stated by no one: the values chose the units, and the block says so.
    EXPECT_TRUE(Logged("  Unidades: módulo linear (suposto), fase em graus (suposta), frequência "
                       "em Hz (suposta)."))
        << Dump();

    // By number, the header still pairs column 4 ("2m") with column 5 ("2f").
    options.CBnomes = false;
    ASSERT_TRUE(Plot({path + " 1 4"}));
    MeasureCurves(*store, stated, *scratch, log);
    EXPECT_TRUE(Logged("Medidas da curva 1 (" + path + ", 1 x 4, fase em 2f):")) << Dump();
    EXPECT_TRUE(Logged("  Margem de fase: -13.4688 graus (fase -193.469 graus)")) << Dump();
}

TEST_F(MeasureTables, UnstatedUnitsComeFromTheWholeTable)
{
    // Node 1 alone would pass for radians (its phase stays within +/-pi) and for linear (no
    // negative value); the other columns of its table settle both.
    struct Case {
        const char* table;
        const char* units;
    };
    const Case cases[] = {
        {"f 1m 1f 2m 2f \n1 1 0 1 -1\n10 1 0 0.5 -60\n",
         "  Unidades: módulo linear (suposto), fase em graus (suposta), frequência em Hz "
         "(suposta)."},
        {"f 1m 1f 2m 2f \n1 1 0 0 -0.1\n10 1 0 -3 -1\n",
         "  Unidades: módulo em dB (suposto), fase em radianos (suposta), frequência em Hz "
         "(suposta)."},
        // Columns not named as magnitudes or phases say nothing.
        {"f 1m 1f x y \n1 1 0 -5 -100\n10 1 0 -5 -100\n",
         "  Unidades: módulo linear (suposto), fase em radianos (suposta), frequência em Hz "
         "(suposta)."},
    };
    for (const Case& c : cases) {
        std::string path = dir.Write("t.tab", c.table);
        ASSERT_TRUE(Plot({path + " f 1m"}));
        MeasureCurves(*store, ResponseUnits{}, *scratch, log);
        EXPECT_TRUE(Logged(c.units)) << c.table << "\n" << Dump();
        sink.lines.clear();
        ASSERT_TRUE(MeasureTableUnknown(path.c_str(), "1", ResponseUnits{}, *scratch, log));
        EXPECT_TRUE(Logged(c.units)) << c.table << "\n" << Dump();
    }
}

TEST_F(MeasureTables, TableOfAnotherProgramByNumber)
{
    // Frequency, gain in dB and phase in radians, no header: another simulator's export.
    std::string text;
    for (int i = 0; i <= 60; ++i) {
        double f = std::pow(10.0, 1 + i / 20.0), x = f / 1000;
        char row[120];
        std::snprintf(row, sizeof row, "%g\t%g\t%g\n", f, -10 * std::log10(1 + x * x),
                      -std::atan(x));
        text += row;
    }
    std::string path = dir.Write("exportado.txt", text);
    options.CBnomes = false;
    ASSERT_TRUE(Plot({path + " 1 2"}));
    MeasureCurves(*store, ResponseUnits{}, *scratch, log);
    EXPECT_TRUE(Logged("Medidas da curva 1 (" + path + ", 1 x 2):")) << Dump();
    EXPECT_TRUE(Logged("  Unidades: módulo em dB (suposto), frequência em Hz (suposta)."))
        << Dump();
    EXPECT_TRUE(LoggedStartOf("  Meia potência acima do máximo: 100")) << Dump();
    EXPECT_TRUE(Logged("  Margem de fase: sem coluna de fase")) << Dump();
    EXPECT_TRUE(Logged("  Margem de ganho: sem coluna de fase")) << Dump();
}

TEST_F(MeasureTables, ARowOfNumbersIsNotAHeader)
{
    // "0xf" reads as 15: the first row holds data, not a phase column's name.
    std::string path = dir.Write("hex.txt", "1 0xf\n10 0xe\n");
    options.CBnomes = false;
    ASSERT_TRUE(Plot({path + " 1 2"}));
    MeasureCurves(*store, stated, *scratch, log);
    EXPECT_EQ(TitlesAndNotes(sink.lines), Lines{"Medidas da curva 1 (" + path + ", 1 x 2):"})
        << Dump();
    EXPECT_TRUE(Logged("  Ganho no início (1 Hz): 15 (23.5218 dB)")) << Dump();
}

TEST_F(MeasureTables, AShortTableAfterALongOneKeepsItsPhase)
{
    // The scratch columns still hold the long table's rows beyond the short one's.
    std::string longTable = dir.Write("malha.tab", LoopTable());
    std::string shortTable = dir.Write("curta.tab", "f 1m 1f \n1 1 -10\n10 0.5 -60\n100 0.1 -85\n");
    ASSERT_TRUE(MeasureTableUnknown(longTable.c_str(), "2", stated, *scratch, log));
    ASSERT_TRUE(Plot({shortTable + " f 1m"}));
    MeasureCurves(*store, stated, *scratch, log);
    EXPECT_EQ(TitlesAndNotes(sink.lines),
              Lines{"Medidas da curva 1 (" + shortTable + ", f x 1m, fase em 1f):"})
        << Dump();
}

TEST_F(MeasureTables, PhaseColumnThatDoesNotFollowTheCurve)
{
    std::string text = LoopTable();
    size_t row = text.find("\n10 ");
    ASSERT_NE(row, std::string::npos);
    size_t phase = text.rfind(' ', text.find('\n', row + 1));
    text.replace(phase + 1, text.find('\n', row + 1) - phase - 1, "fase?");
    std::string path = dir.Write("malha.tab", text);
    ASSERT_TRUE(Plot({path + " f 2m"}));
    MeasureCurves(*store, stated, *scratch, log);
    EXPECT_TRUE(Logged("  A coluna 2f não acompanha os pontos da curva: medidas sem fase."))
        << Dump();
    EXPECT_TRUE(Logged("  Margem de fase: sem coluna de fase")) << Dump();
}

TEST_F(MeasureTables, NothingPlottedNothingMeasured)
{
    MeasureCurves(*store, stated, *scratch, log);
    EXPECT_EQ(sink.lines, Lines{"Nada a medir: não há curvas plotadas."});
}

TEST_F(MeasureTables, BlocksOfResponsesThatCannotBeMeasured)
{
    std::string path = dir.Write("fora.tab", "f 1m 1f \n1 1 0\n10 0.5 -10\n5 0.1 -20\n");
    ASSERT_TRUE(MeasureTableUnknown(path.c_str(), "1", stated, *scratch, log));
    EXPECT_EQ(sink.lines.back(), "  Frequências fora de ordem crescente no ponto 3: nada medido.");
    sink.lines.clear();
    path = dir.Write("vazia.tab", "f 1m 1f \n");
    ASSERT_TRUE(MeasureTableUnknown(path.c_str(), "1", stated, *scratch, log));
    EXPECT_EQ(sink.lines.back(), "  Sem pontos a medir.");
    sink.lines.clear();
    path = dir.Write("negativa.tab", "f 1m 1f \n1 1 0\n10 -0.5 -10\n");
    ASSERT_TRUE(MeasureTableUnknown(path.c_str(), "1", stated, *scratch, log));
    EXPECT_EQ(sink.lines.back(),
              "  Módulo negativo no ponto 2, que não pode ser linear: nada medido.");
}

TEST_F(MeasureTables, NarrowBandIsFlagged)
{
    // A resonance of Q 30 sampled at 20 points per decade: three samples in its band.
    std::string text = "f 1m 1f \n";
    for (int i = 0; i <= 60; ++i) {
        double f = std::pow(10.0, 2 + i / 20.0), d = f / 1000 - 1000 / f;
        char row[120];
        std::snprintf(row, sizeof row, "%g %g 0\n", f, 1 / std::sqrt(1 + 900 * d * d));
        text += row;
    }
    std::string path = dir.Write("estreita.tab", text);
    ASSERT_TRUE(MeasureTableUnknown(path.c_str(), "1", stated, *scratch, log));
    EXPECT_TRUE(LoggedStartOf("  Aviso: só ")) << Dump();
}

TEST_F(MeasureTables, EveryCurveGetsItsTitleAndItsNotes)
{
    std::string path = dir.Write("malha.tab", LoopTable());
    std::string plain = dir.Write("xy.tab", "x y\n1 1\n2 0.5\n");
    ASSERT_TRUE(Plot({path + " f 2m", path + " f 1m -", path + " f 1m x", path + " f 2f",
                      path + " 1m f", plain + " x y"}));
    MeasureCurves(*store, stated, *scratch, log);
    const Lines expected = {
        "Medidas da curva 1 (" + path + ", f x 2m, fase em 2f):",
        "Medidas da curva 2 (" + path + ", f x 1m, fase em 1f):",
        "  A operação - não entra nas medidas: valores da coluna 1m.",
        "Medidas da curva 3 (" + path + ", f x 1m, fase em 1f):",
        "Medidas da curva 4 (" + path + ", f x 2f): curva de fase, sem medidas próprias.",
        // A one-letter name is neither a magnitude nor a phase.
        "Medidas da curva 5 (" + path + ", 1m x f):",
        "Medidas da curva 6 (" + plain + ", x x y):",
    };
    EXPECT_EQ(TitlesAndNotes(sink.lines), expected) << Dump();
}

TEST_F(MeasureTables, TheFirstPointsPhaseMustBeTheCurvesToo)
{
    // The curve skips the first row (no magnitude there), the phase column the second (no phase
    // there): as many rows on both sides, but the phase of 1 Hz would go with the point of 1.12 Hz.
    std::string text = LoopTable();
    size_t first = text.find('\n') + 1, second = text.find('\n', first) + 1;
    text.replace(second, text.find('\n', second) - second, "1.12202 1 0 987.8 sem");
    text.replace(first, text.find('\n', first) - first, "1 1 0 sem -0.114592");
    std::string path = dir.Write("malha.tab", text);
    ASSERT_TRUE(Plot({path + " f 2m"}));
    MeasureCurves(*store, stated, *scratch, log);
    EXPECT_TRUE(Logged("  A coluna 2f não acompanha os pontos da curva: medidas sem fase."))
        << Dump();
}

TEST_F(MeasureTables, TextAfterTheMeasuredColumnsKeepsTheRow)
{
    std::string path = dir.Write("t.tab", "f 1m 1f \n1 1 0\n10 1 0\n100 0.5 -10 fim da tabela\n");
    ASSERT_TRUE(MeasureTableUnknown(path.c_str(), "1", stated, *scratch, log));
    EXPECT_TRUE(Logged("  Ganho no fim (100 Hz): 0.5 (-6.0206 dB)")) << Dump();
}

TEST_F(MeasureTables, PartlyStatedUnitsTakeTheRestFromTheWholeTable)
{
    // Node 1 alone would pass for linear and radians; node 2 says dB and degrees.
    std::string path = dir.Write("t.tab", "f 1m 1f 2m 2f \n1 1 0 -1 -100\n10 1 0 -3 -120\n");
    struct Case {
        ResponseUnits stated;
        const char* units;
    };
    const Case cases[] = {
        {{MagnitudeUnit::Unknown, PhaseUnit::Degrees, FrequencyUnit::Hertz},
         "  Unidades: módulo em dB (suposto), fase em graus, frequência em Hz."},
        {{MagnitudeUnit::Linear, PhaseUnit::Unknown, FrequencyUnit::Hertz},
         "  Unidades: módulo linear, fase em graus (suposta), frequência em Hz."},
        {{MagnitudeUnit::Linear, PhaseUnit::Radians, FrequencyUnit::Unknown},
         "  Unidades: módulo linear, fase em radianos, frequência em Hz (suposta)."},
    };
    for (const Case& c : cases) {
        sink.lines.clear();
        ASSERT_TRUE(MeasureTableUnknown(path.c_str(), "1", c.stated, *scratch, log));
        EXPECT_TRUE(Logged(c.units)) << Dump();
    }
}

TEST_F(MeasureTables, HeaderNamesAreNotValues)
{
    // "10f" is a name, not a phase of 10 (which would be beyond pi, so in degrees).
    std::string path = dir.Write("t.tab", "f 10m 10f \n1 1 -0.1\n10 1 -1\n");
    ASSERT_TRUE(MeasureTableUnknown(path.c_str(), "10", ResponseUnits{}, *scratch, log));
    EXPECT_TRUE(Logged("  Unidades: módulo linear (suposto), fase em radianos (suposta), "
                       "frequência em Hz (suposta)."))
        << Dump();
}

TEST_F(MeasureTables, EachTableGivesItsOwnUnits)
{
    std::string radians = dir.Write("rad.tab", "f 1m 1f 2m 2f \n1 1 0 1 -0.5\n10 1 0 1 -1\n");
    std::string degrees = dir.Write("graus.tab", "f 1m 1f 2m 2f \n1 1 0 1 -50\n10 1 0 1 -100\n");
    ASSERT_TRUE(Plot({radians + " f 1m", degrees + " f 1m", radians + " f 1m"}));
    MeasureCurves(*store, ResponseUnits{}, *scratch, log);
    const std::string inRadians = "  Unidades: módulo linear (suposto), fase em radianos "
                                  "(suposta), frequência em Hz (suposta).";
    const std::string inDegrees = "  Unidades: módulo linear (suposto), fase em graus (suposta), "
                                  "frequência em Hz (suposta).";
    Lines units;
    for (const std::string& line : sink.lines)
        if (line.rfind("  Unidades:", 0) == 0)
            units.push_back(line);
    EXPECT_EQ(units, (Lines{inRadians, inDegrees, inRadians})) << Dump();

    // The table a sweep has just written, named by another path, is in the sweep's units; the
    // others keep theirs.
    const std::string known = "  Unidades: módulo em dB, fase em graus, frequência em rad/s.";
    const WrittenTable written{
        dir.Path() + "/./rad.tab",
        {MagnitudeUnit::Decibel, PhaseUnit::Degrees, FrequencyUnit::RadiansPerSecond}};
    sink.lines.clear();
    MeasureCurves(*store, ResponseUnits{}, *scratch, log, written);
    units.clear();
    for (const std::string& line : sink.lines)
        if (line.rfind("  Unidades:", 0) == 0)
            units.push_back(line);
    EXPECT_EQ(units, (Lines{known, inDegrees, known})) << Dump();
}

TEST_F(MeasureTables, UnknownsNeedAllThreeColumns)
{
    struct Case {
        const char* header;
        bool found;
    };
    const Case cases[] = {
        {"f 1m 1f \n", true},
        {"freq 1m 1f \n", false},
        {"f 1f \n", false},
        {"f 1m \n", false},
    };
    for (const Case& c : cases) {
        std::string path = dir.Write("t.tab", std::string(c.header) + "1 1 0\n10 0.5\n");
        sink.lines.clear();
        EXPECT_EQ(MeasureTableUnknown(path.c_str(), "1", stated, *scratch, log), c.found)
            << c.header << Dump();
    }
}

TEST_F(MeasureTables, ColumnsUpToTheThousandthAreFound)
{
    // After "f" and another column, node 499 takes columns 999 and 1000, node 500 1001 and 1002.
    std::string header = "f outra ", row = "1 0 ";
    for (int node = 1; node <= 500; ++node) {
        header += std::to_string(node) + "m " + std::to_string(node) + "f ";
        row += "1 0 ";
    }
    std::string path = dir.Write("larga.tab", header + "\n" + row + "\n");
    EXPECT_TRUE(MeasureTableUnknown(path.c_str(), "499", stated, *scratch, log)) << Dump();
    EXPECT_FALSE(MeasureTableUnknown(path.c_str(), "500", stated, *scratch, log)) << Dump();
}

TEST_F(MeasureTables, MeasuringLeavesNoFileOpen)
{
    std::string path = dir.Write("malha.tab", LoopTable());
    ASSERT_TRUE(Plot({path + " f 2m", path + " f 1m"}));
    MeasureCurves(*store, ResponseUnits{}, *scratch, log);
    const size_t before = OpenFileCount();
    for (int k = 0; k < 3; ++k) {
        MeasureCurves(*store, ResponseUnits{}, *scratch, log);
        MeasureTableUnknown(path.c_str(), "2", ResponseUnits{}, *scratch, log);
    }
    EXPECT_EQ(OpenFileCount(), before);
}

} // namespace
