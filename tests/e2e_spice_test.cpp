// talvor-spice end to end: every deck of tests/data/spice converted by the built program,
// analysed by talvor-cli and compared with ngspice's results (stored by the folder's regenerate
// script) column by column, by name; then the command line, the exit statuses and the files the
// program writes or refuses to write.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "test_support.h"

using namespace talvor;

namespace {

namespace fs = std::filesystem;

const std::string DeckDir = TALVOR_TEST_DATA "/spice";

std::string Lowered(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// What the netlist's comment block says about names: the new names (deck name → Talvor name)
// and the currents of sensing sources that became F or H inputs (deck source → column).
struct NameNotes {
    std::map<std::string, std::string> renamed;
    std::map<std::string, std::string> movedCurrents;
};

// Lines "*   NEW = DECK" and "* Corrente de DECK (0 V) = COLUMN: ...".
NameNotes ReadNameNotes(const std::string& netlist)
{
    NameNotes notes;
    for (const std::string& line : SplitLines(netlist)) {
        std::vector<std::string> words = SplitFields(line);
        if (words.size() == 4 && words[0] == "*" && words[2] == "=" && line.rfind("*   ", 0) == 0)
            notes.renamed[Lowered(words[3])] = words[1];
        else if (line.rfind("* Corrente de ", 0) == 0 && words.size() > 7 && words[4] == "(0" &&
                 words[6] == "=")
            notes.movedCurrents[Lowered(words[3])] = words[7].substr(0, words[7].size() - 1);
    }
    return notes;
}

// The Talvor column (without its m or f) of an ngspice vector: v(node) or i(source); ngspice
// runs a POLY source as the code model "a$poly$NAME".
std::string TalvorColumn(const std::string& vector, const NameNotes& notes)
{
    std::string name = Lowered(vector.substr(2, vector.size() - 3));
    if (name.rfind("a$poly$", 0) == 0)
        name.erase(0, 7);
    if (vector[0] == 'v') {
        auto found = notes.renamed.find(name);
        return found != notes.renamed.end() ? found->second : name;
    }
    auto moved = notes.movedCurrents.find(name);
    if (moved != notes.movedCurrents.end())
        return moved->second;
    auto found = notes.renamed.find(name);
    std::string element = found != notes.renamed.end() ? found->second : name;
    return (std::tolower(element[0]) == 'h' ? "jx" : "j") + element;
}

int FindColumn(const Table& table, const std::string& name)
{
    for (size_t k = 0; k < table.names.size(); ++k)
        if (Lowered(table.names[k]) == Lowered(name))
            return static_cast<int>(k);
    return -1;
}

int RowAt(const Table& table, double f)
{
    for (size_t k = 0; k < table.rows.size(); ++k)
        if (std::fabs(std::atof(table.rows[k][0].c_str()) - f) <=
            1e-5 * f) // Talvor writes six digits
            return static_cast<int>(k);
    return -1;
}

double PhaseDifference(double a, double b)
{
    double d = std::fmod(std::fabs(a - b), 360.0);
    return d > 180 ? 360 - d : d;
}

// Magnitude and phase agree to tolerance, relative; the phase relative to itself but at least
// to one radian, so that a phase near zero is not held to nothing.
void CompareColumn(const Table& expected, size_t k, const Table& ours, int column, double tolerance,
                   const std::string& what)
{
    double largest = 0;
    for (const auto& row : expected.rows)
        largest = std::fmax(largest, std::fabs(std::atof(row[k].c_str())));
    for (const auto& row : expected.rows) {
        const double f = std::atof(row[0].c_str());
        const int at = RowAt(ours, f);
        ASSERT_GE(at, 0) << what << ": Talvor has no row at f = " << f;
        const double want = std::atof(row[k].c_str());
        const double got = std::atof(ours.rows[at][column].c_str());
        if (want <= 1e-9 * largest + 1e-15) { // nothing but rounding, in both programs
            EXPECT_LE(got, 1e-6 * largest + 1e-12) << what << " at f = " << f;
            continue;
        }
        EXPECT_LE(std::fabs(got - want), tolerance * want)
            << what << " magnitude at f = " << f << ": " << got << " against " << want;
        const double wantPhase = std::atof(row[k + 1].c_str());
        const double gotPhase = std::atof(ours.rows[at][column + 1].c_str());
        EXPECT_LE(PhaseDifference(gotPhase, wantPhase),
                  tolerance * std::fmax(std::fabs(wantPhase), 57.29577951308232))
            << what << " phase at f = " << f << ": " << gotPhase << " against " << wantPhase;
    }
}

struct DeckCase {
    const char* deck;
    const char* options; // of talvor-cli
    double tolerance;    // relative, magnitude and phase
};

// Where the models map exactly the results agree to 1e-5 (Talvor's table has six digits). Decks
// with junctions run with --g0=1e-12: ngspice puts GMIN = 1e-12 S across every junction, where
// Talvor puts g0 (1e-9 by default). The looser tolerances are those the decks state, with why.
constexpr double Exact = 1e-5;
const char* const Gmin = "--g0=1e-12";
const DeckCase Decks[] = {
    {"rc_lowpass", "", Exact},
    {"rlc_bandpass", "", Exact},
    {"continuation", "", Exact},
    {"params", "", Exact},
    {"expressions", "", Exact},
    {"subckt_rc", "", Exact},
    {"nested_subckt", "", Exact},
    {"controlled_eg", "", Exact},
    {"sensing_zero", "", Exact},
    {"sensing_value", Gmin, Exact},
    {"transformer", "", Exact},
    {"tline", "", Exact},
    {"sources", Gmin, Exact},
    {"temperature", "", Exact},
    {"diode_forward", Gmin, Exact},
    {"varactor", Gmin, Exact},
    {"bjt_ce", Gmin, Exact},
    {"bjt_pnp", Gmin, Exact},
    {"amplifier_subckt", Gmin, Exact},
    {"mos_cs", Gmin, Exact},
    {"mos_cmos", Gmin, Exact},
    {"bjt_parasitics", Gmin, Exact},
    {"lib_sections", "--g0=1e-12 --vdmax=1", Exact}, // the diode's junction at 0.72 V
    {"poly_offsets", Gmin, Exact},
    // Without TOX ngspice has no gate capacitances; Talvor's are switched off to compare.
    {"mos_notox", "--no-mos-caps --no-cgb", Exact},
    // Early effect on VCE (Talvor) against VCB (ngspice): about VBE/VAF.
    {"bjt_early", Gmin, 1e-2},
    // Meyer's capacitances depend on VDS in the triode region; Talvor's are fixed halves.
    {"mos_triode", Gmin, 2e-2},
    // The forward-biased CJE, held at its 0.3 V value by Talvor; VBE above 0.7 V.
    {"bjt_cje", "--g0=1e-12 --vdmax=1", 6e-2},
    // A manufacturer's model: RS exact; VJ, M and the forward-biased CJO show in the source's
    // current, by up to 1.2e-4 near 10 MHz.
    {"diode_realistic", Gmin, 3e-4},
};

TEST(SpiceDecks, AgreeWithNgspice)
{
    for (const DeckCase& c : Decks) {
        SCOPED_TRACE(c.deck);
        TempDir dir;
        // Converted where it stands, so that the files it includes are found beside it.
        CliRun conversion =
            RunProgram("talvor-spice", "'" + DeckDir + "/" + c.deck + ".cir' -o " + c.deck + ".net",
                       dir.Path());
        ASSERT_EQ(conversion.status, 0) << conversion.out;
        const std::string netlist = ReadWholeFile(dir.Path() + "/" + c.deck + ".net");
        CliRun analysis = RunCli(std::string(c.options) + " " + c.deck + ".net", dir.Path());
        ASSERT_EQ(analysis.status, 0) << analysis.out;

        const NameNotes notes = ReadNameNotes(netlist);
        const Table ours = ReadTable(dir.Path() + "/" + c.deck + ".tab");
        const Table expected = ReadTable(DeckDir + "/" + c.deck + ".expected");
        ASSERT_GT(expected.rows.size(), 10u);
        for (size_t k = 1; k + 1 < expected.names.size(); k += 2) {
            const std::string vector = expected.names[k].substr(0, expected.names[k].size() - 1);
            if (vector.find('#') != std::string::npos)
                continue; // ngspice's internal nodes of its lines
            const std::string column = TalvorColumn(vector, notes);
            const int at = FindColumn(ours, column + "m");
            ASSERT_GE(at, 0) << vector << " has no column " << column << " in Talvor's table";
            CompareColumn(expected, k, ours, at, c.tolerance, vector);
        }
    }
}

const char* const Deck = "Divisor\nV1 a 0 AC 1\nR1 a b 1k\nR2 b 0 1k\n.op\n.ac dec 1 1 10\n";

TEST(SpiceProgram, ConvertsAndSaysWhatItWrote)
{
    TempDir dir;
    dir.Write("divisor.cir", Deck);
    CliRun run = RunProgram("talvor-spice", "divisor.cir", dir.Path());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "linha 5: .op ignorado: o Talvor faz o ponto de operação e a análise AC\n"
                       "Netlist divisor.net escrito: 3 elementos, 2 nós, 3 variáveis.\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(Elements(ReadWholeFile(dir.Path() + "/divisor.net")),
              (std::vector<std::string>{"V1 a 0 1 0 0", "R1 a b 1000", "R2 b 0 1000"}));
    // Run again: the netlist is its own, so it is rewritten.
    EXPECT_EQ(RunProgram("talvor-spice", "divisor.cir", dir.Path()).status, 0);
    // Elsewhere with -o.
    fs::create_directory(dir.Path() + "/out");
    EXPECT_EQ(RunProgram("talvor-spice", "-o out/d.net divisor.cir", dir.Path()).status, 0);
    EXPECT_EQ(FolderListing(dir.Path() + "/out"), std::vector<std::string>{"d.net"});
    EXPECT_EQ(RunProgram("talvor-spice", "--help", dir.Path()).status, 0);
}

// "-" is standard input as the deck and standard output as the netlist; with the netlist on
// standard output the report goes to standard error.
TEST(SpiceProgram, ReadsStandardInputAndWritesStandardOutput)
{
    TempDir dir;
    dir.Write("divisor.cir", Deck);
    dir.Write("parts.inc", "R2 b 0 1k\n");
    const std::vector<std::string> elements{"V1 a 0 1 0 0", "R1 a b 1000", "R2 b 0 1000"};
    const std::string report = "linha 5: .op ignorado: o Talvor faz o ponto de operação e a "
                               "análise AC\nNetlist (saída padrão) escrito: 3 elementos, 2 nós, 3 "
                               "variáveis.\n";
    struct Case {
        const char* arguments;
        bool netlistOnOutput;
    };
    for (const Case& c : {Case{"- < divisor.cir", true}, Case{"divisor.cir -o -", true},
                          Case{"- -o d.net < divisor.cir", false}}) {
        CliRun run = RunProgram("talvor-spice", c.arguments, dir.Path());
        EXPECT_EQ(run.status, 0) << c.arguments;
        const std::string netlist =
            c.netlistOnOutput ? run.out : ReadWholeFile(dir.Path() + "/d.net");
        EXPECT_EQ(Elements(netlist), elements) << c.arguments;
        EXPECT_EQ(c.netlistOnOutput ? run.err : run.out,
                  c.netlistOnOutput ? report
                                    : "linha 5: .op ignorado: o Talvor faz o ponto de operação e "
                                      "a análise AC\nNetlist d.net escrito: 3 elementos, 2 nós, 3 "
                                      "variáveis.\n")
            << c.arguments;
    }
    EXPECT_EQ(FolderListing(dir.Path()),
              (std::vector<std::string>{"d.net", "divisor.cir", "parts.inc", "talvor-spice.err",
                                        "talvor-spice.out"}));
    // A deck from standard input includes files from the working folder.
    dir.Write("deck.cir", "Inclui\nV1 a 0 AC 1\nR1 a b 1k\n.include parts.inc\n");
    CliRun run = RunProgram("talvor-spice", "- < deck.cir", dir.Path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Elements(run.out), elements);
    EXPECT_NE(run.out.find("* talvor-spice: convertido de (entrada padrão)"), std::string::npos);
}

TEST(SpiceProgram, AWrongCommandLineExitsWithTwoAndTheUsage)
{
    TempDir dir;
    dir.Write("divisor.cir", Deck);
    for (const char* arguments : {"", "divisor.cir other.cir", "--frobnicate divisor.cir",
                                  "divisor.cir -o", "-o a.net -o b.net divisor.cir"}) {
        CliRun run = RunProgram("talvor-spice", arguments, dir.Path());
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_NE(run.err.find("uso: talvor-spice DECK [-o NETLIST]"), std::string::npos)
            << arguments;
        EXPECT_EQ(FolderListing(dir.Path()),
                  (std::vector<std::string>{"divisor.cir", "talvor-spice.err", "talvor-spice.out"}))
            << arguments;
    }
}

TEST(SpiceProgram, ADeckThatCannotBeConvertedLeavesNoNetlist)
{
    TempDir dir;
    dir.Write("bad.cir", "Ruim\nV1 a 0 AC 1\nR1 a 0 {1/0}\n.tran 1u 1m\n");
    CliRun run = RunProgram("talvor-spice", "bad.cir", dir.Path());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "linha 4: .tran ignorado: o Talvor faz o ponto de operação e a análise AC\n"
                       "linha 3: expressão {1/0}: divisão por zero\n"
                       "O deck não foi convertido; nenhum netlist foi escrito.\n");
    EXPECT_EQ(FolderListing(dir.Path()),
              (std::vector<std::string>{"bad.cir", "talvor-spice.err", "talvor-spice.out"}));

    run = RunProgram("talvor-spice", "missing.cir", dir.Path());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "Deck missing.cir: não existe.\n");
}

TEST(SpiceProgram, NeverOverwritesAFileItDidNotWrite)
{
    TempDir dir;
    dir.Write("divisor.cir", Deck);
    const std::string mine = "Meu divisor\nV1 a 0 1\nR1 a 0 1\n";
    dir.Write("divisor.net", mine);
    CliRun run = RunProgram("talvor-spice", "divisor.cir", dir.Path());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("divisor.net já existe e não foi escrito pelo talvor-spice; não será "
                           "sobrescrito (escolha outro nome com -o).\n"
                           "O deck não foi convertido; nenhum netlist foi escrito.\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(ReadWholeFile(dir.Path() + "/divisor.net"), mine);

    // A deck named .net would be its own netlist.
    dir.Write("deck.net", Deck);
    run = RunProgram("talvor-spice", "deck.net", dir.Path());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("deck.net é o próprio deck; escolha outro nome com -o."),
              std::string::npos)
        << run.out;
    EXPECT_EQ(ReadWholeFile(dir.Path() + "/deck.net"), Deck);
}

} // namespace
