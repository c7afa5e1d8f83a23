// The causes the netlist check finds in a singular DC system, one kind of fault a case: shorted
// outputs and inputs of every controlled source, loops of sources and shorts, floating islands
// apart and joined, amplifiers without feedback, equations that contradict each other.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/diagnosis/diagnosis.h"
#include "analysis/diagnosis/singular_causes.h"
#include "analysis_test_circuit.h"
#include "test_support.h"

using namespace talvor;

namespace {

using Lines = std::vector<std::string>;

struct CheckCase {
    const char* label;
    const char* body; // element lines; a supply V1 at node a or c keeps the rest grounded
    const char* g0;
    Lines causes;
};

void PrintTo(const CheckCase& c, std::ostream* os) { *os << c.label; }

class SingularCause : public ::testing::TestWithParam<CheckCase> {};

TEST_P(SingularCause, IsToldInTheCircuitsWords)
{
    const CheckCase& c = GetParam();
    TempDir dir;
    RecordingSink sink;
    MessageLog log(sink);
    TestHost host;
    host.settings.Eg0 = c.g0;
    Analysis analysis(log, host);
    const std::string netlist =
        dir.Write("c.net", std::string("Falha\n") + c.body + ".AC DEC 3 1 10\n");
    // A node set without a path takes two lines: the nodes, then what joins them to the rest.
    int causes = 0;
    for (const std::string& line : c.causes)
        causes += line.rfind("Nenhum elemento", 0) != 0 && line.rfind("Liga", 0) != 0;
    EXPECT_EQ(CheckNetlist(analysis, netlist), causes);
    size_t header = 0;
    while (header < sink.lines.size() && sink.lines[header].rfind("O circuito tem ", 0) != 0)
        ++header;
    ASSERT_LT(header, sink.lines.size());
    EXPECT_EQ(Lines(sink.lines.begin() + static_cast<long>(header) + 1, sink.lines.end()),
              c.causes);
}

INSTANTIATE_TEST_SUITE_P(
    Check, SingularCause,
    ::testing::Values(
        CheckCase{"E output shorted",
                  "V1 c 0 DC 1\nR1 c 0 1\nE1 o o c 0 2\nR2 o 0 1\n",
                  "1e-9",
                  {"A saída de E1 tem os dois terminais no nó o."}},
        CheckCase{"F input shorted",
                  "V1 o 0 DC 1\nR1 o 0 1\nF1 o 0 c c 3\nR2 c 0 1\n",
                  "1e-9",
                  {"A entrada de F1 tem os dois terminais no nó c."}},
        CheckCase{"A output shorted",
                  "V1 c 0 DC 1\nR1 c 0 1\nA1 o o c 0 1e6 10 0\nR2 o 0 1\n",
                  "1e-9",
                  {"A saída de A1 tem os dois terminais no nó o."}},
        CheckCase{"inductor on one node, with Eg0 = 0",
                  "V1 a 0 DC 1\nR1 a 0 1\nL1 a a 1e-3\n",
                  "0",
                  {"L1 tem os dois terminais no nó a."}},
        CheckCase{"H shorted at both ports: told once, by its output",
                  "H1 o o c c 3\nR1 c 0 1\nR2 o 0 1\n",
                  "1e-9",
                  {"A saída de H1 tem os dois terminais no nó o."}},
        CheckCase{"H output shorted, its input across a source",
                  "V1 c 0 DC 1\nR1 c 0 1\nH1 o o c 0 3\nR2 o 0 1\n",
                  "1e-9",
                  {"Laço só de fontes de tensão e curtos, sem resistência, nos nós c e 0: V1 e "
                   "entrada de H1.",
                   "A saída de H1 tem os dois terminais no nó o."}},
        CheckCase{"O output shorted, its inputs across a source",
                  "V1 c 0 DC 1\nR1 c 0 1\nO1 o o c 0\nR2 o 0 1\n",
                  "1e-9",
                  {"Laço só de fontes de tensão e curtos, sem resistência, nos nós c e 0: V1 e "
                   "entradas de O1.",
                   "A saída de O1 tem os dois terminais no nó o."}},
        CheckCase{"source and inductor in a loop off ground, with Eg0 = 0",
                  "R1 a 0 1\nV1 a b DC 1\nL1 b a 1e-3\nR2 b 0 1\n",
                  "0",
                  {"Laço só de fontes de tensão e curtos, sem resistência, nos nós a e b: V1 e L1 "
                   "(curto em DC com a condutância do P. O. (Eg0, --g0) igual a 0)."}},
        CheckCase{"two voltage-controlled sources on one output",
                  "V1 c 0 DC 1\nR1 c 0 1\nE1 o 0 c 0 2\nE2 o 0 c 0 3\nR2 o 0 1\n",
                  "1e-9",
                  {"Laço só de fontes de tensão e curtos, sem resistência, nos nós o e 0: E1 e "
                   "E2."}},
        CheckCase{"two islands apart",
                  "V1 a 0 DC 1\nR1 a 0 1\nR2 p q 1\nR3 r s 1\n",
                  "1e-9",
                  {"Os nós p e q não têm caminho DC para a terra.",
                   "Nenhum elemento os liga ao resto do circuito.",
                   "Os nós r e s não têm caminho DC para a terra.",
                   "Nenhum elemento os liga ao resto do circuito."}},
        CheckCase{"two islands joined by a capacitor open at DC",
                  "V1 a 0 DC 1\nR1 a 0 1\nR2 p q 1\nR3 r s 1\nC1 q r 1e-6\n",
                  "0",
                  {"Os nós p, q, r e s não têm caminho DC para a terra.",
                   "Nenhum elemento os liga ao resto do circuito."}},
        CheckCase{"three islands, the first joined to the other two by capacitors open at DC",
                  "V1 a 0 DC 1\nR1 a 0 1\nR2 p q 1\nR3 r s 1\nR4 t u 1\nC1 q r 1e-6\nC2 p t "
                  "1e-6\n",
                  "0",
                  {"Os nós p, q, r, s, t e u não têm caminho DC para a terra.",
                   "Nenhum elemento os liga ao resto do circuito."}},
        CheckCase{"a chain of nodes joined only by capacitors open at DC",
                  "V1 a 0 DC 1\nR1 a 0 1\nC1 x y 1e-6\nC2 y z 1e-6\nC3 z a 1e-6\n",
                  "0",
                  {"Os nós x, y e z não têm caminho DC para a terra.",
                   "Ligam-se ao resto do circuito só por C3 (capacitor, aberto em DC com a "
                   "condutância do P. O. (Eg0, --g0) igual a 0)."}},
        CheckCase{
            "an island behind capacitors open at DC",
            "V1 a 0 DC 1\nR1 a 0 1\nR2 p q 1\nC1 q 0 1e-6\nC2 p a 1e-6\n",
            "0",
            {"Os nós p e q não têm caminho DC para a terra.",
             "Ligam-se ao resto do circuito só por C1 (capacitor, aberto em DC com a condutância "
             "do P. O. (Eg0, --g0) igual a 0) "
             "e C2 (capacitor, aberto em DC com a condutância do P. O. (Eg0, --g0) igual a 0)."}},
        CheckCase{"a node between two current sources",
                  "V1 a 0 DC 1\nR1 a 0 1\nI1 a b DC 1\nI2 b 0 DC 1\n",
                  "1e-9",
                  {"O nó b não tem caminho DC para a terra.",
                   "Liga-se ao resto do circuito só por I1 (fonte de corrente) e I2 (fonte de "
                   "corrente)."}},
        CheckCase{"op amp without feedback, its inputs across a source",
                  "V1 i 0 DC 1\nR1 i 0 1\nO1 o 0 i 0\nR2 o 0 1\n",
                  "1e-9",
                  {"Laço só de fontes de tensão e curtos, sem resistência, nos nós i e 0: V1 e "
                   "entradas de O1.",
                   "O1 não tem realimentação: a saída (nó o) não influi nas entradas (nós i e "
                   "0)."}},
        CheckCase{"a loop of sources beside a gyrator with its second port open",
                  "V1 a 0 DC 1\nR1 a 0 1\nY1 a 0 b 0 1000\nV2 c 0 DC 1\nV3 c 0 DC 2\n",
                  "1e-9",
                  {"Laço só de fontes de tensão e curtos, sem resistência, nos nós c e 0: V2 e V3.",
                   "Estas equações se repetem ou se contradizem: nó b e V1.",
                   "A porta 2 de Y1 (nós b e 0) está aberta: um girador com uma porta aberta põe a "
                   "outra (nós a e 0) em curto."}},
        CheckCase{"two gyrators with their second ports open, each fed by its own source",
                  "V1 c 0 DC 1\nR1 c 0 1\nV2 a 0 DC 1\nR2 a 0 1\nY1 a 0 b 0 1000\nY2 c 0 d 0 "
                  "1000\n",
                  "1e-9",
                  {"Estas equações se repetem ou se contradizem: nó b e V2.",
                   "Estas equações se repetem ou se contradizem: nó d e V1.",
                   "A porta 2 de Y1 (nós b e 0) está aberta: um girador com uma porta aberta põe a "
                   "outra (nós a e 0) em curto.",
                   "A porta 2 de Y2 (nós d e 0) está aberta: um girador com uma porta aberta põe a "
                   "outra (nós c e 0) em curto."}},
        CheckCase{"F of gain -1 driving its own control current around a loop",
                  "L1 a 0 1e-6\nR2 e b 1\nF1 e 0 b a -1\n",
                  "1e-9",
                  {"Estas incógnitas ficam indeterminadas: tensão do nó e, corrente jL1 e corrente "
                   "jF1."}},
        // The island x, y drives z through E1: z follows x by the gain in the null vector, which
        // counts from a millionth of the vector's largest entry on.
        CheckCase{"an island sensed by a VCVS of gain 3e-6",
                  "V1 a 0 DC 1\nR0 a 0 1\nR1 x y 1\nE1 z 0 x 0 3e-6\nR2 z 0 1\n",
                  "1e-9",
                  {"Estas incógnitas ficam indeterminadas: tensão do nó x, tensão do nó y, tensão "
                   "do nó z e corrente jE1."}},
        CheckCase{"an island sensed by a VCVS of gain 1e-7",
                  "V1 a 0 DC 1\nR0 a 0 1\nR1 x y 1\nE1 z 0 x 0 1e-7\nR2 z 0 1\n",
                  "1e-9",
                  {"Os nós x e y não têm caminho DC para a terra.",
                   "Ligam-se ao resto do circuito só por E1 (controle)."}},
        CheckCase{"a shorted E output beside a gyrator with its second port open",
                  "V1 c 0 DC 1\nR1 c 0 1\nE1 o o c 0 2\nR2 o 0 1\nV2 a 0 DC 1\nR3 a 0 1\nY1 a 0 b "
                  "0 1000\n",
                  "1e-9",
                  {"A saída de E1 tem os dois terminais no nó o.",
                   "Estas equações se repetem ou se contradizem: nó b e V2.",
                   "A porta 2 de Y1 (nós b e 0) está aberta: um girador com uma porta aberta põe a "
                   "outra (nós a e 0) em curto."}},
        CheckCase{"a node fed only by a current source beside a gyrator with its second port open",
                  "V1 a 0 DC 1\nR1 a 0 1\nY1 a 0 b 0 1000\nI1 x 0 DC 1\n",
                  "1e-9",
                  {"O nó x não tem caminho DC para a terra.",
                   "Liga-se ao resto do circuito só por I1 (fonte de corrente).",
                   "Estas equações se repetem ou se contradizem: nó b e V1.",
                   "A porta 2 de Y1 (nós b e 0) está aberta: um girador com uma porta aberta põe a "
                   "outra (nós a e 0) em curto."}},
        CheckCase{"gyrator with its second port open",
                  "V1 a 0 DC 1\nR1 a 0 1\nY1 a 0 b 0 1000\n",
                  "1e-9",
                  {"Estas equações se repetem ou se contradizem: nó b e V1.",
                   "A porta 2 de Y1 (nós b e 0) está aberta: um girador com uma porta aberta põe a "
                   "outra (nós a e 0) em curto."}},
        CheckCase{"gyrator with its second port shorted, its first fed by a current",
                  "I1 0 a DC 1\nY1 a 0 b b 1000\nR1 b 0 1\n",
                  "1e-9",
                  {"O nó a não tem caminho DC para a terra.",
                   "Liga-se ao resto do circuito só por I1 (fonte de corrente) e Y1.",
                   "A porta 2 de Y1 tem os dois terminais no nó b: um girador com uma porta em "
                   "curto deixa a outra (nós a e 0) aberta."}},
        CheckCase{"gyrator whose second port only a capacitor touches, with Eg0 = 0",
                  "V1 a 0 DC 1\nR1 a 0 1\nY1 a 0 b 0 1000\nC1 b 0 1e-6\n",
                  "0",
                  {"Estas equações se repetem ou se contradizem: nó b e V1.",
                   "A porta 2 de Y1 (nós b e 0) está aberta: um girador com uma porta aberta põe a "
                   "outra (nós a e 0) em curto."}},
        CheckCase{"gyrator whose second port a resistor closes, beside a node without a path",
                  "V1 a 0 DC 1\nY1 a 0 b 0 1000\nR1 b 0 1\nI1 x 0 DC 1\n",
                  "1e-9",
                  {"O nó x não tem caminho DC para a terra.",
                   "Liga-se ao resto do circuito só por I1 (fonte de corrente)."}},
        CheckCase{"follower whose input only capacitors reach, with Eg0 = 0",
                  "V1 i 0 DC 1\nC1 i d 1e-6\nC2 d 0 1e-6\nO1 o 0 o d\nR1 o 0 1\n",
                  "0",
                  {"O nó d não tem caminho DC para a terra.",
                   "Liga-se ao resto do circuito só por C1 (capacitor, aberto em DC com a "
                   "condutância do P. O. (Eg0, --g0) igual a 0), "
                   "C2 (capacitor, aberto em DC com a condutância do P. O. (Eg0, --g0) igual a 0) "
                   "e O1 (entrada).",
                   "O1 é um seguidor: a saída (nó o) é uma das entradas e copia a tensão da outra "
                   "(nó d)."}},
        CheckCase{"amplifier with both inputs on one node",
                  "V1 i 0 DC 1\nR1 i 0 1\nO1 o 0 i i\nR2 o 0 1\n",
                  "1e-9",
                  {"A entrada de O1 tem os dois terminais no nó i."}},
        CheckCase{"integrator whose only way back is its capacitor, with Eg0 = 0",
                  "V1 i 0 DC 1\nR1 i n 1\nC1 n o 1e-6\nO1 o 0 n 0\n",
                  "0",
                  {"O nó o não tem caminho DC para a terra.",
                   "Liga-se ao resto do circuito só por C1 (capacitor, aberto em DC com a "
                   "condutância do P. O. (Eg0, --g0) igual a 0) e "
                   "O1 (saída).",
                   "O1 não tem realimentação em DC: da saída (nó o) às entradas (nós n e 0) só se "
                   "chega por C1 (capacitor, aberto em DC com a condutância do P. O. (Eg0, --g0) "
                   "igual a 0)."}},
        CheckCase{
            "amplifier whose output meets its input only at the output of a VCVS it controls",
            "V1 i 0 DC 1\nR1 i 0 1\nO1 o 0 n i\nR3 n 0 1\nE1 p 0 n 0 2\nR2 p o 1\n",
            "1e-9",
            {"O1 não tem realimentação: a saída (nó o) não influi nas entradas (nós n e i)."}}));

} // namespace

