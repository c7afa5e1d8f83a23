// The table reader: lines of any length, numbers scanned as "%lg" does, and table names that are
// not regular files, where the Plot run stops at once with the not-found line instead of reading
// nothing from a folder, or for ever from a device or a pipe.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/message_log.h"
#include "plot/curve_store.h"
#include "plot/plot_run.h"
#include "plot/table_reader.h"
#include "test_support.h"

using namespace talvor;

TEST(PlotTableFiles, OnlyRegularFilesAreRead)
{
    TempDir dir;
    std::filesystem::create_directory(dir.Path() + "/pasta.tab");
    std::filesystem::create_symlink("/dev/zero", dir.Path() + "/zeros.tab");
    const std::string pipe = dir.Path() + "/cano.tab";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    auto store = std::make_unique<CurveStore>();
    for (const char* name : {"pasta.tab", "zeros.tab", "cano.tab"}) {
        const std::string path = dir.Path() + "/" + name;
        RecordingSink sink;
        MessageLog log(sink);
        PlotOptions options;
        EXPECT_FALSE(RunPlot(*store, {path + " f 1m"}, options, log)) << name;
        ASSERT_FALSE(sink.lines.empty());
        EXPECT_EQ(sink.lines.back(), "Arquivo 1 não encontrado: " + path);
    }
}

TEST(PlotTableFiles, ReadingLeavesNoFileOpen)
{
    TempDir dir;
    const std::string table = dir.Write("t.tab", "f 1m 1f \n1 2 3\n10 4 5\n");
    const std::string shortRow = dir.Write("s.tab", "f 1m 1f \n1 2\n");
    auto store = std::make_unique<CurveStore>();
    RecordingSink sink;
    MessageLog log(sink);
    PlotOptions options;
    RunPlot(*store, {table + " f 1m"}, options, log);
    const size_t before = OpenFileCount();
    for (int k = 0; k < 3; ++k) {
        EXPECT_TRUE(RunPlot(*store, {table + " f 1m", table + " f 1f"}, options, log));
        EXPECT_FALSE(RunPlot(*store, {table + " f zz"}, options, log));
        EXPECT_FALSE(RunPlot(*store, {shortRow + " f 1f"}, options, log));
        EXPECT_EQ(SuggestedYColumn(table.c_str()), "1m");
    }
    EXPECT_EQ(OpenFileCount(), before);
}

namespace {

struct PlotLog {
    std::vector<std::string> lines;
    bool ready = false;
};

std::vector<double> FirstThree(const PointSlots& values)
{
    return std::vector<double>(values.data(), values.data() + 3);
}

PlotLog Plot(CurveStore& store, const std::vector<std::string>& curveLines, bool byName)
{
    RecordingSink sink;
    MessageLog log(sink);
    PlotOptions options;
    options.CBnomes = byName;
    PlotLog result;
    result.ready = RunPlot(store, curveLines, options, log);
    result.lines = sink.lines;
    return result;
}

} // namespace

TEST(ReadCurveTable, AnyColumnCanBeXOrY)
{
    // x after y, y in column 1, a text word in the x column, empty lines skipped silently.
    TempDir dir;
    const std::string path =
        dir.Write("t.tab", "a b c\n1 10 100\n\n2 abc 200\n\n\n3 30 300\n4 40 400 fim\n");
    auto store = std::make_unique<CurveStore>();
    const PlotLog run = Plot(*store, {path + " 2 1", path + " 3 2"}, false);
    ASSERT_TRUE(run.ready);
    const std::vector<std::string> reading(run.lines.begin() + 4, run.lines.end());
    const std::vector<std::string> expected = {
        "Lendo arquivo " + path,
        "Linha 1 ignorada: a b c",
        "Linha 2 ignorada: 2 abc 200",
        "A tabela 1, " + path + ", tem 3 linhas e está nas colunas 2 e 1.",
        "Lendo arquivo " + path,
        "Linha 1 ignorada: a b c",
        "Linha 2 ignorada: 2 abc 200",
        "A tabela 2, " + path + ", tem 3 linhas e está nas colunas 3 e 2.",
    };
    EXPECT_EQ(reading, expected) << JoinLines(run.lines);
    const Curve& first = store->curves[1];
    EXPECT_EQ(FirstThree(first.x), (std::vector<double>{10, 30, 40}));
    EXPECT_EQ(FirstThree(first.y), (std::vector<double>{1, 3, 4}));
    const Curve& second = store->curves[2];
    EXPECT_EQ(FirstThree(second.x), (std::vector<double>{100, 300, 400}));
    EXPECT_EQ(FirstThree(second.y), (std::vector<double>{10, 30, 40}));
}

