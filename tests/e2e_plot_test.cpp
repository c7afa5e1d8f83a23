// talvor-plot end to end: curve lines in, log lines out, a PNG of the requested size written.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "e2e_support.h"
#include "test_support.h"

using namespace talvor;

namespace {

struct Result {
    int status;
    std::string output;
};

Result RunPlot(const std::string& arguments, const std::string& input = "")
{
    std::string command = std::string("cd /tmp && ") + FileSizeCap;
    if (!input.empty())
        command += "printf '%s' '" + input + "' | ";
    command += std::string(TALVOR_BINARY_DIR) + "/app/talvor-plot " + arguments + " 2>/dev/null";
    Result result{-1, ""};
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return result;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.output.append(buffer, got);
    int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// Width and height from a PNG file's header, 0 x 0 when it is not one.
std::pair<int, int> PngSize(const std::string& path)
{
    std::string bytes = ReadWholeFile(path);
    if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0)
        return {0, 0};
    auto at = [&](size_t i) {
        return (static_cast<unsigned char>(bytes[i]) << 24) |
               (static_cast<unsigned char>(bytes[i + 1]) << 16) |
               (static_cast<unsigned char>(bytes[i + 2]) << 8) |
               static_cast<unsigned char>(bytes[i + 3]);
    };
    return {static_cast<int>(at(16)), static_cast<int>(at(20))};
}

class PlotProgram : public testing::Test {
protected:
    void SetUp() override
    {
        if (!GuiProgramsBuilt)
            GTEST_SKIP() << "talvor-plot is not built (TALVOR_BUILD_GUI=OFF)";
        table = dir.Write("exemplo.tab", "f 1m 1f \n1 1 0\n10 0.5 -45\n100 0.1 -85\n");
        curves = dir.Write("curvas.txt", "* curvas\n" + table + " f 1m\n" + table + " f 1f\n");
        picture = dir.Path() + "/figura.png";
    }
    TempDir dir;
    std::string table, curves, picture;
};

} // namespace

TEST_F(PlotProgram, WritesThePictureAndPrintsTheLog)
{
    Result result = RunPlot(curves + " -o " + picture);
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("Colunas: f 1m 1f \n"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("A coluna 2 da tabela 2 é de fase.\n"), std::string::npos);
    EXPECT_NE(
        result.output.find("A tabela 2, " + table + ", tem 3 linhas e está nas colunas 1 e 3.\n"),
        std::string::npos);
    EXPECT_EQ(PngSize(picture), std::make_pair(761, 471));
}

TEST_F(PlotProgram, OptionsAndCurveLinesFromStandardInput)
{
    Result result = RunPlot("--scale=lin-lin --columns-by-number --no-phase --limits=0,100,-90,1 "
                            "--each-own-scale --mark-points --ticks --size=320x200 - -o " +
                                picture,
                            table + " 1 3\\n");
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("Linha 1 ignorada: f 1m 1f \n"), std::string::npos)
        << result.output;
    EXPECT_EQ(result.output.find("é de fase"), std::string::npos);
    EXPECT_EQ(PngSize(picture), std::make_pair(320, 200));
}

// FACTOR times the pixels of the size, drawn as on a screen of that many pixels per unit; the
// log is the same.
TEST_F(PlotProgram, PicturesForPrintAtAPixelRatio)
{
    const Result plain = RunPlot(curves + " --size=400x300 -o " + picture);
    ASSERT_EQ(plain.status, 0);
    const std::string plainBytes = ReadWholeFile(picture);
    struct Case {
        const char* ratio;
        int width, height;
    };
    for (Case c : {Case{"1", 400, 300}, Case{"2", 800, 600}, Case{"1.5", 600, 450},
                   Case{"3.01", 1204, 903}}) {
        Result result =
            RunPlot(curves + " --size=400x300 --pixel-ratio=" + c.ratio + " -o " + picture);
        EXPECT_EQ(result.status, 0) << c.ratio;
        EXPECT_EQ(result.output, plain.output) << c.ratio;
        EXPECT_EQ(PngSize(picture), std::make_pair(c.width, c.height)) << c.ratio;
    }
    RunPlot(curves + " --size=400x300 --pixel-ratio=1 -o " + picture);
    EXPECT_TRUE(ReadWholeFile(picture) == plainBytes); // a ratio of 1 is the plain picture

    const std::string huge = dir.Path() + "/enorme.png";
    Result result = RunPlot(curves + " --size=8000x8000 --pixel-ratio=4 -o " + huge);
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.output.find("Não foi possível criar uma figura de 32000 x 32000 pixels.\n"),
              std::string::npos)
        << result.output;
    EXPECT_EQ(PngSize(huge), std::make_pair(0, 0));
}

