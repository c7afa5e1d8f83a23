// The Plot run: curve lines, table reading with every message, the abandon rules and the
// limits exchange.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "common/message_log.h"
#include "plot/curve_store.h"
#include "plot/plot_run.h"
#include "test_support.h"

using namespace talvor;

namespace {

const char SweepTable[] = "f 1m 1f \n1 2 3\n10 4 -90\n100 8 350\n";

class PlotRun : public testing::Test {
protected:
    bool Run(const std::vector<std::string>& lines)
    {
        sink.lines.clear();
        return RunPlot(*store, lines, options, log);
    }
    bool Logged(const std::string& line) const { return HasLine(sink.lines, line); }
    bool LoggedStartOf(const std::string& start) const
    {
        return HasLineStartingWith(sink.lines, start);
    }
    std::string Dump() const { return JoinLines(sink.lines); }

    TempDir dir;
    RecordingSink sink;
    MessageLog log{sink};
    std::unique_ptr<CurveStore> store = std::make_unique<CurveStore>();
    PlotOptions options;
};

} // namespace

TEST_F(PlotRun, TheInitialListHasNothingToPlot)
{
    EXPECT_FALSE(Run({"* Curvas a plotar: <arquivo> <coluna x> <coluna y>"}));
    EXPECT_EQ(sink.lines, std::vector<std::string>{"Nada a plotar."});
    EXPECT_FALSE(store->plotReady);
}

TEST_F(PlotRun, ReadsASweepTableByColumnNamesWithEveryMessage)
{
    std::string path = dir.Write("exemplo.tab", SweepTable);
    ASSERT_TRUE(Run({path + " f 1m", path + " f 1f"}));
    const std::vector<std::string> expected = {
        "Lidos 4 valores",
        "Tabela 1: Arquivo: " + path + "; Col1: f; Col2: 1m",
        "Lidos 4 valores",
        "Tabela 2: Arquivo: " + path + "; Col1: f; Col2: 1f",
        "A coluna 2 da tabela 2 é de fase.",
        "Lendo arquivo " + path,
        "Colunas: f 1m 1f ",
        "Tabela 1: f x 1m",
        "A tabela 1, " + path + ", tem 3 linhas e está nas colunas 1 e 2.",
        "Lendo arquivo " + path,
        "Colunas: f 1m 1f ",
        "Tabela 2: f x 1f",
        "A tabela 2, " + path + ", tem 3 linhas e está nas colunas 1 e 3.",
    };
    EXPECT_EQ(sink.lines, expected);
    const Curve& magnitude = store->curves[1];
    EXPECT_EQ(magnitude.pointCount, 3);
    EXPECT_EQ(magnitude.x[2], 100);
    EXPECT_EQ(magnitude.y[2], 8);
    EXPECT_FALSE(magnitude.isPhase);
    EXPECT_TRUE(store->curves[2].isPhase);
    EXPECT_TRUE(store->anyPhase && store->plotReady && !store->pictureSaved);
    // The phase curve does not widen the vertical limits; both are positive, so Log-Log holds.
    EXPECT_EQ(options.Exmin, "1");
    EXPECT_EQ(options.Exmax, "100");
    EXPECT_EQ(options.Eymin, "2");
    EXPECT_EQ(options.Eymax, "8");
    EXPECT_TRUE(store->logX && store->logY);
}

TEST_F(PlotRun, ColumnsByNumberReportTheHeaderAsAnIgnoredLine)
{
    options.CBnomes = false;
    std::string path = dir.Write("t.tab", SweepTable);
    ASSERT_TRUE(Run({path + " 1 3"}));
    EXPECT_TRUE(Logged("Linha 1 ignorada: f 1m 1f ")) << Dump();
    EXPECT_FALSE(LoggedStartOf("Colunas:"));
    EXPECT_TRUE(Logged("A tabela 1, " + path + ", tem 3 linhas e está nas colunas 1 e 3."));
    EXPECT_EQ(store->curves[1].x[0], 1);
    EXPECT_EQ(store->curves[1].y[0], 3);
    EXPECT_EQ(store->curves[1].y[2], 350);
}

TEST_F(PlotRun, ColumnSpecsThatAreNotNumbersEndTheRunWhenNamesAreNotUsed)
{
    options.CBnomes = false;
    std::string path = dir.Write("t.tab", SweepTable);
    EXPECT_FALSE(Run({path + " f 1m"}));
    EXPECT_TRUE(Logged("As colunas tem que ser números se os nomes não são usados."));
    EXPECT_FALSE(store->plotReady);
    EXPECT_EQ(options.Exmin, "0"); // no limits exchange after an abandoned run
}

