// Edges of the sweep and its table: the messages of refused and reduced sweeps with every digit
// of their values, an end below 1 Hz, the decibel floor, the table file's life (created twice,
// closed by its destructor, a failed file then a good one), the dialog's sweep in the log, and
// several warnings of one point replayed in order.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "analysis/operating_point.h"
#include "analysis/result_table.h"
#include "analysis/run_analysis.h"
#include "analysis/sweep.h"
#include "analysis_test_circuit.h"
#include "test_support.h"

using namespace talvor;

namespace {

std::vector<std::string> PlanLog(int mode, int points, double fStart, double fEnd)
{
    SweepSpec sweep{mode, points, fStart, fEnd};
    RecordingSink sink;
    MessageLog log(sink);
    SweepPlan plan;
    PlanSweep(sweep, log, plan);
    return sink.lines;
}

TEST(SweepEdges, MessagesCarrySixDigits)
{
    using Lines = std::vector<std::string>;
    EXPECT_EQ(PlanLog(1, 10, -1.23456, 10),
              Lines{"Frequência inicial negativa (-1.23456) em escala logarítmica. Tabela não "
                    "gerada."});
    EXPECT_EQ(PlanLog(1, 10, 1e-310, 123456),
              Lines{"Frequências inválidas na varredura: 1e-310 a 123456. Tabela não gerada."});
    EXPECT_EQ(PlanLog(0, 10, 1.23456, HUGE_VAL),
              Lines{"Frequências inválidas na varredura: 1.23456 a inf. Tabela não gerada."});
    EXPECT_EQ(PlanLog(0, 10, std::nan(""), 123456),
              Lines{"Frequências inválidas na varredura: nan a 123456. Tabela não gerada."});
    EXPECT_EQ(PlanLog(0, 1, 1.23456, 10), Lines{"Varredura de um só ponto, em 1.23456."});
    EXPECT_EQ(
        PlanLog(0, 10, 123.456, 1),
        Lines{"Frequência final não supera a inicial: varredura de um só ponto, em 123.456."});
}

TEST(SweepEdges, EndBelowOneHertzKeepsItsLastPoint)
{
    SweepSpec sweep{0, 5, 0.1, 0.5};
    RecordingSink sink;
    MessageLog log(sink);
    SweepPlan plan;
    ASSERT_TRUE(PlanSweep(sweep, log, plan));
    std::vector<double> rows;
    for (double f = plan.fStart; InSweep(plan, static_cast<long>(rows.size()), f);
         f = NextFrequency(plan, f))
        rows.push_back(f);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_NEAR(rows.back(), 0.5, 1e-15);
}

TEST(SweepEdges, DecibelFloorIsAtOneEMinusFifty)
{
    const TableUnits db{true, true};
    EXPECT_NEAR(TableMagnitude(5e-50, 0, db), 20 * std::log10(5e-50), 1e-9);
    EXPECT_EQ(TableMagnitude(1e-60, 0, db), TableMagnitude(1e-50, 0, db));
    EXPECT_NEAR(TableMagnitude(1e-50, 0, db), -1000, 1e-9);
}

NodeTable Names()
{
    NodeTable names{};
    std::snprintf(names.names[1], VariableNameSize, "1");
    return names;
}

TEST(TableFile, CreatingAgainClosesTheFirstFile)
{
    TempDir dir;
    ResultTable table;
    ASSERT_TRUE(table.Create(dir.Path() + "/a.tab"));
    table.WriteHeader(Names(), 1);
    ASSERT_TRUE(table.Create(dir.Path() + "/b.tab"));
    EXPECT_EQ(ReadWholeFile(dir.Path() + "/a.tab"), "f 1m 1f \n");
    EXPECT_TRUE(table.Close());
}

TEST(TableFile, DestructorClosesTheFile)
{
    TempDir dir;
    {
        ResultTable table;
        ASSERT_TRUE(table.Create(dir.Path() + "/a.tab"));
        table.WriteHeader(Names(), 1);
    }
    EXPECT_EQ(ReadWholeFile(dir.Path() + "/a.tab"), "f 1m 1f \n");
}

TEST(TableFile, AFailedFileDoesNotSpoilTheNext)
{
    TempDir dir;
    ResultTable table;
    ASSERT_TRUE(table.Create("/dev/full"));
    RowText row;
    row.length = RowCapacity - 1;
    std::fill(row.text, row.text + row.length, 'x');
    for (int k = 0; k < 100; ++k) // more than the file's buffer holds
        table.WriteRow(row);
    EXPECT_FALSE(table.Close());
    ASSERT_TRUE(table.Create(dir.Path() + "/b.tab"));
    table.WriteHeader(Names(), 1);
    EXPECT_TRUE(table.Close());
}

TEST(SweepEdges, TheDialogsSweepIsLoggedWithSixDigits)
{
    TempDir dir;
    const std::string netlist = dir.Write("c.net", "Titulo\nR1 1 0 1000\n");
    RecordingSink sink;
    MessageLog log(sink);
    TestHost host;
    host.settings.Efinicial = "1.23456";
    host.settings.Effinal = "123456";
    host.settings.Epontos = "3";
    host.settings.RGescala = 1;
    Analysis analysis(log, host);
    RunAnalysis(analysis, netlist);
    EXPECT_TRUE(Contains(sink.lines, "F inicial: 1.23456; F final: 123456; Pontos: 3; Modo: 1."));
    EXPECT_EQ(sink.lines.back(), "Análise terminada com sucesso.");
}

TEST(SweepEdges, TheDialogsFieldsReadADecimalCommaAndNameTextThatIsNoNumber)
{
    TempDir dir;
    const std::string netlist = dir.Write("c.net", "Titulo\nR1 1 0 1000\n");
    struct Case {
        const char *start, *end, *points;
        int scale;
        std::vector<std::string> lines; // from the parameters' line on
        const char* firstRow;
    };
    const Case cases[] = {
        {"0,1", "10", "3", 1, {"F inicial: 0.1; F final: 10; Pontos: 3; Modo: 1."}, "0.1 "},
        {"1", "1,5e3", "2", 0, {"F inicial: 1; F final: 1500; Pontos: 2; Modo: 0."}, "1 "},
        {"abc",
         "10",
         "1e3",
         0,
         {"F inicial: 0; F final: 10; Pontos: 1; Modo: 0.",
          "Frequência inicial (--sweep): \"abc\" não é um número; usado 0.",
          "Pontos (--sweep): \"1e3\" tem texto depois do número; usado 1.", "Calculando..."},
         "0 "},
        {"2.5",
         "1k",
         "1",
         0,
         {"F inicial: 2.5; F final: 1; Pontos: 1; Modo: 0.",
          "Frequência final (--sweep): \"1k\" tem texto depois do número; usado 1.",
          "Calculando..."},
         "2.5 "},
    };
    for (const Case& c : cases) {
        RecordingSink sink;
        MessageLog log(sink);
        TestHost host;
        host.settings.Efinicial = c.start;
        host.settings.Effinal = c.end;
        host.settings.Epontos = c.points;
        host.settings.RGescala = c.scale;
        Analysis analysis(log, host);
        RunAnalysis(analysis, netlist);
        auto at = std::find(sink.lines.begin(), sink.lines.end(), c.lines[0]);
        ASSERT_NE(at, sink.lines.end()) << c.start << "\n" << JoinLines(sink.lines);
        EXPECT_EQ(std::vector<std::string>(at, at + c.lines.size()), c.lines);
        EXPECT_EQ(SplitLines(ReadWholeFile(dir.Path() + "/c.tab"))[1].rfind(c.firstRow, 0), 0u);
    }
}

TEST(SweepEdges, AStoppedSweepEndsTheRunAsNotMade)
{
    TempDir dir;
    const std::string netlist =
        dir.Write("c.net", "Titulo\nV1 1 0 1\nR1 1 2 1000\nC1 2 0 1e-6\n.AC LIN 100000 1 1e5\n");
    RecordingSink sink;
    MessageLog log(sink);
    TestHost host;
    Analysis analysis(log, host);
    host.onRows = [&](long rows) { analysis.circuit.StopRequest = rows >= 1024; };
    RunAnalysis(analysis, netlist);
    const std::vector<std::string> end(sink.lines.end() - 3, sink.lines.end());
    EXPECT_EQ(end, (std::vector<std::string>{"Cálculo interrompido.",
                                             "Parada pedida pelo usuário: o arquivo " + dir.Path() +
                                                 "/c.tab ficou com os 1024 pontos já calculados.",
                                             "Análise de resposta em frequência não realizada."}));
    EXPECT_EQ(SplitLines(ReadWholeFile(dir.Path() + "/c.tab")).size(), 1025u);
    // "Parar análise" is enabled in the operating point and again in the sweep.
    EXPECT_EQ(host.stopEnabled, (std::vector<bool>{true, false, true, false}));
    EXPECT_TRUE(analysis.circuit.RunFailed);
}

TEST(SweepEdges, SeveralWarningsOfOnePointAreReplayedInOrder)
{
    // Two nodes held only by tiny capacitances: two warnings at every point, past the traced
    // points too, where each point's lines are kept and replayed.
    TempDir dir;
    RecordingSink sink;
    MessageLog log(sink);
    TestHost host;
    Analysis analysis(log, host);
    CircuitBuilder build(analysis.circuit, log);
    build.Add("V1", {"1", "0"}, {1, 0, 0});
    build.Add("C1", {"1", "2"}, {1e-22});
    build.Add("C2", {"2", "0"}, {1e-22});
    build.Add("C3", {"1", "3"}, {3e-22});
    build.Add("C4", {"3", "0"}, {3e-22});
    build.Add("R2", {"2", "0"}, {1e17});
    build.Add("R3", {"3", "0"}, {2e16});
    build.Finish();
    analysis.circuit.tablePath = dir.Path() + "/t.tab";
    // Longer than the ring of points solved ahead, so that its slots are used twice.
    analysis.circuit.sweep = SweepSpec{0, 1500, 1, 1500};
    FindOperatingPoint(analysis);
    sink.lines.clear();
    RunSweep(analysis);
    ASSERT_FALSE(analysis.circuit.RunFailed);
    ASSERT_EQ(sink.lines.size(), 1 + 2 * 1500 + 1u);
    for (size_t k = 1; k <= 3000; ++k)
        EXPECT_EQ(sink.lines[k].rfind("Possível sistema singular. Pivot=", 0), 0u) << k;
    // The two warnings of a point differ: their pivots' real parts are the leaks to ground.
    EXPECT_NE(sink.lines[199], sink.lines[200]);
}

} // namespace