namespace {

TEST(SingularCauseThreshold, WeightedPivotOfAFewNanoIsACoincidence)
{
    // Nodes 1 and 2 reach ground only through R1 and R2, which cancel. The random weights leave
    // them a conductance of order 1/R: about 3e-9 of the 1 S of R3 for 30 MΩ, a coincidence of
    // the values that the check leaves alone; below 1e-9 for 1 GΩ, a fault of the connections.
    struct Case {
        const char* r;
        int causes;
        const char* lastLine;
    };
    const Case cases[] = {
        {"3e7", 0, "Nenhuma causa de sistema singular encontrada no sistema DC."},
        {"1e9", 1, "Ligam-se ao resto do circuito só por R1 e R2."},
    };
    for (const Case& c : cases) {
        TempDir dir;
        RecordingSink sink;
        MessageLog log(sink);
        TestHost host;
        Analysis analysis(log, host);
        const std::string netlist = dir.Write("c.net", std::string("Cancela\nR1 1 0 ") + c.r +
                                                           "\nR2 1 0 -" + c.r + "\nR3 1 2 1\n");
        EXPECT_EQ(CheckNetlist(analysis, netlist), c.causes) << c.r;
        EXPECT_EQ(sink.lines.back(), c.lastLine) << c.r;
    }
}

} // namespace