TEST_F(PlotRun, SkipsTextAndEmptyLinesAndNumbersMessagesByTheNextPoint)
{
    std::string path = dir.Write("t.tab", "x y\n1 10\n\n\nfim da parte 1\n2 20\n   \n3 30\n");
    ASSERT_TRUE(Run({path + " x y"}));
    EXPECT_TRUE(Logged("Linha 2 ignorada: fim da parte 1")) << Dump();
    EXPECT_TRUE(Logged("Linha 3 ignorada:    "));
    EXPECT_EQ(store->curves[1].pointCount, 3);
    EXPECT_EQ(store->curves[1].y[2], 30);
}

TEST_F(PlotRun, ALineWhoseColumnIsNotANumberIsSkippedNotStoredWithAnOldValue)
{
    std::string path = dir.Write("t.tab", "x y\n1 10\n2 abc\n3 30k\n");
    store->curves[1].y[1] = 777; // what an earlier run left in the slot
    ASSERT_TRUE(Run({path + " x y"}));
    EXPECT_TRUE(Logged("Linha 2 ignorada: 2 abc")) << Dump();
    EXPECT_EQ(store->curves[1].pointCount, 2);
    EXPECT_EQ(store->curves[1].x[1], 3);
    EXPECT_EQ(store->curves[1].y[1], 30); // "30k" reads as 30, as "%lg" does
}

TEST_F(PlotRun, MissingColumnsAndMissingFilesAbandonTheRun)
{
    std::string shortLine = dir.Write("s.tab", "a b c\n1 2 3\n4 5\n");
    EXPECT_FALSE(Run({shortLine + " a c"}));
    EXPECT_TRUE(Logged("Coluna 3 não encontrada na linha 2 da tabela 1 " + shortLine + "."))
        << Dump();
    EXPECT_FALSE(store->plotReady);
    EXPECT_EQ(store->curves[1].pointCount, 1); // points read before the stop stay

    EXPECT_FALSE(Run({shortLine + " a zz", shortLine + " a b"}));
    EXPECT_TRUE(Logged("Coluna zz não encontrada."));
    EXPECT_EQ(std::count(sink.lines.begin(), sink.lines.end(), "Lendo arquivo " + shortLine), 1);

    std::string missing = dir.Path() + "/nada.tab";
    EXPECT_FALSE(Run({shortLine + " a b", missing + " a b", shortLine + " a c"}));
    EXPECT_TRUE(Logged("Arquivo 2 não encontrado: " + missing));
    EXPECT_EQ(std::count(sink.lines.begin(), sink.lines.end(), "Lendo arquivo " + shortLine), 1);
}

TEST_F(PlotRun, MoreThanAThousandColumns)
{
    std::string header, row;
    for (int i = 1; i <= 1100; ++i) {
        header += "c" + std::to_string(i) + " ";
        row += std::to_string(i) + " ";
    }
    std::string wide = dir.Write("w.tab", header + "\n" + row + "\n");
    // Both names within the first 1000 columns: the rest of the header does not matter.
    ASSERT_TRUE(Run({wide + " c1 c1000"}));
    EXPECT_EQ(store->curves[1].y[0], 1000);
    EXPECT_FALSE(Run({wide + " c1 c1001"}));
    EXPECT_TRUE(Logged("Mais de 1000 colunas?!"));
    options.CBnomes = false;
    EXPECT_FALSE(Run({wide + " 1 1001"}));
    EXPECT_TRUE(LoggedStartOf("Linha 1 ignorada: c1 c2 c3"));
    EXPECT_TRUE(Logged("Mais de 1000 colunas?!")) << Dump();
}

TEST_F(PlotRun, StopsAtFiftyThousandPoints)
{
    struct Case {
        int rows;
        bool limitMessage;
    };
    for (Case c : {Case{49999, false}, Case{50000, true}, Case{50003, true}}) {
        std::string text = "x y\n";
        for (int i = 1; i <= c.rows; ++i)
            text += std::to_string(i) + " " + std::to_string(2 * i) + "\n";
        std::string path = dir.Write("big.tab", text);
        ASSERT_TRUE(Run({path + " x y"}));
        EXPECT_EQ(Logged("Número máximo de linhas, 50000, atingido."), c.limitMessage) << c.rows;
        EXPECT_EQ(store->curves[1].pointCount, std::min(c.rows, 50000));
        EXPECT_EQ(options.Exmax, c.rows < 50000 ? "49999" : "50000");
    }
}