TEST_F(PlotProgram, NoPictureWhenThereIsNothingToPlot)
{
    std::string empty =
        dir.Write("vazio.txt", "* Curvas a plotar: <arquivo> <coluna x> <coluna y>\n");
    Result result = RunPlot(empty + " -o " + picture);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.output, "Nada a plotar.\n");
    EXPECT_EQ(PngSize(picture), std::make_pair(0, 0));

    std::string missing = dir.Write("falta.txt", dir.Path() + "/nada.tab f 1m\n");
    result = RunPlot(missing + " -o " + picture);
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.output.find("Arquivo 1 não encontrado: "), std::string::npos);

    result = RunPlot(dir.Path() + "/semcurvas.txt -o " + picture);
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.output.find("Arquivo de curvas não encontrado: "), std::string::npos);

    result = RunPlot(curves + " -o " + dir.Path() + "/nao/existe.png");
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.output.find("Não foi possível gravar a figura"), std::string::npos);
}

TEST_F(PlotProgram, AWrongCommandLineExitsWithStatusTwo)
{
    const std::string wrong[] = {
        "",
        curves,
        "-o " + picture,
        curves + " -o " + picture + " --scale=log",
        curves + " -o " + picture + " --limits=1,2,3",
        curves + " -o " + picture + " --limits=1,2,x,4",
        curves + " -o " + picture + " --size=10x10",
        curves + " -o " + picture + " --pixel-ratio=0.5",
        curves + " -o " + picture + " --pixel-ratio=4.5",
        curves + " -o " + picture + " --pixel-ratio=2x",
        curves + " -o " + picture + " --pixel-ratio=nan",
        curves + " -o " + picture + " --bogus",
        curves + " " + curves + " -o " + picture,
        curves + " -o " + picture + " --measure=1",
        curves + " -o " + picture + " --measure-units=",
        curves + " -o " + picture + " --measure-units=db,",
        curves + " -o " + picture + " --measure-units=dB",
    };
    for (const std::string& arguments : wrong)
        EXPECT_EQ(RunPlot(arguments).status, 2) << arguments;
    Result help = RunPlot("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.output.find("uso: talvor-plot"), std::string::npos);
}

TEST_F(PlotProgram, MeasuresEveryCurveWhenAsked)
{
    Result result = RunPlot(curves + " -o " + picture);
    EXPECT_EQ(result.output.find("Medidas"), std::string::npos);

    result = RunPlot("--measure " + curves + " -o " + picture);
    EXPECT_EQ(result.status, 0) << result.output;
    const std::vector<std::string> lines = SplitLines(result.output);
    EXPECT_TRUE(ContainsInOrder(
        lines, {"Medidas da curva 1 (" + table + ", f x 1m, fase em 1f):",
                "  Unidades: módulo linear (suposto), fase em graus (suposta), frequência em Hz "
                "(suposta).",
                "  Ganho no início (1 Hz): 1 (0 dB)",
                "Medidas da curva 2 (" + table + ", f x 1f): curva de fase, sem medidas próprias.",
                "Figura gravada no arquivo " + picture + "."}))
        << result.output;

    result = RunPlot("--measure --measure-units=db,rad,rad/s " + curves + " -o " + picture);
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_TRUE(HasLine(SplitLines(result.output),
                        "  Unidades: módulo em dB, fase em radianos, frequência em rad/s."))
        << result.output;
}

// The example analysed by talvor-cli and drawn into an SVG: a whole document whose text elements
// are the labels of the axes' decades and the titles; without --ticks only the limits are
// labelled, and the picture is written the same way whatever the case of ".svg".
TEST_F(PlotProgram, VectorPicturesOfTheExample)
{
    CopyInto(TALVOR_EXAMPLES "/exemplo.net", dir.Path());
    ASSERT_EQ(RunCli("exemplo", dir.Path()).status, 0);
    const std::string example = dir.Write("exemplo.txt", dir.Path() + "/exemplo.tab f 2m\n");
    auto texts = [](const std::string& svg) {
        std::vector<std::string> found;
        for (size_t at = svg.find("<text"); at != std::string::npos;
             at = svg.find("<text", at + 1)) {
            const size_t start = svg.find('>', at) + 1;
            found.push_back(svg.substr(start, svg.find("</text>", start) - start));
        }
        return found;
    };
    const std::string svg = dir.Path() + "/figura.svg";
    Result result = RunPlot("--ticks --measure-units=hz " + example + " -o " + svg);
    ASSERT_EQ(result.status, 0) << result.output;
    const std::string document = ReadWholeFile(svg);
    EXPECT_EQ(document.rfind("<?xml", 0), 0u);
    EXPECT_NE(document.find("</svg>"), std::string::npos);
    const std::vector<std::string> ticked = texts(document);
    for (const char* text : {"1", "10", "100", "1k", "10k", "100k", "f (Hz)", "módulo"})
        EXPECT_NE(std::find(ticked.begin(), ticked.end(), text), ticked.end()) << text;

    const std::string plain = dir.Path() + "/figura.SVG";
    ASSERT_EQ(RunPlot(example + " -o " + plain).status, 0);
    const std::vector<std::string> limits = texts(ReadWholeFile(plain));
    EXPECT_EQ(std::find(limits.begin(), limits.end(), "1k"), limits.end());
    EXPECT_NE(std::find(limits.begin(), limits.end(), "100000"), limits.end());
    EXPECT_EQ(PngSize(plain), std::make_pair(0, 0));
}
