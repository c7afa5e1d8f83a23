// The reader's notes: a misread field after its element's echo, where a reading error was found
// after the error's line, and the first line that only a SPICE deck holds. Clean lines get none.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/message_log.h"
#include "netlist/netlist_reader.h"
#include "netlist/reader_notes.h"
#include "test_support.h"

using namespace talvor;

namespace {

using Lines = std::vector<std::string>;

struct Reading {
    Lines log; // after "Lendo netlist ...:", up to the variable list
    int spiceDeckLine = 0;
    std::string spiceDeckWord;
};

Reading Read(const std::string& body)
{
    TempDir dir;
    RecordingSink sink;
    MessageLog log(sink);
    auto circuit = std::make_unique<Circuit>();
    ReadNetlist(*circuit, log, dir.Write("c.net", "Titulo\n" + body), false);
    Reading reading{{}, circuit->spiceDeckLine, circuit->spiceDeckWord};
    for (size_t k = 1; k < sink.lines.size() && sink.lines[k] != "Variáveis: "; ++k)
        reading.log.push_back(sink.lines[k]);
    return reading;
}

// Each line of the netlist (after the title, so at line 2) with the log it gives: its specified
// lines unchanged, the note after them.
struct Case {
    const char* line;
    Lines log;
};

TEST(ReaderNotes, MisreadFieldsAreNamedAfterTheEcho)
{
    const Case cases[] = {
        // Engineering suffixes: the value read, the value meant.
        {"R1 1 2 1k\n",
         {"R1 1 2 1",
          "linha 2: R1: \"1k\" foi lido como 1; o Talvor não lê sufixos: escreva 1000 ou 1e3."}},
        {"C1 2 0 10n\n",
         {"C1 2 0 10",
          "linha 2: C1: \"10n\" foi lido como 10; o Talvor não lê sufixos: escreva 10e-9."}},
        {"C1 2 0 4.7uF\n",
         {"C1 2 0 4.7",
          "linha 2: C1: \"4.7uF\" foi lido como 4.7; o Talvor não lê sufixos: escreva 4.7e-6."}},
        {"R1 1 0 2meg\n",
         {"R1 1 0 2", "linha 2: R1: \"2meg\" foi lido como 2; o Talvor não lê sufixos: escreva "
                      "2000000 ou 2e6."}},
        {"R1 1 0 2M\n",
         {"R1 1 0 2", "linha 2: R1: \"2M\" foi lido como 2; o Talvor não lê sufixos: escreva 0.002 "
                      "ou 2e-3 (M é mili, como no SPICE; mega é meg)."}},
        {"R1 1 0 1e3k\n",
         {"R1 1 0 1000", "linha 2: R1: \"1e3k\" foi lido como 1000; o Talvor não lê sufixos: "
                         "escreva 1000000 ou 1e6."}},
        // Letters that are no suffix, a decimal comma.
        {"R1 1 2 1e3x\n",
         {"R1 1 2 1000",
          "linha 2: R1: \"1e3x\" foi lido como 1000; o resto do campo (\"x\") não foi lido."}},
        {"R1 1 2 1,5\n",
         {"R1 1 2 1",
          "linha 2: R1: \"1,5\" foi lido como 1; o Talvor usa ponto decimal: escreva 1.5."}},
        // The letters at the ends of the ranges that glue, every digit of the value read.
        {"R1 1 2 1.23456z\n",
         {"R1 1 2 1.23456", "linha 2: R1: \"1.23456z\" foi lido como 1.23456; o resto do campo "
                            "(\"z\") não foi lido."}},
        {"C1 2 0 10A\n",
         {"C1 2 0 10", "linha 2: C1: \"10A\" foi lido como 10; o resto do campo (\"A\") não foi "
                       "lido."}},
        {"C1 2 0 4.7µF\n",
         {"C1 2 0 4.7", "linha 2: C1: \"4.7µF\" foi lido como 4.7; o resto do campo (\"µF\") "
                        "não foi lido."}},
        {"R1 1 0 2Meg\n",
         {"R1 1 0 2", "linha 2: R1: \"2Meg\" foi lido como 2; o Talvor não lê sufixos: escreva "
                      "2000000 ou 2e6."}},
        // The last field of the line: nothing after it went unread.
        {"D1 1 0 1n\n",
         {"D1 1 0 1 0.0434294 5e-12 1e-16",
          "linha 2: D1: \"1n\" foi lido como 1; o Talvor não lê sufixos: escreva 1e-9."}},
        // A byte that is no UTF-8 after the comma is shown as Latin-1, as any file text.
        {"R1 1 2 1,5\xb5\n",
         {"R1 1 2 1", "linha 2: R1: \"1,5\xc2\xb5\" foi lido como 1; o Talvor usa ponto decimal: "
                      "escreva 1.5\xc2\xb5."}},
        // The scan stops there: the fields after it keep their defaults.
        {"D1 1 0 1n 0.05\n",
         {"D1 1 0 1 0.0434294 5e-12 1e-16",
          "linha 2: D1: \"1n\" foi lido como 1; o Talvor não lê sufixos: escreva 1e-9. Os campos "
          "seguintes da linha não foram lidos."}},
        {"M1 d g s b N L=2u W=10u\n",
         {"M1 d g s b N ( L=) 2 () 1e-06 0.0001 1 0.01 0.3 0.6 1e-07",
          "linha 2: M1: \"2u\" foi lido como 2; o Talvor não lê sufixos: escreva 2e-6. Os campos "
          "seguintes da linha não foram lidos."}},
        {".AC DEC 10 1 100k\n",
         {".AC DEC 10 1 100", "linha 2: .AC: \"100k\" foi lido como 100; o Talvor não lê "
                              "sufixos: escreva 100000 ou 100e3."}},
        {".AC DEC 10k 1 100\n",
         {".AC DEC 10 0 0",
          "linha 2: .AC: \"10k\" foi lido como 10; o Talvor não lê sufixos: "
          "escreva 10000 ou 10e3. Os campos seguintes da linha não foram lidos."}},
        // Sources: the SPICE forms, a magnitude with a suffix, another word.
        {"V1 1 0 AC 1\n",
         {"V1 1 0 (0 1 0)", "linha 2: V1: na forma do SPICE (\"AC\") a fonte ficou com módulo 0; "
                            "no Talvor escreva V1 1 0 1 0 (módulo, fase em graus)."}},
        {"I1 0 1 ac 2 45\n",
         {"I1 0 1 (0 2 45)", "linha 2: I1: na forma do SPICE (\"AC\") a fonte ficou com módulo "
                             "0; no Talvor escreva I1 0 1 2 45 (módulo, fase em graus)."}},
        {"V1 1 0 DC 5 AC 1\n",
         {"Fonte CC convertida:", "V1 1 0 (0 0 5)",
          "linha 2: V1: na forma do SPICE (\"AC\") a fonte ficou com módulo 0; no Talvor escreva "
          "V1 1 0 1 0 5 (módulo, fase em graus, valor DC)."}},
        {"V1 1 0 1k 90\n",
         {"V1 1 0 (1 90 0)",
          "linha 2: V1: \"1k\" foi lido como 1; o Talvor não lê sufixos: escreva 1000 ou 1e3."}},
        {"V1 1 0 EXP(0 1)\n",
         {"V1 1 0 (0 0 1)", "linha 2: V1: a palavra \"EXP\" foi lida como módulo 0; o Talvor "
                            "aceita módulo [fase [valor DC]], DC valor, SIN(...) e PULSE(...)."}},
        // MOS length and width after a tab or a lower-case separator.
        {"M1 d g s b N\tL=2e-6 W=1e-5\n",
         {"M1 d g s b N () 1e-06 () 1e-06 0.0001 1 0.01 0.3 0.6 1e-07",
          "linha 2: M1: a leitura parou em um tab, antes do comprimento ou da largura; L, W e os "
          "valores seguintes ficaram com o padrão. Escreva L=... W=... (maiúsculas) separados "
          "por espaços."}},
        {"M1 d g s b N L=2e-6 w=1e-5\n",
         {"M1 d g s b N ( L=) 2e-06 ( ) 1e-06 0.0001 1 0.01 0.3 0.6 1e-07",
          "linha 2: M1: a leitura parou em \"w=1e-5\", antes do comprimento ou da largura; L, W e "
          "os valores seguintes ficaram com o padrão. Escreva L=... W=... (maiúsculas) separados "
          "por espaços."}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Read(c.line).log, c.log) << c.line;
}

TEST(ReaderNotes, CleanLinesGetNone)
{
    for (const char* line :
         {"R1 1 2 1000\n", "R1 1 2 1e3 \n", "C1 2 0 -1.5E-9\r\n", "V1 1 0 1 90 2\n",
          "V1 1 0 DC 5\n", "V2 2 0 SIN(0 1 1000)\n", "V3 3 0 PULSE(0 5 1e-9)\n",
          "M1 d g s b N L=2e-6 W=1e-5 2e-5\n", "M1 d g s b P 2e-6 1e-5\n", "M1 d g s b N\n",
          "M1 d g s b N   \n", "D1 1 0 1e-14 0.025\n", "Q1 c b e NPN 0.99\n", ".AC DEC 10 1 1e5\n",
          "* R1 1 2 1k\n", "O1 3 0 1 2\n", "V1 1 0\n"}) {
        const Reading reading = Read(line);
        for (const std::string& logged : reading.log)
            EXPECT_NE(logged.rfind("linha ", 0), 0u) << line << logged;
    }
}

TEST(ReaderNotes, ReadingErrorsSayWhere)
{
    const Case cases[] = {
        {"R1 1 0 1\n\nR2 1 0 1\n",
         {"R1 1 0 1", "Elemento desconhecido: \n",
          "linha 3: linha em branco; apague-a (o netlist não pode ter linhas vazias)."}},
        {" R1 1 0 1\n",
         {"Elemento desconhecido:  R1 1 0 1\n", "linha 2: a linha começa com um espaço; o "
                                                "primeiro caractere deve ser a letra do elemento, "
                                                "\"*\" ou \".\"."}},
        {"\tR1 1 0 1\n",
         {"Elemento desconhecido: \tR1 1 0 1\n", "linha 2: a linha começa com um tab; o primeiro "
                                                 "caractere deve ser a letra do elemento, \"*\" "
                                                 "ou \".\"."}},
        {"+ 1 2\n",
         {"Elemento desconhecido: + 1 2\n", "linha 2: \"+\" continua a linha anterior num deck "
                                            "SPICE; o Talvor não aceita continuações."}},
        {"Z1 1 0 1\n",
         {"Elemento desconhecido: Z1 1 0 1\n",
          "linha 2: \"Z\" não é letra de elemento (R C L X G E F H I V O A T Y K D Q M N), \"*\" "
          "nem \".\"."}},
        {"\x01Z\n",
         {"Elemento desconhecido: \x01Z\n",
          "linha 2: o primeiro caractere não é letra de elemento (R C L X G E F H I V O A T Y K D "
          "Q M N), \"*\" nem \".\"."}},
        {"Q1 c b e X\n",
         {"Q1 c b e X 0.99 0.5 1e-09 0.0434294 1e-09 0.0434294 100 5e-12 1e-16 5e-12 1e-16",
          "Transistor inválido Q1.", "linha 2: o tipo de Q1 é \"X\"; deve começar por N ou P."}},
        {"Q1 c b e\n",
         {"Q1 c b e  0.99 0.5 1e-09 0.0434294 1e-09 0.0434294 100 5e-12 1e-16 5e-12 1e-16",
          "Transistor inválido Q1.", "linha 2: falta o tipo de Q1 (N ou P) depois dos nós."}},
        {"M1 d g s b qmos\n",
         {"M1 d g s b qmos () 1e-06 () 1e-06 0.0001 1 0.01 0.3 0.6 1e-07", "Transistor inválido.",
          "linha 2: o tipo de M1 é \"qmos\"; deve começar por N ou P."}},
        {"L1 1 0 1e-3\nK1 L1 L9 0.5\n",
         {"L1 1 0 0.001", "K1 L1 L9 0.5", "Indutor não encontrado.",
          "linha 3: L9 não é um indutor L declarado antes de K1."}},
        {"L1 1 0 1e-3\nL2 2 0 -1e-3\nK1 L1 L2 0.5\n",
         {"L1 1 0 0.001", "L2 2 0 -0.001", "K1 L1 L2 0.5",
          "(L1 está na linha 1, L2 está na linha 2)", "Indutâncias inválidas no acoplamento K1.",
          "linha 4: L1 tem 0.001 H e L2, -0.001 H; o acoplamento pede indutâncias do mesmo "
          "sinal."}},
        {"N1 1 0 0 0 1 1 2 2 3\n",
         {"Número errado de parâmetros no resistor N1. Lidos 7 e deviam ser 8.",
          "linha 2: N1 pede os 8 números v1 i1 v2 i2 v3 i3 v4 i4."}},
        {"N1 1 0 0 0 1m 1 2 2 3 3\n",
         {"Número errado de parâmetros no resistor N1. Lidos 3 e deviam ser 8.",
          "linha 2: N1: \"1m\" foi lido como 1; o Talvor não lê sufixos: escreva 0.001 ou 1e-3. "
          "Os campos seguintes da linha não foram lidos."}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Read(c.line).log, c.log) << c.line;
}

TEST(ReaderNotes, LimitsSayWhere)
{
    // 201 elements; 51 nodes (the first beyond at line 52); 50 nodes and a source.
    std::string elements, nodes, currents;
    for (int k = 1; k <= 201; ++k)
        elements += "R" + std::to_string(k) + " 1 0 1\n";
    for (int k = 1; k <= 51; ++k)
        nodes += "R" + std::to_string(k) + " " + std::to_string(k) + " 0 1\n";
    for (int k = 1; k <= 50; ++k)
        currents += "R" + std::to_string(k) + " " + std::to_string(k) + " 0 1\n";
    currents += "* a comment between\nV1 1 0 1\n";
    EXPECT_EQ(Read(elements).log.back(), "linha 202: o elemento 201 passaria do limite.");
    EXPECT_EQ(Read(nodes).log.back(), "linha 52: o primeiro nó além do limite de 50.");
    EXPECT_EQ(Read(currents).log.back(),
              "linha 53: V1 é o primeiro elemento cuja corrente não cabe.");
}

TEST(ReaderNotes, TheFirstLineOnlyASpiceDeckHoldsIsRemembered)
{
    struct Deck {
        const char* body;
        int line;
        const char* word;
    };
    const Deck decks[] = {
        {"R1 1 0 1\n.model qn npn\n.end\n", 3, ".model"},
        {".ac dec 10 1 1e6\n", 2, ".ac"},
        {"R1 1 0 1\n.SUBCKT amp 1 2\n", 3, ".SUBCKT"},
        {".param r=1k\n", 2, ".param"},
        {".include modelos.lib\n", 2, ".include"},
        {".END\n", 2, ".END"},
        {"R1 1 0 1\n+ 2\n", 3, "+"},
        {".AC DEC 10 1 1e6\n.OPCAO\n", 0, ""},
        {"R1 1 0 1\n", 0, ""},
    };
    for (const Deck& d : decks) {
        const Reading reading = Read(d.body);
        EXPECT_EQ(reading.spiceDeckLine, d.line) << d.body;
        EXPECT_EQ(reading.spiceDeckWord, d.word) << d.body;
    }
    Circuit circuit;
    circuit.spiceDeckLine = 4;
    circuit.spiceDeckWord = ".end";
    RecordingSink sink;
    MessageLog log(sink);
    NoteSpiceDeck(circuit, log);
    EXPECT_EQ(sink.lines, Lines{"Este netlist parece um deck SPICE (\".end\" na linha 4): "
                                "converta-o com talvor-spice, ou abra-o no talvor com a extensão "
                                ".cir."});
    sink.lines.clear();
    NoteSpiceDeck(Circuit{}, log);
    EXPECT_TRUE(sink.lines.empty());
}

} // namespace