TEST_F(PlotRun, TheTwentyFirstNonCommentLineEndsTheRunBeforeAnyTableIsRead)
{
    std::string path = dir.Write("t.tab", SweepTable);
    std::vector<std::string> lines(20, path + " f 1m");
    lines.insert(lines.begin() + 3, "* comentário");
    ASSERT_TRUE(Run(lines));
    EXPECT_EQ(store->curveCount, 20);

    lines.push_back(""); // even a line that would be refused
    EXPECT_FALSE(Run(lines));
    EXPECT_TRUE(Logged("Excedido o número máximo de curvas: 20."));
    EXPECT_FALSE(LoggedStartOf("Lendo arquivo"));
    EXPECT_FALSE(store->plotReady);

    // An empty line counts as one of the twenty.
    lines.assign(19, path + " f 1m");
    lines.push_back("");
    lines.push_back(path + " f 1f");
    EXPECT_FALSE(Run(lines));
    EXPECT_TRUE(Logged("Excedido o número máximo de curvas: 20."));
}

TEST_F(PlotRun, RefusedCurveLines)
{
    std::string path = dir.Write("t.tab", SweepTable);
    ASSERT_TRUE(Run({"", "semponto f 1m", path + " f", path + " f 1m"}));
    const std::vector<std::string> start = {
        "Lidos -1 valores", "Comando ignorado:[].",
        "Lidos 1 valores",  "Comando ignorado:[semponto f 1m].",
        "Lidos 3 valores",  "Comando ignorado:[" + path + " f].",
        "Lidos 4 valores",
    };
    EXPECT_EQ(std::vector<std::string>(sink.lines.begin(), sink.lines.begin() + 7), start);
    EXPECT_EQ(store->curveCount, 1);
}

TEST_F(PlotRun, AFileNameWithABlankAndAnOperation)
{
    std::string path = dir.Write("meu circuito.tab", SweepTable);
    ASSERT_TRUE(Run({path + " f 1m", path + " f 1f +"}));
    EXPECT_STREQ(store->curves[2].fileName, path.c_str());
    EXPECT_EQ(store->curves[2].operation, '+');
    EXPECT_TRUE(store->curves[2].isPhase);
    options.CBfase = false;
    ASSERT_TRUE(Run({path + " f 1f"}));
    EXPECT_FALSE(store->curves[1].isPhase);
    EXPECT_FALSE(LoggedStartOf("A coluna 2"));
}

TEST_F(PlotRun, LimitsExchangeBothWays)
{
    std::string path = dir.Write("t.tab", "x y\n0.5 -3\n2500 1e-7\n");
    options.RGescala = static_cast<int>(ScaleMode::LinearLinear);
    ASSERT_TRUE(Run({path + " x y"}));
    EXPECT_EQ(options.Exmin, "0.5");
    EXPECT_EQ(options.Exmax, "2500");
    EXPECT_EQ(options.Eymin, "-3");
    EXPECT_EQ(options.Eymax, "1e-07");

    options.CBescalas = true;
    options.Exmin = "";
    options.Exmax = " 40x";
    options.Eymin = "abc";
    options.Eymax = "1e3";
    ASSERT_TRUE(Run({path + " x y"}));
    EXPECT_EQ(store->viewXMin, 0.5); // no number: the computed limit stays
    EXPECT_EQ(store->viewXMax, 40);
    EXPECT_EQ(store->viewYMin, -3);
    EXPECT_EQ(store->viewYMax, 1000);
    EXPECT_EQ(options.Exmin, ""); // the fields are not rewritten
    // A field that is not one number alone is named, with the limit used.
    EXPECT_TRUE(Logged("Xmin (--limits): \"\" não é um número; usado 0.5.")) << Dump();
    EXPECT_TRUE(Logged("Xmax (--limits): \" 40x\" tem texto depois do número; usado 40."));
    EXPECT_TRUE(Logged("Ymin (--limits): \"abc\" não é um número; usado -3."));
    EXPECT_FALSE(LoggedStartOf("Ymax"));

    // A decimal comma reads as the point.
    options.Exmin = "2", options.Exmax = "30", options.Eymin = "-0,5", options.Eymax = "4";
    ASSERT_TRUE(Run({path + " x y"}));
    EXPECT_EQ(store->viewXMin, 2);
    EXPECT_EQ(store->viewXMax, 30);
    EXPECT_EQ(store->viewYMin, -0.5);
    EXPECT_EQ(store->viewYMax, 4);
    EXPECT_FALSE(LoggedStartOf("Ymin")) << Dump();
}