TEST(ReadCurveTable, ALineWithoutTheXColumnEndsTheRun)
{
    TempDir dir;
    const std::string path = dir.Write("t.tab", "1 2 3 4\n5 6\n");
    auto store = std::make_unique<CurveStore>();
    const PlotLog run = Plot(*store, {path + " 4 2"}, false);
    EXPECT_FALSE(run.ready);
    EXPECT_EQ(run.lines.back(), "Coluna 4 não encontrada na linha 2 da tabela 1 " + path + ".");
    EXPECT_EQ(store->curves[1].pointCount, 1);
}

TEST(ReadCurveTable, AnEmptyTableHasAnEmptyHeader)
{
    TempDir dir;
    const std::string path = dir.Write("vazia.tab", "");
    auto store = std::make_unique<CurveStore>();
    const PlotLog byName = Plot(*store, {path + " f 1m"}, true);
    EXPECT_FALSE(byName.ready);
    const std::vector<std::string> end(byName.lines.end() - 3, byName.lines.end());
    EXPECT_EQ(end, (std::vector<std::string>{"Lendo arquivo " + path,
                                             "Colunas: ", "Coluna f não encontrada."}));
    const PlotLog byNumber = Plot(*store, {path + " 1 2"}, false);
    EXPECT_EQ(byNumber.lines.back(),
              "A tabela 1, " + path + ", tem 0 linhas e está nas colunas 1 e 2.");
}

TEST(ReadCurveTable, AFailedReadLeavesTheCurveWithoutPoints)
{
    TempDir dir;
    const std::string path = dir.Write("t.tab", "x y\n1 2\n3 4\n");
    auto store = std::make_unique<CurveStore>();
    ASSERT_TRUE(Plot(*store, {path + " x y"}, true).ready);
    ASSERT_EQ(store->curves[1].pointCount, 2);
    std::snprintf(store->curves[1].yName, sizeof store->curves[1].yName, "z");
    RecordingSink sink;
    MessageLog log(sink);
    LineReader reader;
    EXPECT_FALSE(ReadCurveTable(*store, 1, true, reader, log));
    EXPECT_EQ(sink.lines.back(), "Coluna z não encontrada.");
    EXPECT_EQ(store->curves[1].pointCount, 0);
}

TEST(SuggestedYColumn, NodeOneWhenTheTableHasItElseTheFirstMagnitudeColumn)
{
    TempDir dir;
    struct Case {
        std::optional<std::string> table; // none: no such file
        const char* column;
    };
    const Case cases[] = {
        {"f 1m 1f 2m 2f \n1 2 3 4 5\n", "1m"},
        {"f 10m 10f 1m 1f \n", "1m"},
        {"f entradam entradaf saidam saidaf \n1 2 3 4 5\n", "entradam"},
        {" \tf\tvoutm voutf\r\n", "voutm"},
        // A header is read in a buffer of 2000 bytes: a "1m" that it cuts is not seen.
        {"f voutm voutf" + std::string(1985, ' ') + "1m 1f\n", "voutm"},
        {"f voutm voutf" + std::string(1984, ' ') + "1m 1f\n", "1m"},
        {"f\n1\n", "1m"},
        {"", "1m"},
        {std::nullopt, "1m"},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string path = dir.Path() + "/t" + std::to_string(++n) + ".tab";
        if (c.table)
            dir.Write("t" + std::to_string(n) + ".tab", *c.table);
        EXPECT_EQ(SuggestedYColumn(path.c_str()), c.column) << n;
    }
    EXPECT_EQ(SuggestedYColumn(dir.Path().c_str()), "1m"); // a folder
}

TEST(LineReader, ReturnsWholeLinesOfAnyLengthWithoutTheirLineEnds)
{
    TempDir dir;
    std::string longLine(5000, 'z');
    std::string path = dir.Write("l.txt", "a\r\n\n" + longLine + "\nlast");
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    LineReader reader(16);
    reader.Start(file);
    std::vector<std::string> lines;
    char* line;
    size_t length;
    while (reader.Next(line, length)) {
        EXPECT_EQ(std::char_traits<char>::length(line), length);
        lines.emplace_back(line, length);
    }
    std::fclose(file);
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "", longLine, "last"}));
}

TEST(LineReader, CutsALineLongerThanItsLimitAndSkipsItsRest)
{
    TempDir dir;
    std::string path =
        dir.Write("l.txt", "1 2\n" + std::string(100, '7') + " 8\n3 4\n" + std::string(50, '9'));
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    LineReader reader(16, 40);
    reader.Start(file);
    std::vector<std::string> lines;
    char* line;
    size_t length;
    while (reader.Next(line, length))
        lines.emplace_back(line, length);
    std::fclose(file);
    EXPECT_EQ(lines,
              (std::vector<std::string>{"1 2", std::string(40, '7'), "3 4", std::string(40, '9')}));
}

