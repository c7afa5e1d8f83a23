// The table reader: lines of any length, numbers scanned as "%lg" does, and table names that are
// not regular files, where the Plot run stops at once with the not-found line instead of reading
// nothing from a folder, or for ever from a device or a pipe.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/message_log.h"
#include "plot/curve_store.h"
#include "plot/plot_run.h"
#include "plot/table_reader.h"
#include "test_support.h"

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

TEST(SuggestedYColumn, NodeOneWhenTheTableHasItElseTheFirstMagnitudeColumn)
{
    TempDir dir;
    struct Case {
        const char* table; // null: no such file
        const char* column;
    };
    const Case cases[] = {
        {"f 1m 1f 2m 2f \n1 2 3 4 5\n", "1m"},
        {"f 10m 10f 1m 1f \n", "1m"},
        {"f entradam entradaf saidam saidaf \n1 2 3 4 5\n", "entradam"},
        {" \tf\tvoutm voutf\r\n", "voutm"},
        {"f\n1\n", "1m"},
        {"", "1m"},
        {nullptr, "1m"},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string path = dir.Path() + "/t" + std::to_string(++n) + ".tab";
        if (c.table != nullptr)
            dir.Write("t" + std::to_string(n) + ".tab", c.table);
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
        EXPECT_EQ(ScanTableNumber(c.word, c.word + std::strlen(c.word), value), c.ok) << c.word;
        if (c.ok) {
            EXPECT_EQ(value, c.value) << c.word;
        }
    }
    double value = 0;
    EXPECT_TRUE(ScanTableNumber("nan", "nan" + 3, value));
    EXPECT_TRUE(std::isnan(value));
}