// A run without any accepted curve keeps the fields the user typed, whichever way the exchange
// would have gone.
TEST_F(PlotRun, NothingToPlotLeavesTheLimitFieldsAlone)
{
    for (bool useFields : {false, true}) {
        options.CBescalas = useFields;
        options.Exmin = "2", options.Exmax = "3", options.Eymin = "-4", options.Eymax = "5e3";
        EXPECT_FALSE(Run({"* só um comentário", "sem ponto f 1m"}));
        EXPECT_TRUE(Logged("Nada a plotar.")) << Dump();
        EXPECT_EQ(options.Exmin, "2");
        EXPECT_EQ(options.Exmax, "3");
        EXPECT_EQ(options.Eymin, "-4");
        EXPECT_EQ(options.Eymax, "5e3");
    }
}

TEST_F(PlotRun, FileBytesThatAreNotUtf8AreShownAsLatin1)
{
    std::string path = dir.Write("l.tab", "f tens\xe3o\n1 2\n");
    ASSERT_TRUE(Run({path + " f tens\xe3o"}));
    EXPECT_TRUE(Logged("Colunas: f tensão")) << Dump();
    EXPECT_TRUE(Logged("Tabela 1: f x tensão"));
}

// Only a name longer than one character that ends in "f" is a phase: the frequency column "f"
// itself is not.
TEST_F(PlotRun, PhaseColumnsByName)
{
    std::string path = dir.Write("t.tab", "1m f 1f ff\n1 2 3 4\n5 6 7 8\n");
    ASSERT_TRUE(Run({path + " 1m f", path + " 1m 1f", path + " 1m ff"}));
    EXPECT_FALSE(store->curves[1].isPhase);
    EXPECT_TRUE(store->curves[2].isPhase);
    EXPECT_TRUE(store->curves[3].isPhase);
    EXPECT_FALSE(Logged("A coluna 2 da tabela 1 é de fase.")) << Dump();
    EXPECT_TRUE(Logged("A coluna 2 da tabela 3 é de fase."));
}

// The computed limits reach the fields with six significant digits, as "%lg" writes them.
TEST_F(PlotRun, ComputedLimitsAreWrittenWithSixSignificantDigits)
{
    std::string path = dir.Write("t.tab", "x y\n0.1234567 -98765.4\n123456 0.000123456\n");
    options.RGescala = static_cast<int>(ScaleMode::LinearLinear);
    ASSERT_TRUE(Run({path + " x y"}));
    EXPECT_EQ(options.Exmin, "0.123457");
    EXPECT_EQ(options.Exmax, "123456");
    EXPECT_EQ(options.Eymin, "-98765.4");
    EXPECT_EQ(options.Eymax, "0.000123456");
}

// Each "Escala" item sets its own axes; an index outside the four items gives linear axes.
TEST_F(PlotRun, ScaleItemsChooseTheAxes)
{
    std::string path = dir.Write("t.tab", "x y\n1 2\n10 20\n");
    struct Case {
        int item;
        bool logX, logY;
    };
    for (Case c :
         {Case{0, false, false}, Case{1, true, true}, Case{2, false, true}, Case{3, true, false},
          Case{-1, false, false}, Case{4, false, false}, Case{31, false, false}}) {
        options.RGescala = c.item;
        ASSERT_TRUE(Run({path + " x y"}));
        EXPECT_EQ(store->logX, c.logX) << c.item;
        EXPECT_EQ(store->logY, c.logY) << c.item;
    }
}

// The graph window shows its saved picture while pictureSaved is set: a run that plotted clears
// it so that the next repaint draws the new curves; a run that failed leaves it.
TEST_F(PlotRun, ARunThatPlotsAsksForAFreshDrawing)
{
    std::string path = dir.Write("t.tab", SweepTable);
    store->pictureSaved = true;
    EXPECT_FALSE(Run({path + " f nada"}));
    EXPECT_TRUE(store->pictureSaved);
    ASSERT_TRUE(Run({path + " f 1m"}));
    EXPECT_FALSE(store->pictureSaved);
    EXPECT_TRUE(store->plotReady);
}