namespace {

// The lines a reader with the given limit owes for text: split at each "\n" (no line after a
// final one), each cut to the limit, then one "\r" dropped from its end.
std::vector<std::string> LinesCutAt(const std::string& text, size_t limit)
{
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        size_t end = std::min(text.find('\n', start), text.size());
        std::string line = text.substr(start, std::min(end - start, limit));
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// Every line the reader gives for the file, at most maxLines of them (a reader that never ends
// shows up as a wrong list, not a hang).
std::vector<std::string> ReadLines(LineReader& reader, const std::string& path,
                                   size_t maxLines = 10000)
{
    std::vector<std::string> lines;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return lines;
    reader.Start(file);
    char* line;
    size_t length;
    while (lines.size() < maxLines && reader.Next(line, length)) {
        EXPECT_EQ(std::char_traits<char>::length(line), length);
        lines.emplace_back(line, length);
    }
    std::fclose(file);
    return lines;
}

// Lines of every length from 0 to 70 in a scrambled order, some ending in "\r\n", so that the
// line ends fall everywhere in a small buffer: at its first byte, its last, one byte before
// its end.
std::string ScrambledLines(unsigned seed, bool finalLineEnd)
{
    std::string text;
    unsigned state = seed;
    for (int i = 0; i < 120; ++i) {
        state = state * 1103515245u + 12345u;
        size_t length = (state >> 16) % 71;
        for (size_t c = 0; c < length; ++c)
            text += static_cast<char>('a' + (i + c) % 26);
        text += (state >> 8) % 5 == 0 ? "\r\n" : "\n";
    }
    if (!finalLineEnd)
        text += "sem fim de linha";
    return text;
}

} // namespace

TEST(LineReader, SameLinesWhateverTheBufferAndTheLimit)
{
    TempDir dir;
    std::vector<std::string> texts = {"", "\n", "\nabcdefghijklmn\nX", "0123456789abc\nXYZ\n",
                                      "\n\n\r\n" + std::string(45, 'q') + "\nfim"};
    for (unsigned seed : {1u, 2u, 3u})
        for (bool finalLineEnd : {false, true})
            texts.push_back(ScrambledLines(seed, finalLineEnd));
    for (size_t t = 0; t < texts.size(); ++t) {
        const std::string path = dir.Write("t" + std::to_string(t) + ".txt", texts[t]);
        for (size_t initialSize : {0, 16, 17, 31, 100, 1 << 20}) {
            for (size_t limit : {1, 3, 13, 14, 15, 16, 40, 44, 1 << 24}) {
                LineReader reader(initialSize, limit);
                EXPECT_EQ(ReadLines(reader, path), LinesCutAt(texts[t], limit))
                    << "text " << t << ", buffer " << initialSize << ", limit " << limit;
            }
        }
    }
}

TEST(LineReader, ALimitOfZeroStillReachesTheEndOfTheFile)
{
    TempDir dir;
    const std::string path = dir.Write("z.txt", "abc\n\nde");
    LineReader reader(16, 0);
    EXPECT_EQ(ReadLines(reader, path, 10), (std::vector<std::string>{"a", "", "d"}));
}

TEST(LineReader, ANewFileStartsAfreshAfterACutLine)
{
    // The first file ends inside a cut line, whose rest the reader was still skipping.
    TempDir dir;
    const std::string cut = dir.Write("a.txt", "1 2\n" + std::string(60, '7'));
    const std::string next = dir.Write("b.txt", "3 4\n5 6\n");
    LineReader reader(16, 40);
    EXPECT_EQ(ReadLines(reader, cut), (std::vector<std::string>{"1 2", std::string(40, '7')}));
    EXPECT_EQ(ReadLines(reader, next), (std::vector<std::string>{"3 4", "5 6"}));
}

TEST(ScanTableNumber, ConvertsAsLgDoes)
{
    struct Case {
        const char* word;
        bool ok;
        double value;
    };
    const Case cases[] = {
        {"12 34", true, 12}, {"-2.5e3", true, -2500}, {"1k", true, 1},           {"+3", true, 3},
        {"1e", true, 1},     {"0x10", true, 16},      {"abc", false, 0},         {"-", false, 0},
        {".", false, 0},     {"e5", false, 0},        {"1e400", true, HUGE_VAL}, {"0.1", true, 0.1},
        {"1e-400", true, 0}, {"", false, 0},
    };
    for (const Case& c : cases) {
        double value = -7;
        EXPECT_EQ(ScanTableNumber(c.word, value), c.ok) << c.word;
        if (c.ok) {
            EXPECT_EQ(value, c.value) << c.word;
        }
    }
    double value = 0;
    EXPECT_TRUE(ScanTableNumber("nan", value));
    EXPECT_TRUE(std::isnan(value));
}
