// Names that come from the netlist are shown in every report of the analysis as the reader
// shows them: as UTF-8 when they are UTF-8, else read as Latin-1, never as broken sequences.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "analysis/run_analysis.h"
#include "analysis_test_circuit.h"
#include "common/c_text.h"
#include "test_support.h"

using namespace talvor;

TEST(DisplayNames, EveryReportShowsLatin1NamesAsUtf8)
{
    TempDir dir;
    // "nó", "saída", "Ré", "Dá", "Mé" and "Qú" in Latin-1 bytes.
    const std::string netlist =
        dir.Write("latin1.net", "Nomes em Latin-1\nV1 n\xf3 0 DC 5\nR\xe9 n\xf3 sa\xed"
                                "da 1000\n"
                                "D\xe1 sa\xed"
                                "da 0\nM\xe9 n\xf3 sa\xed"
                                "da 0 0 N\nQ\xfa n\xf3 sa\xed"
                                "da 0 N\n"
                                "R0 sa\xed"
                                "da 0 0\n.AC DEC 2 10 100\n");
    TestHost host;
    host.settings.CBestampas = host.settings.CBresultados = true;
    RecordingSink sink;
    MessageLog log(sink);
    auto analysis = std::make_unique<Analysis>(log, host);
    RunAnalysis(*analysis, netlist);
    bool sawName = false;
    for (const std::string& line : sink.lines) {
        EXPECT_TRUE(IsValidUtf8(line)) << line;
        sawName = sawName || line.find("sa\xc3\xad"
                                       "da") != std::string::npos;
    }
    EXPECT_TRUE(sawName);
    // R0 of zero ohms ends the operating point with an arithmetic fault naming it.
    EXPECT_TRUE(Contains(sink.lines, "Erro aritmético na estampa de R0."));

    // The same circuit without the faulty resistor reaches the device reports and the sweep.
    const std::string good =
        dir.Write("latin1b.net", "Nomes em Latin-1\nV1 n\xf3 0 DC 5\nR\xe9 n\xf3 sa\xed"
                                 "da 1000\n"
                                 "D\xe1 sa\xed"
                                 "da 0\n.AC DEC 2 10 100\n");
    sink.lines.clear();
    RunAnalysis(*analysis, good);
    for (const std::string& line : sink.lines)
        EXPECT_TRUE(IsValidUtf8(line)) << line;
    EXPECT_TRUE(Contains(sink.lines, "Análise terminada com sucesso."));
}
