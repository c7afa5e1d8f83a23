// The files of talvor-spice: the default netlist name, the converter's mark, and a netlist
// written whole or not at all, never over a file the converter did not write.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "spice/netlist_writer.h"
#include "spice/spice_files.h"
#include "test_support.h"

using namespace talvor;

namespace {

namespace fs = std::filesystem;

TEST(SpiceFiles, TheNetlistIsNamedAfterTheDeck)
{
    EXPECT_EQ(DefaultNetlistPath("amp.cir"), "amp.net");
    EXPECT_EQ(DefaultNetlistPath("amp"), "amp.net");
    EXPECT_EQ(DefaultNetlistPath("dir.v2/amp.sp"), "dir.v2/amp.net");
    EXPECT_EQ(DefaultNetlistPath("filtro.v2.cir"), "filtro.v2.net");
    EXPECT_EQ(DefaultNetlistPath("/a/b/amp.net"), "/a/b/amp.net"); // refused when written
}

const std::string Netlist = std::string("Titulo\n") + ConverterMark + "t.cir (...)\nR1 a 0 1\n";

TEST(SpiceFiles, WritesANewNetlistAndRewritesItsOwn)
{
    TempDir dir;
    const std::string deck = dir.Write("t.cir", "Titulo\nR1 a 0 1\n");
    const std::string path = dir.Path() + "/t.net";
    std::string error;
    ASSERT_TRUE(WriteNetlistFile(path, deck, Netlist, error)) << error;
    EXPECT_EQ(ReadWholeFile(path), Netlist);
    EXPECT_TRUE(WrittenByConverter(path));
    const std::string second = Netlist + "R2 a 0 2\n";
    ASSERT_TRUE(WriteNetlistFile(path, deck, second, error)) << error;
    EXPECT_EQ(ReadWholeFile(path), second);
    EXPECT_EQ(FolderListing(dir.Path()), (std::vector<std::string>{"t.cir", "t.net"}));
    // The mode follows the umask, not mkstemp's private 0600.
    struct stat status {};
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    EXPECT_NE(status.st_mode & S_IRGRP, 0u);
}

TEST(SpiceFiles, NeverOverwritesAFileItDidNotWrite)
{
    struct Case {
        const char* existing;
        const char* why;
    };
    const Case cases[] = {
        {"Meu circuito\nR1 a 0 1\n", "a netlist of the user"},
        {"* talvor-spice: convertido de t.cir\nR1 a 0 1\n", "the mark on the title line"},
        {"", "an empty file"},
        {"Titulo\n* talvor-spice: convertido", "the mark cut short"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string deck = dir.Write("t.cir", "Titulo\nR1 a 0 1\n");
        const std::string path = dir.Write("t.net", c.existing);
        std::string error;
        EXPECT_FALSE(WriteNetlistFile(path, deck, Netlist, error)) << c.why;
        EXPECT_EQ(error, "já existe e não foi escrito pelo talvor-spice; não será sobrescrito "
                         "(escolha outro nome com -o)")
            << c.why;
        EXPECT_EQ(ReadWholeFile(path), c.existing) << c.why;
        EXPECT_EQ(FolderListing(dir.Path()), (std::vector<std::string>{"t.cir", "t.net"})) << c.why;
    }
}

TEST(SpiceFiles, RefusesTheDeckItselfAndWhatIsNotAFile)
{
    TempDir dir;
    const std::string deck = dir.Write("t.net", Netlist); // even a deck that bears the mark
    std::string error;
    EXPECT_FALSE(WriteNetlistFile(deck, deck, Netlist + "R2 a 0 2\n", error));
    EXPECT_EQ(error, "é o próprio deck; escolha outro nome com -o");
    EXPECT_EQ(ReadWholeFile(deck), Netlist);

    fs::create_directory(dir.Path() + "/folder.net");
    EXPECT_FALSE(WriteNetlistFile(dir.Path() + "/folder.net", deck, Netlist, error));
    EXPECT_EQ(error, "existe e não é um arquivo comum");

    EXPECT_FALSE(WriteNetlistFile(dir.Path() + "/missing/t.net", deck, Netlist, error));
    EXPECT_EQ(error.rfind("não foi possível criar um arquivo em", 0), 0u) << error;
    EXPECT_EQ(FolderListing(dir.Path()), (std::vector<std::string>{"folder.net", "t.net"}));
}

TEST(SpiceFiles, ReadsOnlyRegularFilesOfBoundedSize)
{
    TempDir dir;
    std::string bytes, error;
    EXPECT_FALSE(ReadDeck(dir.Path() + "/none.cir", bytes, error));
    EXPECT_EQ(error, "não existe");
    EXPECT_FALSE(ReadDeck(dir.Path(), bytes, error));
    EXPECT_EQ(error, "não é um arquivo comum");
    EXPECT_FALSE(ReadDeck("/dev/zero", bytes, error));
    EXPECT_EQ(error, "não é um arquivo comum");
    const std::string big = dir.Write("big.cir", std::string((16 << 20) + 1, '*'));
    EXPECT_FALSE(ReadDeck(big, bytes, error));
    EXPECT_EQ(error, "grande demais (mais de 16777216 bytes)");
    const std::string deck = dir.Write("t.cir", "Titulo\r\nR1 a 0 1\r\n");
    ASSERT_TRUE(ReadDeck(deck, bytes, error));
    EXPECT_EQ(bytes, "Titulo\r\nR1 a 0 1\r\n");
}

} // namespace