namespace {

TEST(LoneWeight, TheElementThatAloneStandsAgainstTheOthers)
{
    struct Case {
        std::vector<Complex> weights;
        int lone;
    };
    const Case cases[] = {
        {{{1, 0}, {1, 0}, {1, 0}, {1, 0}, {-4, 0}}, 4}, // four resistors and a negative conductance
        {{{-4, 0}, {1, 0}, {1, 0}, {1, 0}, {1, 0}}, 0},
        {{{-1, 0}, {5, 0}, {-2, 0}, {-2, 0}}, 1},
        {{{1, 0}, {-1, 0}}, -1},                  // a pair that cancels names no culprit
        {{{1, 0}, {1, 0}, {-1, 0}, {-1, 0}}, -1}, // two against two
        {{{1, 0}, {0, 0}, {-1, 0}}, -1},          // a weight of zero takes no side
        {{{0, 1}, {0, 1}, {0, -2}}, 2},           // capacitors against an inductor
        {{{0, 1}, {0, -1}}, -1},
        {{{2, 1}, {-1, -0.4}, {-1, -0.6}}, 0}, // complex weights along the largest
        {{}, -1},
    };
    for (const Case& c : cases) {
        std::vector<double> parts;
        for (const Complex& w : c.weights)
            parts.push_back(w.re), parts.push_back(w.im);
        EXPECT_EQ(LoneWeight(c.weights), c.lone) << testing::PrintToString(parts);
    }
}

} // namespace
