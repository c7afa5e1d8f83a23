// The diagnosis where its words depend on the settings and on which unknown failed: the check of
// a netlist with and without devices conducting at the start, with the settings' Vdmax and
// initial value, or without a netlist; runs that never converge whose largest change is a
// source's current or a node swinging through a reverse diode; the count of region changes that
// makes a device restless; a recorded failure that names no unknown, or left by an earlier run;
// failures of circuits at the limits of 200 elements and 50 unknowns; which small pivots count.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "analysis/diagnosis/diagnosis.h"
#include "analysis/run_analysis.h"
#include "analysis_test_circuit.h"
#include "test_support.h"

using namespace talvor;

namespace {

struct DiagnosisFixture : ::testing::Test {
    TempDir dir;
    RecordingSink sink;
    MessageLog log{sink};
    TestHost host;
    Analysis analysis{log, host};

    std::vector<std::string> Last(size_t count) const
    {
        const std::vector<std::string>& lines = sink.lines;
        return {lines.end() - static_cast<long>(std::min(count, lines.size())), lines.end()};
    }
};

TEST_F(DiagnosisFixture, CheckStampsTheFirstIterationWithItsSettings)
{
    // Node s reaches the rest only through M1's channel (no gate capacitances): cut off at the
    // initial 0 V, conducting when the first iteration starts with devices conducting.
    const std::string netlist =
        dir.Write("m.net", "Canal\nV1 d 0 DC 5\nV2 g 0 DC 0\nM1 d g s 0 N\n.AC DEC 3 1 10\n");
    host.settings.CBcmos = false;
    host.settings.CBcgb = false;
    EXPECT_EQ(CheckNetlist(analysis, netlist), 1);
    EXPECT_EQ(Last(2), (std::vector<std::string>{
                           "O nó s não tem caminho DC para a terra.",
                           "Liga-se ao resto do circuito só por M1 (cortado invertido)."}));
    host.settings.CBconduz = true;
    EXPECT_EQ(CheckNetlist(analysis, netlist), 0);
    EXPECT_EQ(Last(1), std::vector<std::string>{
                           "Nenhuma causa de sistema singular encontrada no sistema DC."});
}

TEST_F(DiagnosisFixture, AStampFaultIsToldByTheValueBehindIt)
{
    // The rules that the catalogues do not reach: a value too small rather than 0, an
    // amplifier's DC gain with its pole at 0, a line whose admittances overflow at a point.
    struct Case {
        const char* body;
        const char* g0;
        const char* line;
    };
    const Case cases[] = {
        {"V1 1 0 DC 1\nR1 1 0 1e-310\n", "1e-9",
         "R1 tem resistência 1e-310: a condutância 1/R passa do maior número representável."},
        {"V1 1 0 DC 1\nY1 1 0 2 0 1e-310\nR1 2 0 1\n", "1e-9",
         "Y1 tem resistência de giro 1e-310: a condutância 1/Rg passa do maior número "
         "representável."},
        {"V1 1 0 DC 1\nR1 1 2 1\nA1 3 0 2 0 1e6 0 10\nR2 3 2 10\n", "0",
         "A1 tem polo 0: o ganho DC −GB/P vira −1/Eg0, que fica infinito "
         "com a condutância do P. O. (Eg0, --g0) igual a 0."},
        {"V1 1 0 DC 1\nR1 1 2 1\nX1 2 0 1e-3\n", "1e-310",
         "X1 é um curto em DC: a condutância 1/Eg0 passa do maior número representável com "
         "a condutância do P. O. (Eg0, --g0) igual a 1e-310."},
        {"V1 1 0 1\nR1 1 2 50\nT1 2 0 3 1e-305 1e-9\nR2 3 0 50\n", "1e-9",
         "T1 tem Z0 = 1e-305: em f=10 as admitâncias 1/(Z0 sen ωτ) da linha passam do maior "
         "número representável."},
    };
    for (const Case& c : cases) {
        sink.lines.clear();
        host.settings.Eg0 = c.g0;
        RunAnalysis(analysis,
                    dir.Write("f.net", std::string("Falha\n") + c.body + ".AC DEC 3 10 1000\n"));
        EXPECT_EQ(Last(1), std::vector<std::string>{c.line}) << c.body;
    }
}

TEST_F(DiagnosisFixture, CheckNamesADiodeRegionWithTheSettingsVdmax)
{
    // A diode without saturation current is open: node c, the last unknown, floats at the
    // initial 0.8 V.
    const std::string netlist = dir.Write("d.net", "Diodo\nR1 a 0 1\nD1 c 0 0\n.AC DEC 3 1 10\n");
    host.settings.Eg0 = "0";
    host.settings.CBcdiodos = false;
    host.settings.Einicio = "0.8";
    for (const char* vdmax : {"1", "0.7"}) {
        host.settings.Evdmax = vdmax;
        EXPECT_EQ(CheckNetlist(analysis, netlist), 1);
        EXPECT_EQ(Last(1)[0], std::string("Liga-se ao resto do circuito só por D1 (") +
                                  (vdmax[0] == '1' ? "direto" : "direto acima de Vdmax") + ").");
    }
}

TEST_F(DiagnosisFixture, CheckOfAMissingNetlistFails)
{
    EXPECT_EQ(CheckNetlist(analysis, dir.Path() + "/nada"), -1);
    EXPECT_EQ(Last(1)[0].rfind("Arquivo ", 0), 0u);
}

TEST_F(DiagnosisFixture, CheckOfACircuitWithoutUnknownsFindsNothing)
{
    EXPECT_EQ(CheckNetlist(analysis, dir.Write("v.net", "Vazio\nR1 0 0 1\n.AC DEC 3 1 10\n")), 0);
    EXPECT_EQ(Last(1)[0], "Nenhuma causa de sistema singular encontrada no sistema DC.");
}

TEST_F(DiagnosisFixture, LargestChangeInASourceCurrent)
{
    // i(v) = 1e6·|v| in parallel with 1 mΩ to a 0 V source cannot deliver the 500 kA drawn from
    // node n: Newton swings n between about ±0.5 V, and the source's current between ±500 A,
    // the largest change.
    const std::string netlist = dir.Write(
        "o.net", "Oscila\nV1 a 0 DC 0\nR1 a n 1e-3\nI1 n 0 DC 5e5\nN1 n 0 -1 1e6 0 0 1 1e6 2 "
                 "2e6\n.AC DEC 3 1 10\n");
    RunAnalysis(analysis, netlist);
    EXPECT_TRUE(analysis.circuit.RunFailed);
    EXPECT_EQ(Last(4), (std::vector<std::string>{"Análise de resposta em frequência não realizada.",
                                                 "O maior erro está na corrente jV1.",
                                                 "Nenhum dispositivo não linear se liga a V1.",
                                                 "N1 alterna entre os trechos 1 e 2."}));
}

TEST_F(DiagnosisFixture, DevicesOnEitherTerminalOfTheSource)
{
    // The same swing, with N2 across V1: on its first terminal, held at 0 V. N1, on ground
    // (V1's second terminal) but not on node a, is no device of V1's.
    const std::string netlist = dir.Write(
        "o.net", "Oscila\nV1 a 0 DC 0\nR1 a n 1e-3\nI1 n 0 DC 5e5\nN1 n 0 -1 1e6 0 0 1 1e6 2 "
                 "2e6\nN2 a 0 -1 -1 0 0 1 1 2 2\n.AC DEC 3 1 10\n");
    RunAnalysis(analysis, netlist);
    EXPECT_EQ(Last(3), (std::vector<std::string>{
                           "O maior erro está na corrente jV1.",
                           "Dispositivos ligados a V1 na última iteração: N2 (trecho 2, V=0).",
                           "N1 alterna entre os trechos 1 e 2."}));
}

TEST_F(DiagnosisFixture, DeviceSwingingThroughItsReverseRegion)
{
    // i(v) = |v| cannot carry the 1 A of I1: node 1 swings between ±1 V, N1 between its first
    // and third segments and D1, a diode too weak to help, between reverse and direct.
    host.settings.CBcdiodos = false;
    const std::string netlist =
        dir.Write("s.net", "Balanco\nI1 1 0 DC 1\nN1 1 0 -1 1 0 0 1 1 2 2\nD1 1 0 1e-30\n"
                           "V1 2 0 DC 0.5\nD2 2 0\n.AC DEC 3 1 10\n");
    RunAnalysis(analysis, netlist);
    EXPECT_EQ(Last(4), (std::vector<std::string>{
                           "O maior erro está na tensão do nó 1.",
                           "Dispositivos ligados a esse nó na última iteração: N1 (trecho 3, V=1) "
                           "e D1 (direto acima de Vdmax, Vd=1).",
                           "N1 alterna entre os trechos 1 e 3.",
                           "D1 alterna entre reverso e direto acima de Vdmax."}));
}

TEST_F(DiagnosisFixture, ThreeRegionChangesMakeADeviceRestless)
{
    // Two piecewise-linear resistors fed 4 A, replayed from 0.5 V: Newton visits 4.2 V through
    // N1's segments 2, 1, 2 and 3 (three changes) and N2's 1, 1, 2 and 3 (two), then settles.
    CircuitBuilder build(analysis.circuit, log);
    build.Add("I1", {"0", "1"}, {0, 0, 4});
    build.Add("N1", {"1", "0"}, {-1, -5, 0, -1, 2, -2, 4, 0});
    build.Add("N2", {"1", "0"}, {0, 0, 1, 0, 3, 2, 5, 5});
    build.Finish();
    analysis.op.V[1] = 0.5;
    analysis.failure = {RunFailure::Kind::DcConvergence, 1};
    DiagnoseFailedRun(analysis);
    EXPECT_EQ(sink.lines, (std::vector<std::string>{
                              "O maior erro está na tensão do nó 1.",
                              "Dispositivos ligados a esse nó na última iteração: N1 (trecho 2, "
                              "V=0.5) e N2 (trecho 1, V=0.5).",
                              "N1 alterna entre os trechos 1, 2 e 3."}));
}

TEST_F(DiagnosisFixture, RunFailingWithoutADiagnosisForgetsTheLastFailure)
{
    // A run that never converges, then one that cannot write its table (a directory stands in
    // its place): the second says only why it failed.
    RunAnalysis(analysis, dir.Write("n.net", "Sem solução\nI1 0 1 DC 1\nN1 1 0 -1 3 0 2 1 2.5 2 "
                                             "3.5\n.AC DEC 3 10 1000\n"));
    ASSERT_EQ(analysis.failure.kind, RunFailure::Kind::DcConvergence);
    sink.lines.clear();
    const std::string netlist =
        dir.Write("t.net", "Som\nI1 0 1 DC 1\nR1 1 0 1\n.AC DEC 3 10 1000\n");
    ASSERT_EQ(mkdir((dir.Path() + "/t.tab").c_str(), 0700), 0);
    RunAnalysis(analysis, netlist);
    EXPECT_EQ(sink.lines.back(), "Não foi possível criar o arquivo " + dir.Path() + "/t.tab.");
}

TEST_F(DiagnosisFixture, FailureNamingNoUnknownIsNotDiagnosed)
{
    const std::string netlist = dir.Write(
        "o.net", "Oscila\nV1 a 0 DC 0\nR1 a n 1e-3\nI1 n 0 DC 5e5\nN1 n 0 -1 1e6 0 0 1 1e6 2 "
                 "2e6\n.AC DEC 3 1 10\n");
    RunAnalysis(analysis, netlist);
    ASSERT_EQ(analysis.failure.kind, RunFailure::Kind::DcConvergence);
    for (int unknown : {-1, 0, analysis.circuit.variableCount + 1}) {
        sink.lines.clear();
        analysis.failure.unknown = unknown;
        DiagnoseFailedRun(analysis);
        EXPECT_TRUE(sink.lines.empty()) << unknown;
    }
}

// A netlist of 200 elements and 50 unknowns: the broken circuit on its own nodes (its failing
// element given last, as element 200), and sound resistors to ground from each node from
// firstPad to 50 that fill the rest without touching the broken circuit's equations.
std::string AtTheLimits(const std::string& broken, int firstPad, const std::string& last,
                        const std::string& command)
{
    std::string netlist = "No limite\n" + broken;
    int elements = static_cast<int>(std::count(broken.begin(), broken.end(), '\n')) + 1;
    const int padNodes = MaxVariables - firstPad + 1;
    for (int k = 0; elements < MaxElements; ++k, ++elements)
        netlist +=
            "R" + std::to_string(k) + " " + std::to_string(firstPad + k % padNodes) + " 0 1000\n";
    return netlist + last + command;
}

TEST_F(DiagnosisFixture, FailuresAtTheCircuitLimits)
{
    struct Case {
        const char* name;
        std::string broken;
        int firstPad;
        std::string last, command, g0;
        bool hertz;
        std::vector<std::string> diagnosis;
    } cases[] = {
        {"never converges",
         "I1 0 1 DC 1\n",
         2,
         "N1 1 0 -1 3 0 2 1 2.5 2 3.5\n",
         ".AC DEC 3 10 1000\n",
         "1e-9",
         true,
         {"O maior erro está na tensão do nó 1.",
          "Dispositivos ligados a esse nó na última iteração: N1 (trecho 3, V=1).",
          "N1 alterna entre os trechos 1 e 3."}},
        {"capacitor-only node",
         "I1 0 1 DC 1\nR1 1 0 1000\nC1 1 2 1e-6\n",
         3,
         "C2 2 0 1e-6\n",
         ".AC DEC 3 10 1000\n",
         "0",
         true,
         {"O nó 2 não tem caminho DC para a terra.",
          "Liga-se ao resto do circuito só por C1 (capacitor, aberto em DC com a condutância do P. "
          "O. (Eg0, --g0) igual a 0) e C2 "
          "(capacitor, aberto em DC com a condutância do P. O. (Eg0, --g0) igual a 0)."}},
        {"LC tank at resonance",
         "I1 0 1 1\nC1 1 0 1\n",
         2,
         "X1 1 0 1\n",
         ".AC LIN 3 0.5 1.5\n",
         "1e-9",
         false,
         {"Pivô nulo na tensão do nó 1 em f=1: o sistema é singular com os valores dados.",
          "A singularidade vem dos valores de C1 (C=1) e X1 (L=1)."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sink.lines.clear();
        host.settings.Eg0 = c.g0;
        host.settings.CBHz = c.hertz;
        RunAnalysis(analysis,
                    dir.Write("l.net", AtTheLimits(c.broken, c.firstPad, c.last, c.command)));
        ASSERT_EQ(analysis.circuit.elementCount, MaxElements);
        ASSERT_EQ(analysis.circuit.variableCount, MaxVariables);
        EXPECT_EQ(Last(c.diagnosis.size()), c.diagnosis);
    }
}

TEST_F(DiagnosisFixture, OnlyPivotsTheSolverRefusesAreBlamed)
{
    // A balanced bridge in O1's feedback, and node 9 held by R9 alone: a pivot of 1/R9. At
    // 5e-15 the solver takes it and fails on the bridge; at 5e-17 it fails there first.
    const char* bridge = "I1 0 3 DC 1e-3\nR1 1 2 1000\nR2 2 0 1000\nR3 1 3 1000\nR4 3 0 1000\n"
                         "O1 1 0 2 3\nR5 1 0 1000\n.AC DEC 3 10 1000\n";
    const struct {
        const char* r9;
        std::vector<std::string> diagnosis;
    } cases[] = {
        {"2e14",
         {"Pivô nulo na corrente jO1: o sistema é singular com os valores dados.",
          "A singularidade vem dos valores de R1 (R=1000), R2 (R=1000), R3 (R=1000) e R4 "
          "(R=1000)."}},
        {"2e16",
         {"Pivô quase nulo (5e-17) na tensão do nó 9: o sistema é quase singular com os valores "
          "dados.",
          "Estampam na linha e na coluna dessa incógnita: R9 (R=2e+16)."}},
    };
    for (const auto& c : cases) {
        RunAnalysis(analysis,
                    dir.Write("b.net", std::string("Ponte\nR9 9 0 ") + c.r9 + "\n" + bridge));
        EXPECT_EQ(Last(2), c.diagnosis) << c.r9;
    }
}

} // namespace
