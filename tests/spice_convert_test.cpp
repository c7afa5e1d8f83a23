// Conversions of small decks through ConvertDeck: the element lines written, the values of the
// device models, the names, every warning and every refusal, the limits and hostile decks.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "common/message_log.h"
#include "netlist/netlist_reader.h"
#include "spice/converter.h"
#include "spice/netlist_writer.h"
#include "test_support.h"

using namespace talvor;

namespace {

Conversion Convert(const std::string& body) { return ConvertDeck("Titulo\n" + body, "t.cir"); }

std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

TEST(SpiceConvert, WritesElementsInTalvorsForm)
{
    struct Case {
        const char* deck;
        const char* elements;
    };
    const Case cases[] = {
        {"R1 a b 1k\n", "R1 a b 1000\n"},
        {"r1 A b 2.2meg\n", "R1 A b 2200000\n"},
        {"R1 a b 1M\n", "R1 a b 0.001\n"},
        {"R1 a b r=4k7\n", "R1 a b 4000\n"},
        {"R1 a b 10 m=2\n", "R1 a b 5\n"},
        {"R1 a b 10 scale=3\n", "R1 a b 30\n"},
        {"C1 a 0 1u m=3 ic=2\n", "C1 a 0 3e-06\n"},
        {"L1 a 0 1m m=2\n", "L1 a 0 5e-04\n"},
        {"R1 a gnd 1\nR2 a GND 2\n", "R1 a 0 1\nR2 a 0 2\n"},
        {"R1 Out 0 1\nR2 OUT 0 2\n", "R1 Out 0 1\nR2 Out 0 2\n"}, // one node, first spelling
        {"V1 a 0 5\n", "V1 a 0 0 0 5\n"},
        {"V1 a 0 DC 5 AC 2 45\n", "V1 a 0 2 45 5\n"},
        {"V1 a 0 AC\n", "V1 a 0 1 0 0\n"},
        {"V1 a 0\n", "V1 a 0 0 0 0\n"},
        {"I1 a 0 DC=1m AC 1 90\n", "I1 a 0 1 90 0.001\n"},
        {"V1 a 0 5 DC 3\n", "V1 a 0 0 0 5\n"}, // ngspice keeps the first DC value
        {"V1 a 0 SIN(1 2 1k 0 0 90)\n", "V1 a 0 0 0 3\n"},
        {"V1 a 0 SIN 1 2 1k\n", "V1 a 0 0 0 1\n"},
        {"V1 a 0 PULSE(0.5 5 1u 1n 1n 1u 2u) AC 1\n", "V1 a 0 1 0 0.5\n"},
        {"V1 a 0 PWL(-1 0 1 2)\n", "V1 a 0 0 0 1\n"},
        {"V1 a 0 PWL(0 3, 1m 4) r=0\n", "V1 a 0 0 0 3\n"},
        {"V1 a 0 EXP(2 5 1u 1u)\n", "V1 a 0 0 0 2\n"},
        {"V1 a 0 DC 2 SIN(0 1 1k)\n", "V1 a 0 0 0 2\n"},
        {"E1 o 0 i 0 10\n", "E1 o 0 i 0 10\n"},
        {"G1 o 0 i x 2m\n", "G1 o 0 i x 0.002\n"},
        {"K1 L1 L2 0.5\nL1 a 0 1m\nL2 b 0 4m\n", "L1 a 0 0.001\nL2 b 0 0.004\nK1 L1 L2 0.5\n"},
        {"T1 a 0 b 0 Z0=50 TD=1n\n", "T1 a 0 b 50 1e-09\n"},
        {"T1 a r b r z0=75 F=10meg\n", "T1 a r b 75 2.5e-08\n"},
        {"T1 a 0 b 0 Z0=75 F=10meg NL=0.5\n", "T1 a 0 b 75 5e-08\n"},
        {".param r=2k\nR1 a 0 {r*2}\nR2 a 0 'r/2'\n", "R1 a 0 4000\nR2 a 0 1000\n"},
        {".func f(x) {2*x}\n.func g(x,y) = 'x*y'\n.func h( x ) x+1\n.param p={h(1)}\n"
         "R1 a 0 {f(g(2,3))+p}\n",
         "R1 a 0 14\n"},
        {".subckt s a\n.func f(x) {3*x}\nR1 a 0 {f(1)}\n.ends\n.func f(x) {2*x}\nX1 n s\n"
         "R2 n 0 {f(1)}\n",
         "R.X1.R1 n 0 3\nR2 n 0 2\n"}, // a subcircuit's own .func hides the deck's
        {".temp 127\n.options tnom=27\nR1 a 0 1k tc1=1m tc2=1u\n", "R1 a 0 1110\n"},
        {".temp 127\nR1 a 0 1k tc1=1m temp=27\n", "R1 a 0 1000\n"},
        {".temp 127\nC1 a 0 1n tc1=1m dtemp=-100\n", "C1 a 0 1e-09\n"},
    };
    for (const Case& c : cases) {
        Conversion conversion = Convert(c.deck);
        ASSERT_TRUE(conversion.converted) << c.deck << conversion.refusal;
        EXPECT_EQ(Joined(Elements(conversion.netlist)), c.elements) << c.deck;
    }
}

TEST(SpiceConvert, SubcircuitsAreFlattenedWithNgspicesNames)
{
    Conversion conversion = Convert(".subckt sec in out params: r=1k\n"
                                    "R1 in mid {r}\n"
                                    "C1 mid out 1n\n"
                                    "Vs out 0 0\n"
                                    ".model dm D(IS={r*1e-17})\n"
                                    "D1 mid 0 dm\n"
                                    ".ends\n"
                                    "X1 a b sec\n"
                                    "x2 b c SEC params: r=2k\n");
    ASSERT_TRUE(conversion.converted) << conversion.refusal;
    std::vector<std::string> elements = Elements(conversion.netlist);
    ASSERT_EQ(elements.size(), 8u);
    EXPECT_EQ(elements[0], "R.X1.R1 a X1.mid 1000");
    EXPECT_EQ(elements[1], "C.X1.C1 X1.mid b 1e-09");
    EXPECT_EQ(elements[2], "V.X1.Vs b 0 0 0 0");
    EXPECT_EQ(elements[3].substr(0, 23), "D.X1.D1 X1.mid 0 1e-14 ");
    EXPECT_EQ(elements[4], "R.x2.R1 b x2.mid 2000");
    EXPECT_EQ(elements[7].substr(0, 23), "D.x2.D1 x2.mid 0 2e-14 "); // the model per instance
}

TEST(SpiceConvert, InnerDefinitionsHideOuterOnesOfTheSameName)
{
    Conversion conversion = Convert(".subckt leaf a\nR1 a 0 1\n.ends\n"
                                    ".subckt outer a\n"
                                    ".subckt leaf a\nR1 a 0 2\n.ends\n"
                                    "X1 a leaf\n"
                                    ".ends\n"
                                    "X1 n leaf\nX2 n outer\n");
    ASSERT_TRUE(conversion.converted) << conversion.refusal;
    EXPECT_EQ(Joined(Elements(conversion.netlist)), "R.X1.R1 n 0 1\nR.X2.X1.R1 n 0 2\n");
}

TEST(SpiceConvert, GlobalNodesAreNotPrefixed)
{
    Conversion conversion =
        Convert(".global vdd\n.subckt s a\nR1 a vdd 1\nR2 a x 1\n.ends\nX1 n s\nV1 vdd 0 1\n");
    ASSERT_TRUE(conversion.converted) << conversion.refusal;
    EXPECT_EQ(Elements(conversion.netlist)[0], "R.X1.R1 n vdd 1");
    EXPECT_EQ(Elements(conversion.netlist)[1], "R.X1.R2 n X1.x 1");
}

// The values of a device line, after the words.
std::vector<double> Values(const std::string& line, size_t words)
{
    std::istringstream in(line);
    std::string word;
    for (size_t k = 0; k < words; ++k)
        in >> word;
    std::vector<double> values;
    while (in >> word) {
        size_t equals = word.find('=');
        values.push_back(std::stod(equals == std::string::npos ? word : word.substr(equals + 1)));
    }
    return values;
}

void ExpectValues(const std::vector<double>& got, const std::vector<double>& want,
                  const std::string& what)
{
    ASSERT_EQ(got.size(), want.size()) << what;
    for (size_t k = 0; k < want.size(); ++k)
        EXPECT_NEAR(got[k], want[k], 1e-12 * std::fabs(want[k])) << what << " value " << k;
}

constexpr double Vt = 0.025864917007157463; // kT/q at 27 °C with ngspice's constants

TEST(SpiceConvert, DiodeValuesComeFromTheModelAndTheArea)
{
    Conversion conversion =
        Convert("D1 a k dm area=3\nD2 a k dm m=2\n.model dm D(IS=1e-14 N=2 CJO=2p TT=1n VJ=0.6)\n");
    ASSERT_TRUE(conversion.converted) << conversion.refusal;
    std::vector<std::string> lines = Elements(conversion.netlist);
    const double vt = 2 * Vt;
    ExpectValues(Values(lines[0], 3), {3e-14, vt, 6e-12, 1e-9 / (vt * 1e9)}, "D1");
    ExpectValues(Values(lines[1], 3), {2e-14, vt, 4e-12, 1e-9 / (vt * 1e9)}, "D2");
}

TEST(SpiceConvert, BipolarValuesAreEbersMollOfTheGummelPoonModel)
{
    Conversion conversion = Convert("Q1 c b e 0 qp 2\n"
                                    ".model qp PNP(IS=1f BF=99 BR=4 NF=1.5 NR=2 VAF=50 CJE=1p "
                                    "VJE=0.6 MJE=0.5 CJC=2p VJC=0.6 MJC=0.5 TF=1n TR=10n)\n");
    ASSERT_TRUE(conversion.converted) << conversion.refusal;
    std::string line = Elements(conversion.netlist)[0];
    EXPECT_EQ(line.substr(0, 15), "Q1 c b e PNP 0.") << "the substrate node is dropped";
    const double alfa = 0.99, alfar = 0.8, vtbe = 1.5 * Vt, vtbc = 2 * Vt;
    ExpectValues(Values(line, 5),
                 {alfa, alfar, 2e-15 / alfa, vtbe, 2e-15 / alfar, vtbc, 50, 2e-12,
                  1e-9 * alfa / (vtbe * 1e9), 4e-12, 10e-9 * alfar / (vtbc * 1e9)},
                 "Q1");
}

TEST(SpiceConvert, BipolarWithoutEarlyVoltageGetsAnEarlyEffectFarBelowRounding)
{
    Conversion conversion = Convert("Q1 c b e qn\n.model qn NPN\n");
    ASSERT_TRUE(conversion.converted) << conversion.refusal;
    std::vector<double> values = Values(Elements(conversion.netlist)[0], 5);
    EXPECT_EQ(values[6], 1e30);
    EXPECT_DOUBLE_EQ(values[0], 100.0 / 101); // ngspice's BF = 100 and IS = 1e-16
    EXPECT_DOUBLE_EQ(values[2], 1e-16 * 101 / 100);
}

TEST(SpiceConvert, MosKeepsBetaAndNgspicesGateCapacitance)
{
    Conversion conversion = Convert("M1 d g s b nm L=2u W=20u m=2\nM2 d g s b pm\n"
                                    ".model nm NMOS(KP=100u VTO=0.7 LAMBDA=0.02 GAMMA=0.5 "
                                    "PHI=0.65 LD=0.1u TOX=20n CGSO=0.2n CGDO=0.2n)\n"
                                    ".model pm PMOS(VTO=-0.8 TOX=15n)\n");
    ASSERT_TRUE(conversion.converted) << conversion.refusal;
    std::vector<std::string> lines = Elements(conversion.netlist);
    std::vector<double> n = Values(lines[0], 6);
    const double w = 40e-6, leff = 1.8e-6, beta = 100e-6 / 2 * w / leff;
    const double cox = 3.9 * 8.854214871e-12 / 20e-9;
    EXPECT_NEAR(n[2] * n[1] / n[0], beta, 1e-12 * beta);               // K·W/L
    EXPECT_NEAR(2 * n[2] / 0.05 * n[1] * n[0], cox * w * leff, 1e-24); // Cox·W·L
    EXPECT_NEAR(2 * n[2] / 0.05 * n[1] * n[7], 0.2e-9 * w, 1e-24);     // the overlap
    EXPECT_EQ(n[1], w);
    ExpectValues({n[3], n[4], n[5], n[6]}, {0.7, 0.02, 0.5, 0.65}, "M1");
    // PMOS: VT0 positive; ngspice's defaults: L = W = 100 µm, KP = UO·Cox with UO = 600.
    std::vector<double> p = Values(lines[1], 6);
    EXPECT_EQ(lines[1].substr(0, 18), "M2 d g s b PMOS L=");
    EXPECT_EQ(p[3], 0.8);
    const double kp = 600e-4 * 3.9 * 8.854214871e-12 / 15e-9;
    EXPECT_NEAR(p[2] * p[1] / p[0], kp / 2, 1e-12 * kp);
    EXPECT_EQ(p[5], 0); // ngspice's GAMMA, not Talvor's default 0.3
}

TEST(SpiceConvert, AcSweepsKeepNgspicesFrequencies)
{
    struct Case {
        const char* deck;
        const char* ac;
    };
    const Case cases[] = {
        {".ac dec 10 1 1meg\n", ".AC DEC 11 1 1e+06"},
        {".AC OCT 3 100 1.6k\n", ".AC OCT 4 100 1600"},
        {".ac lin 101 0 1k\n", ".AC LIN 101 0 1000"},
        {".ac dec 499999 1 100\n", ".AC DEC 500000 1 100"}, // 999999 points, within the limit
        {".ac lin 1000000 1 2\n", ".AC LIN 1000000 1 2"},
        {".param n=5\n.ac dec {2*n} 10 {10*1k}\n", ".AC DEC 11 10 10000"},
        {".ac dec 10 1 10\n.ac lin 5 1 2\n", ".AC LIN 5 1 2"},
    };
    for (const Case& c : cases) {
        Conversion conversion = Convert(std::string("R1 a 0 1\n") + c.deck);
        ASSERT_TRUE(conversion.converted) << c.deck << conversion.refusal;
        std::vector<std::string> lines = SplitLines(conversion.netlist);
        EXPECT_EQ(lines.back(), c.ac) << c.deck;
    }
}

// Every warning of the converter, each with a deck that draws it.
TEST(SpiceConvert, WarnsAboutEveryApproximationAndSkippedCommand)
{
    struct Case {
        const char* deck;
        const char* warning;
    };
    const Case cases[] = {
        {".control\nrun\n.endc\n", "linha 3: bloco .control (até a linha 5) ignorado"},
        {".control\nrun\n", "linha 3: bloco .control sem .endc ignorado"},
        {".ac dec 1 1 10\n.ac dec 2 1 10\n", "linha 4: a linha .ac da linha 3 é substituída"},
        {".options gmin=1e-15 temp=27\n", "linha 3: opção gmin ignorada"},
        {".option post tnom=27 savecurrents\n", "linha 3: opção savecurrents ignorada"},
        {".op\n", "linha 3: .op ignorado: o Talvor faz o ponto de operação e a análise AC"},
        {".tran 1u 1m\n", "linha 3: .tran ignorado"},
        {".print ac v(a)\n", "linha 3: .print ignorado"},
        {".nodeset v(a)=1\n", "linha 3: .nodeset ignorado"},
        {".frobnicate\n", "linha 3: comando .frobnicate desconhecido, ignorado"},
        {"V1 a 0 AC 1 DISTOF1 0.1\n", "linha 3: V1: DISTOF ignorado"},
        {"V1 a 0 SIN(0 1 1k)\n",
         "linha 3: V1: forma de onda SIN ignorada (o Talvor não simula no tempo); nível CC 0, "
         "o valor em t = 0, como no ngspice"},
        {"V1 a 0 DC 1 PULSE(0 1)\n", "linha 3: V1: forma de onda PULSE ignorada (o Talvor não "
                                     "simula no tempo)\n"},
        {"D1 a 0 d\n.model d D(XYZ=1)\n", "linha 4: modelo d: parâmetro xyz desconhecido"},
        {"D1 a 0 d\n.model d D(IKF=10m)\n",
         "linha 4: modelo d: IKF=0.01 ignorado: o Talvor não tem a alta injeção"},
        {"D1 a 0 d\n.model d D(BV=50)\n", "modelo d: BV=50 ignorado: o Talvor não tem a ruptura"},
        // One line per junction whose VJ or M differ from Talvor's, with the depletion
        // capacitance's ratio (ngspice's over Talvor's) at -1 V and -5 V.
        {"D1 a 0 d\n.model d D(CJO=1p)\n",
         "linha 4: modelo d: a junção: VJ=1 (padrão do ngspice) e M=0.5 (padrão do ngspice), mas "
         "o Talvor usa 0.6 e 0.5: a capacitância de depleção do ngspice é 1.2 vez a do Talvor a "
         "-1 V e 1.2 vez a -5 V\n"},
        {"D1 a 0 d\n.model d D(CJO=1p VJ=0.6 M=0.33)\n",
         "modelo d: a junção: VJ=0.6 e M=0.33, mas o Talvor usa 0.6 e 0.5: a capacitância de "
         "depleção do ngspice é 1.2 vez a do Talvor a -1 V e 1.5 vez a -5 V\n"},
        {"D1 a 0 d\n.model d D(CJO=1p VJ=0.6 M=0.1)\n", "1.5 vez a do Talvor a -1 V e 2.4 vezes"},
        {"D1 a 0 d\n.model d D(CJO=1p VJ=0.6 M=0.9)\n", "0.68 vez a do Talvor a -1 V e 0.41 vez"},
        {"D1 a 0 d\n.model d D(CJO=1p VJ=-1)\n",
         "modelo d: a junção: VJ=-1 e M=0.5 (padrão do ngspice), mas o Talvor usa 0.6 e 0.5\n"},
        {"Q1 c b e q\n.model q NPN(CJC=1p VJC=0.75 MJC=0.3085)\n",
         "modelo q: a junção base-coletor: VJC=0.75 e MJC=0.3085, mas o Talvor usa 0.6 e 0.5: a "
         "capacitância de depleção do ngspice é 1.3 vez a do Talvor a -1 V e 1.6 vez a -5 V\n"},
        {"D1 a 0 d\n.model d D(CJO=1p VJ=0.6)\n",
         "modelo d: em condução acima de 0.3 V o Talvor mantém a capacitância de depleção"},
        {"D1 a 0 d\n.model d D(LEVEL=3)\n", "modelo d: LEVEL=3, mas o Talvor usa 1"},
        {"D1 a 0 d\n.model d D(IS=1e-16)\n",
         "modelo d: a junção passa de 0.7 V com 0.057 mA, e acima disso o Talvor a lineariza"},
        {"D1 a 0 d temp=50\n.model d D\n", "linha 3: D1: TEMP e DTEMP ignorados"},
        {".temp 50\nD1 a 0 d\n.model d D\n",
         "modelo d: a análise a 50 °C, fora de TNOM = 27 °C: o ngspice ajusta os parâmetros"},
        {"D1 a 0 d\n.model d D(TNOM=30)\n", "fora de TNOM = 30 °C"},
        {"Q1 c b e q\n.model q NPN(VAF=80)\n",
         "modelo q: VAF=80: o Talvor multiplica a corrente de coletor por 1 + VCE/VA"},
        {"Q1 c b e q\n.model q NPN(RB=100 ISE=1f IKF=10m CJS=1p)\n",
         "modelo q: CJS=1e-12 ignorado: o Talvor não tem a capacitância de substrato"},
        {"Q1 c b e q\n.model q NPN(RB=100 RBM=10)\n",
         "modelo q: RBM=10: no ngspice a resistência de base vai de RB a RBM com a corrente; o "
         "Talvor usa RB=100 fixo"},
        {"Q1 c b e q\n.model q NPN(RB=100 CJC=1p XCJC=0.25)\n",
         "modelo q: XCJC=0.25: o ngspice liga 0.75 da CJC à base externa, antes de RB"},
        {"Q1 c b e q\n.model q NPN(VAF=50 TF=1n)\n",
         "modelo q: VAF=50 e TF=1e-09: a capacitância de difusão do ngspice também cresce com 1 + "
         "VCB/VAF, a do Talvor não; difere na ordem de VCB/VAF (2% por volt de VCB)"},
        {"M1 d g s b m\n.model m NMOS(TOX=10n)\n",
         "modelo m: em triodo o ngspice (Meyer) faz Cgs e Cgd variarem com VDS"},
        {"M1 d g s s m\n.model m PMOS(GAMMA=0.4 PHI=0.64)\nM2 d g s b m\n",
         "linha 4: modelo m: GAMMA=0.4: com o substrato diretamente polarizado (VBS > 0) o Talvor "
         "mantém VT = VT0, e o ngspice baixa VT em GAMMA·VBS/(2·√PHI): 25 mV a VBS = 0.1 V"},
        {"M1 d g s b m L=1u W=1u\n.model m NMOS(LEVEL=2 KP=1e-4 VMAX=1e5 NEFF=2 UCRIT=2e4)\n",
         "modelo m: VMAX=1e+05 ignorado: o Talvor não tem a saturação da velocidade"},
        {"M1 d g s b m L=1u W=1u\n.model m NMOS(LEVEL=2 KP=1e-4)\n",
         "modelo m: nível 2 convertido com as equações do nível 1 (Shichman-Hodges)"},
        {"M1 d g s b m L=1u W=1u\n.model m NMOS(LEVEL=3 KP=1e-4 THETA=0.1)\n",
         "modelo m: KAPPA=0.2 (padrão do ngspice) ignorado: o Talvor não tem a modulação do canal "
         "do nível 3"},
        {"M1 d g s b m L=1u W=1u\n.model m NMOS(LEVEL=3 KP=1e-4 THETA=0.1)\n",
         "modelo m: THETA=0.1 ignorado: o Talvor não tem a queda da mobilidade com VGS"},
        {"Q1 c b e q\n.model q NPN(CJE=1p)\n",
         "modelo q: a junção base-emissor: VJE=0.75 (padrão do ngspice) e MJE=0.33 (padrão do "
         "ngspice), mas o Talvor usa 0.6 e 0.5: a capacitância de depleção do ngspice é 1.2 vez a "
         "do Talvor a -1 V e 1.6 vez a -5 V\n"},
        {"Q1 c b e q\n.model q NPN(CJC=1p VJC=0.6)\n",
         "modelo q: a junção base-coletor: VJC=0.6 e MJC=0.33 (padrão do ngspice), mas o Talvor "
         "usa 0.6 e 0.5"},
        {"Q1 c b e q\n.model q NPN\n", "modelo q: a junção base-emissor passa de 0.7 V"},
        {"M1 d g s b m\n.model m NMOS(KP=1e-4)\n",
         "modelo m: sem TOX o ngspice não tem capacitâncias de porta"},
        {"M1 d g s b m\n.model m NMOS(TOX=10n CGSO=1n)\n",
         "modelo m: CGSO e CGDO diferem: o Talvor usa a mesma sobreposição"},
        {"M1 d g s b m\n.model m NMOS(TOX=10n RD=5 CBD=1p NSUB=1e15)\n",
         "modelo m: NSUB=1e+15 ignorado: o Talvor não tem o cálculo de VTO"},
        {"R1 a 0 1\n", "o deck não tem .ac: o Talvor pedirá a varredura"},
        {".ac dec 5 1k 40meg\n",
         "linha 3: o ngspice ajusta a razão da varredura para terminar em 4e+07, o Talvor "
         "não"},
    };
    for (const Case& c : cases) {
        Conversion conversion = Convert(std::string("R9 a 0 1\n") + c.deck);
        ASSERT_TRUE(conversion.converted) << c.deck << conversion.refusal;
        std::string warnings = Joined(conversion.warnings);
        EXPECT_TRUE(Contains(warnings, c.warning)) << c.deck << "warned:\n" << warnings;
        // Each warning is also in the netlist's comment block.
        for (const std::string& warning : conversion.warnings)
            EXPECT_TRUE(Contains(conversion.netlist, "*   " + warning)) << warning;
    }
}

TEST(SpiceConvert, AModelUsedManyTimesWarnsOnce)
{
    Conversion conversion =
        Convert("D1 a 0 d\nD2 b 0 d\nD3 c 0 d\n.model d D(BV=1)\n.ac dec 1 1 10\n");
    ASSERT_TRUE(conversion.converted);
    EXPECT_EQ(conversion.warnings.size(), 1u) << Joined(conversion.warnings);
}

// Every refusal, each with a deck that draws it, and the line it names.
TEST(SpiceConvert, RefusesWhatCannotBeConvertedWithTheLineAndTheReason)
{
    struct Case {
        const char* deck;
        const char* refusal;
    };
    const Case cases[] = {
        // Reading the deck.
        {"+ R1 a 0 1\n", "linha 2: linha de continuação (+) sem uma linha antes"},
        {"R1 a 0 {1\n", "linha 2: chave { sem a } que a fecha"},
        {"R1 a 0 1}\n", "linha 2: chave } sem a { que a abre"},
        {"R1 a 0 '1\n", "linha 2: aspas ' sem as aspas que as fecham"},
        {"R1 a\x01 0 1\n", "linha 2: caractere de controle (código 1)"},
        {"1 a 0 1\n", "linha 2: linha não reconhecida: 1 a 0 1"},
        {"= a\n", "linha 2: linha não reconhecida"},
        {".ends\n", "linha 2: .ends sem .subckt"},
        {".subckt s a\nR1 a 0 1\n", "linha 2: .subckt s sem .ends"},
        {".subckt s a\n.ends\n.subckt S b\n.ends\n", "linha 4: subcircuito S repetido (já "
                                                     "definido na linha 2)"},
        {".model d D\n.model D D\n", "linha 3: modelo D repetido (já definido na linha 2)"},
        {".include lib.txt\n", "linha 2: .include lib.txt: o arquivo lib.txt não existe"},
        {".lib lib.txt tt\n", "linha 2: .lib lib.txt: o arquivo lib.txt não existe"},
        // A name that is no UTF-8 is shown as Latin-1 in both places.
        {".include m\xb5.txt\n",
         "linha 2: .include m\xc2\xb5.txt: o arquivo m\xc2\xb5.txt não existe"},
        {".if (1)\n", "linha 2: .if não é convertido"},
        {".temp\n", "linha 2: .temp sem temperatura"},
        {".subckt\n", "linha 2: .subckt sem nome"},
        {".model d\n", "linha 2: .model sem nome ou sem tipo"},
        {".subckt s a (b)\n.ends\n", "linha 2: .subckt s: porta inválida '('"},
        {".subckt s a r=\n.ends\n", "linha 2: esperava nome=valor em 'r'"},
        // Parameters and values.
        {".param\n", "linha 2: .param sem nome=valor"},
        {".param junk a=1\n", "linha 2: .param sem nome=valor"},
        {".param a=\n", "linha 2: .param a sem valor"},
        {".param a={b}\n", "linha 2: expressão {b}: parâmetro desconhecido 'b'"},
        {".param a={b}+{c}\n", "linha 2: expressão {{b}+{c}}: parâmetro desconhecido 'b'"},
        {".func\n", "linha 2: .func deve ser .func nome(argumentos) {expressão}"},
        {".func f x\n", "linha 2: .func deve ser"},
        {".func f(1x) {x}\n", "linha 2: .func f: argumento inválido '1x'"},
        {".func f(x)\n", "linha 2: .func f sem expressão"},
        {".func f(x) {f(x)}\nR1 a 0 {f(1)}\n", "linha 3: expressão {f(x)}: aninhamento fundo"},
        {"R1 a 0 x\n", "linha 2: R1: esperava o valor (um número) em vez de 'x'"},
        {"R1 a 0 1e999\n", "linha 2: número fora do alcance: 1e999"},
        {"R1 a 0 {1/0}\n", "linha 2: expressão {1/0}: divisão por zero"},
        {".temp -300\nR1 a 0 1\n", "linha 2: temperatura abaixo do zero absoluto"},
        // Subcircuits.
        {"X1\n", "linha 2: X1 sem o nome do subcircuito"},
        {"X1 a\n", "linha 2: X1: subcircuito a não definido"},
        {"X1 a b nothing\n", "linha 2: X1: subcircuito nothing não definido"},
        {".subckt s a\nX1 a s\n.ends\nX1 n s\n", "linha 3: X1: o subcircuito s contém a si "
                                                 "mesmo"},
        {".subckt s a b\n.ends\nX1 n s\n", "linha 4: X1 liga 1 nós ao subcircuito s, que tem 2"},
        {".subckt s a\n.ends\nX1 n s r=1\n", "linha 4: o subcircuito s não tem o parâmetro r"},
        {".subckt s a\n.ends\nX1 {n} s\n", "linha 4: X1: nó inválido 'n'"},
        // Elements.
        {"B1 a 0 V=1\n", "linha 2: B1: fonte comportamental (tipo B) não tem equivalente"},
        {"S1 a 0 c 0 sw\n", "linha 2: S1: chave (tipo S) não tem equivalente"},
        {"J1 d g s jm\n", "linha 2: J1: JFET (tipo J) não tem equivalente"},
        {"R1 a 0\n", "linha 2: R1: falta o valor"},
        {"R1 a 0 0\n", "linha 2: R1: resistência nula"},
        {"R1 a 0 1 m=0\n", "linha 2: R1: m deve ser positivo"},
        {"R1 a 0 rm\n.model rm R\n", "linha 2: R1: elementos com .model não são convertidos"},
        {"R1 a 0 1 ac=2\n", "linha 2: R1: campo inesperado 'ac'"},
        {"R1 a\n", "linha 2: R1: falta o nó -"},
        {"V1 a 0 DC\n", "linha 2: V1: falta o valor DC"},
        {"V1 a 0 SIN(0 1\n", "linha 2: V1: falta ')'"},
        {"V1 a 0 FOO\n", "linha 2: V1: campo inesperado 'FOO'"},
        {"E1 a 0 VALUE={V(b)*2}\n", "linha 2: E1: só a forma linear"},
        {"E1 a 0 POLY(2) b 0 c 0 0 1 1\n", "linha 2: E1: POLY(2) não é convertível: só o POLY(1) "
                                           "linear, p0 + p1·x"},
        {"G1 a 0 POLY(1) b 0 0 1 0.5\n", "linha 2: G1: POLY(1) com o termo de ordem 2 (p2=0.5) não "
                                         "é convertível"},
        {"E1 a 0 POLY(1) b 0\n", "linha 2: E1: POLY(1) sem coeficientes"},
        {"G1 a 0 b 0 1 extra\n", "linha 2: G1: campo inesperado 'extra'"},
        {"V1 b 0 0\nF1 a 0 POLY(1) V1 0 1 2\n", "linha 3: F1: POLY(1) com o termo de ordem 2"},
        {"H1 a 0 POLY(3) V1 V2 V3 0 1 1 1\n", "linha 2: H1: POLY(3) não é convertível"},
        {"F1 a 0 Vx 2\n", "linha 2: F1: a fonte de tensão de controle Vx não existe"},
        {"F1 a 0 R9 2\n", "linha 2: F1: a fonte de tensão de controle R9 não existe"},
        {"K1 L1 L2 0.5\nL1 a 0 1\n", "linha 2: K1: o indutor L2 não existe"},
        {"T1 a 0 b c Z0=50 TD=1n\n", "linha 2: T1: as duas portas têm nós de referência"},
        {"T1 a 0 b 0 TD=1n\n", "linha 2: T1: falta Z0"},
        {"T1 a 0 b 0 Z0=50\n", "linha 2: T1: falta TD ou F"},
        {"R1 a 0 1\nr1 b 0 2\n", "linha 3: nome repetido: r1 (também na linha 2)"},
        {"C1 a 0 1e300 m=1e300\n", "linha 2: C1: valor fora do alcance"},
        {"V1 a 0 SIN(1e308 1e308 1k 0 0 90)\n", "linha 2: V1: valor fora do alcance"},
        // Devices.
        {"D1 a 0 nothing\n", "linha 2: D1: modelo nothing não definido"},
        {"D1 a 0 q\n.model q NPN\n", "linha 2: D1: o modelo q é do tipo npn"},
        {"D1 a 0 d\n.model d D(IS 1)\n", "linha 3: modelo d: esperava nome=valor em 'IS'"},
        {"D1 a 0 d\n.model d D(N=0)\n", "linha 3: modelo d: IS e N devem ser positivos"},
        {"D1 a 0 d area=0\n.model d D\n", "linha 2: D1: a área e m devem ser positivos"},
        {"Q1 c b e q\n.model q NPN(BF=0)\n", "linha 3: modelo q: IS, BF, BR, NF e NR devem"},
        {"M1 d g s b m\n.model m NMOS(LEVEL=49)\n",
         "linha 3: modelo m: MOS de nível 49 (BSIM3) não é convertível; o Talvor tem o nível 1 "
         "(Shichman-Hodges) e converte para ele os níveis 2 e 3"},
        {"M1 d g s b m\n.model m PMOS(LEVEL=54 VERSION=4.8)\n",
         "linha 3: modelo m: MOS de nível 54 (BSIM4) não é convertível"},
        {"M1 d g s b m\n.model m NMOS(LEVEL=6)\n", "linha 3: modelo m: MOS de nível 6 não é "},
        {"Q1 c b e qx\n", "linha 2: Q1: modelo qx não definido"},
        {"Q1 c b e s qx\n", "linha 2: Q1: modelo qx não definido"},
        {"Q1 c b e qx off\n", "linha 2: Q1: modelo qx não definido"},
        {"Q1 c b e q\n.model q NPN(RB=-1)\n", "linha 3: modelo q: RB, RC e RE não podem ser"},
        {"D1 a 0 d\n.model d D(RS=-1)\n", "linha 3: modelo d: RS não pode ser negativo"},
        {"Q1 c b e q\n.model q NPN(LEVEL=4)\n",
         "linha 3: modelo q: bipolar de nível 4; o Talvor tem só o nível 1 (Gummel-Poon)"},
        {"M1 d g s b m L=1u\n.model m NMOS(LD=0.5u)\n", "linha 2: M1: W e L - 2·LD devem"},
        {"M1 d g s b m\n.model m NMOS(PHI=0)\n", "linha 3: modelo m: PHI deve ser positivo"},
        {"M1 d g s b m\n.model m NMOS(KP=0)\n", "linha 3: modelo m: KP deve ser positivo"},
        {"M1 d g s m\n.model m NMOS\n", "linha 2: M1: falta o nome do modelo"},
        // The sweep.
        {"R1 a 0 1\n.ac list 1 2\n", "linha 3: .ac deve ser"},
        {"R1 a 0 1\n.ac log 10 1 2\n", "linha 3: .ac log não é convertível"},
        {"R1 a 0 1\n.ac dec 2.5 1 2\n", "linha 3: .ac: o número de pontos deve ser um inteiro"},
        {"R1 a 0 1\n.ac dec 10 0 2\n", "linha 3: .ac: as frequências devem ser positivas"},
        {"R1 a 0 1\n.ac lin 10 5 2\n", "linha 3: .ac: as frequências devem ser positivas"},
        {"R1 a 0 1\n.ac dec 500000 1 100\n", "linha 3: .ac: 1000001 pontos; o Talvor escreve "
                                             "tabelas de até 1000000 pontos"},
        {"R1 a 0 1\n.ac lin 1000001 1 2\n", "linha 3: .ac: 1000001 pontos"},
        // Nothing to convert.
        {"* only a comment\n", "o deck não tem elementos"},
    };
    for (const Case& c : cases) {
        Conversion conversion = Convert(c.deck);
        EXPECT_FALSE(conversion.converted) << c.deck;
        EXPECT_TRUE(conversion.netlist.empty()) << c.deck;
        EXPECT_EQ(conversion.refusal.substr(0, std::string(c.refusal).size()), c.refusal)
            << c.deck << "refused with: " << conversion.refusal;
    }
}

// A deck converted beside the files it includes, written first into a scratch folder (names
// may hold folders: "m/a.lib").
Conversion ConvertWithFiles(const std::vector<std::pair<std::string, std::string>>& files,
                            const std::string& deck)
{
    TempDir dir;
    for (const auto& [name, text] : files) {
        std::filesystem::create_directories(
            std::filesystem::path(dir.Path() + "/" + name).parent_path());
        dir.Write(name, text);
    }
    return ConvertDeck("Titulo\n" + deck, "t.cir", dir.Path());
}

using Files = std::vector<std::pair<std::string, std::string>>;

// Include trees: paths relative to the file that names them, sections, each file and section
// read once.
TEST(SpiceConvert, IncludedFilesAreReadWhereTheirIncludeLinesStand)
{
    struct Case {
        Files files;
        const char* deck;
        const char* elements;
    };
    const Case cases[] = {
        {{{"m/a.lib", ".include sub/b.inc\nR2 a 0 {r}\n"}, {"m/sub/b.inc", ".param r=2k\n"}},
         ".include m/a.lib\nR1 a 0 1\n",
         "R2 a 0 2000\nR1 a 0 1\n"},
        {{{"my lib/c.lib", "R2 a 0 3\n"}},
         ".INCLUDE \"my lib/c.lib\"\n.inc 'my lib/c.lib'\n",
         "R2 a 0 3\n"},
        {{{"c.lib", ".lib tt\nR2 a 0 1\n.endl\n.lib ff\nR2 a 0 2\n.endl ff\n"}},
         ".lib c.lib FF\n",
         "R2 a 0 2\n"},
        {{{"c.lib", ".lib common\n.param r=5\n.endl\n.lib tt\n.lib c.lib common\nR2 a 0 {r}\n"
                    ".endl\n"}},
         ".lib c.lib tt\n.lib c.lib tt\n",
         "R2 a 0 5\n"},
        {{{"c.lib", "R2 a 0 1\n"}},
         ".include c.lib\n.include ./c.lib\nR1 a 0 1\n",
         "R2 a 0 1\nR1 a 0 1\n"},
        {{{"body.inc", "R1 a 0 7\n"}},
         ".subckt s a\n.include body.inc\n.ends\nX1 n s\n",
         "R.X1.R1 n 0 7\n"},
        {{{"c.lib", "R2 a 0 1\n.lib unused\nR3 a 0 1\n.endl\n"}}, ".include c.lib\n", "R2 a 0 1\n"},
        {{{"c.lib", "R2 a 0 1\n.end\nR3 a 0 1\n"}},
         ".include c.lib\nR1 a 0 1\n",
         "R2 a 0 1\nR1 a 0 1\n"},
        {{{"a.inc", ".include b.inc\nR1 a 0 1\n"}, {"b.inc", ".include a.inc\nR2 b 0 1\n"}},
         ".include a.inc\n",
         "R2 b 0 1\nR1 a 0 1\n"},
    };
    for (const Case& c : cases) {
        Conversion conversion = ConvertWithFiles(c.files, c.deck);
        ASSERT_TRUE(conversion.converted) << c.deck << conversion.refusal;
        EXPECT_EQ(Joined(Elements(conversion.netlist)), c.elements) << c.deck;
    }
}

TEST(SpiceConvert, IncludedFilesNameTheFileAndLineOfWhatTheyHold)
{
    Files chain;
    for (int k = 0; k < 25; ++k)
        chain.push_back(
            {"c" + std::to_string(k) + ".inc", ".include c" + std::to_string(k + 1) + ".inc\n"});
    Files many;
    std::string includeMany;
    for (int k = 0; k <= 100; ++k) {
        many.push_back({"f" + std::to_string(k) + ".inc", "\n"});
        includeMany += ".include f" + std::to_string(k) + ".inc\n";
    }
    struct Case {
        Files files;
        std::string deck;
        const char* refusal;
    };
    const Case cases[] = {
        {{{"m/a.lib", "* nothing\n.include nothere.inc\n"}},
         "R1 a 0 1\n.include m/a.lib\n",
         "m/a.lib, linha 2: .include nothere.inc: o arquivo m/nothere.inc não existe (m/a.lib foi "
         "incluído pela linha 3)"},
        {{{"c.lib", ".lib tt\n.endl\n"}},
         ".lib c.lib ss\n",
         "linha 2: .lib c.lib ss: c.lib não tem a seção ss"},
        {{{"c.lib", ".lib tt\nR1 a 0 1\n"}},
         ".lib c.lib tt\n",
         "c.lib, linha 1: .lib tt sem .endl que termine a seção"},
        {{}, ".endl\n", "linha 2: .endl sem a linha .lib SEÇÃO que começa a seção"},
        {{}, ".lib a b c\n", "linha 2: .lib deve ser .lib ARQUIVO SEÇÃO"},
        {{}, ".include\n", "linha 2: .include deve ser .include ARQUIVO"},
        {{{"d/x", ""}}, ".include d\n", "linha 2: .include d: o arquivo d não é um arquivo comum"},
        {{{"c.lib", "* a comment\nR1 a 0 x\n"}},
         ".include c.lib\n",
         "c.lib, linha 2: R1: esperava o valor"},
        {{{"c.lib", "+ R1 a 0 1\n"}},
         ".include c.lib\n",
         "c.lib, linha 1: linha de continuação (+) sem uma linha antes"},
        {{{"a.lib", ".model d D\n"}, {"b.lib", "\n\n.model D D\n"}},
         ".include a.lib\n.include b.lib\n",
         "b.lib, linha 3: modelo D repetido (já definido na linha 1 de a.lib)"},
        {chain, ".include c0.inc\n", "arquivos incluídos uns nos outros em mais de 20 níveis"},
        {many, includeMany, "o deck inclui mais de 100 arquivos"},
    };
    for (const Case& c : cases) {
        Conversion conversion = ConvertWithFiles(c.files, c.deck);
        EXPECT_FALSE(conversion.converted) << c.deck;
        EXPECT_TRUE(Contains(conversion.refusal, c.refusal))
            << c.deck << "refused with: " << conversion.refusal;
    }

    // Warnings too: the deck's first, then each file's in the order they were read.
    Conversion warned =
        ConvertWithFiles({{"b.lib", "\n.model d D(BV=5)\n"}, {"a.lib", ".op\n"}},
                         "D1 a 0 d\n.include a.lib\n.include b.lib\n.tran 1u 1m\n.ac dec 1 1 10\n");
    ASSERT_TRUE(warned.converted) << warned.refusal;
    EXPECT_EQ(Joined(warned.warnings),
              "linha 5: .tran ignorado: o Talvor faz o ponto de operação e a análise AC\n"
              "a.lib, linha 1: .op ignorado: o Talvor faz o ponto de operação e a análise AC\n"
              "b.lib, linha 2: modelo d: BV=5 ignorado: o Talvor não tem a ruptura reversa\n");
}

// RB, RE, RC, a diode's RS and a MOS's RD, RS: resistors through internal nodes, the values
// divided by the area or m, listed in the comments; in deck order while the limits allow.
TEST(SpiceConvert, SeriesResistancesBecomeResistorsThroughInternalNodes)
{
    Conversion conversion = Convert(".model q NPN(RB=100 RC=5 RE=2)\nQ1 c b e q\n"
                                    ".model d D(RS=10)\nD1 a 0 d 2\n"
                                    ".model m NMOS(RD=30 RS=20)\nM1 d g s 0 m m=2\n"
                                    ".subckt s x\nQ1 x y 0 q\n.ends\nX1 n s\n");
    ASSERT_TRUE(conversion.converted) << conversion.refusal;
    std::vector<std::string> elements = Elements(conversion.netlist);
    ASSERT_EQ(elements.size(), 13u) << Joined(elements);
    EXPECT_EQ(elements[0].substr(0, 21), "Q1 Q1#c Q1#b Q1#e NPN");
    EXPECT_EQ(elements[1], "RQ1#b b Q1#b 100");
    EXPECT_EQ(elements[2], "RQ1#e e Q1#e 2");
    EXPECT_EQ(elements[3], "RQ1#c c Q1#c 5");
    EXPECT_EQ(elements[4].substr(0, 12), "D1 D1#a 0 2e");
    EXPECT_EQ(elements[5], "RD1#a a D1#a 5");
    EXPECT_EQ(elements[6].substr(0, 18), "M1 M1#d g M1#s 0 N");
    EXPECT_EQ(elements[7], "RM1#d d M1#d 15");
    EXPECT_EQ(elements[8], "RM1#s s M1#s 10");
    // The subcircuit's Q1 takes the next free names.
    EXPECT_EQ(elements[9].substr(0, 32), "Q.X1.Q1 Q1#c~1 Q1#b~1 Q1#e~1 NPN");
    EXPECT_EQ(elements[10], "RQ1#b~1 X1.y Q1#b~1 100");
    for (const char* line :
         {"*   Q1#b: nó interno de Q1 (base, atrás de RB)", "*   RQ1#b: RB=100 de Q1",
          "*   D1#a: nó interno de D1 (anodo, atrás de RS)",
          "*   M1#s: nó interno de M1 (fonte, atrás de RS)",
          "*   Q1#b~1: nó interno de Q.X1.Q1 (base, atrás de RB)"})
        EXPECT_TRUE(Contains(conversion.netlist, line)) << line << "\n" << conversion.netlist;

    // 46 nodes, and Q1's three: room for one more node, RB's.
    std::string full = ".model q NPN(RB=100 RC=5 RE=2)\n";
    for (int k = 1; k <= 46; ++k)
        full += "R" + std::to_string(k) + " n" + std::to_string(k) + " 0 1\n";
    full += "Q1 c b e q\n";
    Conversion limited = Convert(full);
    ASSERT_TRUE(limited.converted) << limited.refusal;
    EXPECT_EQ(limited.variableCount, 50);
    EXPECT_TRUE(Contains(Joined(Elements(limited.netlist)), "Q1 c Q1#b e NPN"));
    EXPECT_TRUE(Contains(Joined(limited.warnings),
                         "linha 49: Q1: RE=2 e RC=5 ficaram de fora: com todas as resistências "
                         "série o circuito teria 52 variáveis, 2 além das 50 do Talvor\n"))
        << Joined(limited.warnings);
}

// Nodes that only capacitors, MOS gates and large resistances hold at DC, where Talvor's g0
// moves the operating point; nodes that anything else holds are not warned about.
TEST(SpiceConvert, WarnsWhereTalvorsG0HoldsANode)
{
    struct Case {
        const char* deck;
        const char* warning; // the only warning about a node, or "" for none
    };
    const Case cases[] = {
        {"V1 in 0 AC 1\nC1 in g 1u\nR1 g 0 10meg\n",
         "linha 3: nó g: em DC só resistências de 1e+07 Ω em paralelo o ligam ao circuito, além "
         "de 1 ramo de capacitores e portas de MOS; o g0 do Talvor em cada um (1e-9 S) muda a sua "
         "tensão em cerca de 1% da tensão sobre eles; --g0=1e-13 faz como o ngspice"},
        {"V1 in 0 AC 1\nC1 in m 1u\nC2 m 0 1u\n",
         "linha 3: nó m: em DC só capacitores e portas de MOS o ligam ao circuito; o ngspice não "
         "acha o ponto de operação (nó flutuante), o Talvor tira a tensão do nó do g0 que põe "
         "neles"},
        {"V1 d 0 5\nM1 d g 0 0 m\n.model m NMOS\nR1 g 0 1meg\n",
         "nó g: em DC só resistências de 1e+06 Ω em paralelo o ligam ao circuito, além de 3 ramos "
         "de capacitores e portas de MOS; o g0 do Talvor em cada um (1e-9 S) muda a sua tensão em "
         "cerca de 0.3% da tensão sobre eles; --g0=1e-13"},
        // ngspice's bulk junctions hold a bulk (at 5 mV here, 0.16 V without R2); Talvor has none.
        {"V1 d 0 5\nM1 d g 0 b m\n.model m NMOS\nR1 g 0 1k\nR2 b 0 1g\n",
         "linha 3: nó b: substrato de MOS ligado em DC só por capacitâncias e resistências de "
         "1e+09 Ω em paralelo; o ngspice o prende ao dreno e à fonte pelas junções do substrato, "
         "que o Talvor não tem: a tensão do nó (e, com GAMMA, VT) difere da do ngspice"},
        {"V1 d 0 5\nM1 d g 0 b m\n.model m NMOS\nR1 g 0 1k\n",
         "nó b: substrato de MOS ligado em DC só por capacitâncias; o ngspice o prende"},
        {"V1 d 0 5\nM1 d g 0 b m\n.model m NMOS\nR1 g 0 1k\nR2 b 0 1k\n", ""},
        {"I1 0 a AC 1\nR1 a 0 1g\nC1 a 0 1p\n", "nó a: em DC só resistências de 1e+09 Ω"},
        {"V1 a 0 1\nC1 a b 1u\nR1 b 0 1\n", ""},
        {"V1 a 0 AC 1\nC1 a 0 1u\n", ""},
        {"V1 a 0 AC 1\nC1 a b 1u\nR1 b 0 1g\nD1 b 0 d\n.model d D\n", ""},
        {"V1 a 0 AC 1\nC1 a b 1u\nR1 b 0 100k\nR2 b 0 22k\n", ""}, // 2e-5: not worth a word
        {"V1 a 0 AC 1\nC1 a b 1u\nL1 b 0 1m\n", ""},
    };
    for (const Case& c : cases) {
        Conversion conversion = Convert(std::string(c.deck) + ".ac dec 1 1 10\n");
        ASSERT_TRUE(conversion.converted) << c.deck << conversion.refusal;
        std::vector<std::string> nodes;
        for (const std::string& warning : conversion.warnings)
            if (Contains(warning, ": nó "))
                nodes.push_back(warning);
        if (*c.warning == '\0') {
            EXPECT_TRUE(nodes.empty()) << c.deck << Joined(nodes);
            continue;
        }
        ASSERT_EQ(nodes.size(), 1u) << c.deck << Joined(nodes);
        EXPECT_TRUE(Contains(nodes[0], c.warning)) << nodes[0];
    }
}

TEST(SpiceConvert, LongNamesGetShortUniqueNamesListedInTheComments)
{
    Conversion conversion = Convert("Rverylongname in out_of_the_box 1\n"
                                    "Rverylongnamf in out_of_the_box 2\n"
                                    "Rverylon~1 in 0 3\n" // a deck name that looks like a new one
                                    ".subckt stage a\nRlongish a internal_node 1\n.ends\n"
                                    "Xfirst in stage\n");
    ASSERT_TRUE(conversion.converted) << conversion.refusal;
    EXPECT_EQ(Joined(Elements(conversion.netlist)), "Rverylon~2 in out_of_t~1 1\n"
                                                    "Rverylon~3 in out_of_t~1 2\n"
                                                    "Rverylon~1 in 0 3\n"
                                                    "Rlongish~1 in internal~1 1\n");
    for (const char* line :
         {"*   Rverylon~2 = Rverylongname", "*   Rverylon~3 = Rverylongnamf",
          "*   out_of_t~1 = out_of_the_box", "*   Rlongish~1 = R.Xfirst.Rlongish",
          "*   internal~1 = Xfirst.internal_node"})
        EXPECT_TRUE(Contains(conversion.netlist, line)) << line << "\n" << conversion.netlist;
}

TEST(SpiceConvert, ZeroVoltSensingSourcesBecomeTheInputBranches)
{
    Conversion conversion = Convert("V1 a b 0\nF1 0 c V1 2\nH1 0 d v1 100\nR1 b 0 1\n");
    ASSERT_TRUE(conversion.converted) << conversion.refusal;
    EXPECT_EQ(Joined(Elements(conversion.netlist)),
              "F1 0 c a V1~1 2\nH1 0 d V1~1 b 100\nR1 b 0 1\n");
    EXPECT_TRUE(Contains(conversion.netlist,
                         "* Corrente de V1 (0 V) = jF1: a fonte virou a entrada de F1."));
    EXPECT_TRUE(Contains(conversion.netlist, "*   V1~1 = nó novo entre V1 e as entradas"));

    Conversion alone = Convert("V1 a b 0\nH1 0 d V1 100\n");
    EXPECT_EQ(Joined(Elements(alone.netlist)), "H1 0 d a b 100\n");
    EXPECT_TRUE(Contains(alone.netlist, "* Corrente de V1 (0 V) = jyH1:"));
}

TEST(SpiceConvert, SensingSourcesWithAValueStayInSeries)
{
    for (const char* source : {"V1 a b DC 1", "V1 a b AC 1", "V1 a b 0 AC 0.5 90"}) {
        Conversion conversion = Convert(std::string(source) + "\nF1 0 c V1 2\n");
        ASSERT_TRUE(conversion.converted) << conversion.refusal;
        std::vector<std::string> elements = Elements(conversion.netlist);
        EXPECT_EQ(elements[0].substr(0, 10), "V1 a V1~1 ") << source;
        EXPECT_EQ(elements[1], "F1 0 c V1~1 b 2") << source;
    }
}

TEST(SpiceConvert, RefusesCircuitsBeyondTalvorsLimitsWithTheCounts)
{
    std::string many;
    for (int k = 1; k <= 201; ++k)
        many += "R" + std::to_string(k) + " a 0 1\n";
    EXPECT_EQ(Convert(many).refusal, "linha 202: o circuito convertido tem 201 elementos e 1 "
                                     "variáveis (1 nós e 0 correntes); o Talvor aceita até 200 "
                                     "elementos e 50 variáveis: R201 passa dos limites");
    std::string nodes;
    for (int k = 1; k <= 48; ++k)
        nodes += "R" + std::to_string(k) + " n" + std::to_string(k) + " 0 1\n";
    nodes += "V1 n1 0 0\nH1 n2 0 V1 1\n"; // 48 nodes and H's 2 currents: the limit
    EXPECT_TRUE(Convert(nodes).converted) << Convert(nodes).refusal;
    nodes += "E1 n3 0 n4 0 1\n";
    EXPECT_EQ(Convert(nodes).refusal, "linha 52: o circuito convertido tem 50 elementos e 51 "
                                      "variáveis (48 nós e 3 correntes); o Talvor aceita até 200 "
                                      "elementos e 50 variáveis: E1 passa dos limites");
    // Exactly 200 elements convert.
    std::string twoHundred;
    for (int k = 1; k <= 200; ++k)
        twoHundred += "R" + std::to_string(k) + " a 0 1\n";
    EXPECT_TRUE(Convert(twoHundred).converted);
}

// Decks made to hurt: each must end in a refusal with the reason (their cost is measured in
// bench/spice).
TEST(SpiceConvert, HostileDecksAreRefusedCleanly)
{
    std::string deepBraces = "R1 a 0 {";
    for (int k = 0; k < 200000; ++k)
        deepBraces += "(";
    deepBraces += "1";
    for (int k = 0; k < 200000; ++k)
        deepBraces += ")";
    deepBraces += "}\n";

    // Ten levels of ten instances of twenty resistors: 2e11 resistors if followed.
    std::string explosive = ".subckt s0 a\n";
    for (int k = 0; k < 20; ++k)
        explosive += "R" + std::to_string(k) + " a 0 1\n";
    explosive += ".ends\n";
    for (int level = 1; level <= 10; ++level) {
        explosive += ".subckt s" + std::to_string(level) + " a\n";
        for (int k = 0; k < 10; ++k)
            explosive += "X" + std::to_string(k) + " a s" + std::to_string(level - 1) + "\n";
        explosive += ".ends\n";
    }
    explosive += "X1 n s10\n";
    std::string emptyExplosive = explosive.substr(explosive.find(".ends\n"));
    emptyExplosive = ".subckt s0 a\n" + emptyExplosive;

    std::string nested;
    for (int k = 0; k < 60; ++k)
        nested +=
            ".subckt s" + std::to_string(k) + " a\nX1 a s" + std::to_string(k + 1) + "\n.ends\n";
    nested += ".subckt s60 a\nR1 a 0 1\n.ends\nX1 n s0\n";

    std::string longNames;
    for (int k = 0; k < 10000; ++k)
        longNames += "Rsame_long_prefix_" + std::to_string(k) + " a 0 1\n";

    struct Case {
        std::string deck;
        const char* refusal;
    };
    const Case cases[] = {
        {longNames, "o circuito convertido tem 10000 elementos"},
        {deepBraces, "linha 2: expressão {((((((((((((((((((((((((((((((((((((((((...}: "
                     "aninhamento fundo demais"},
        {".subckt a x\nXb x b\n.ends\n.subckt b x\nXa x a\n.ends\nX1 n a\n",
         "linha 6: Xa: o subcircuito a contém a si mesmo"},
        {explosive, "linha 3: o circuito tem mais de 10000 elementos; o Talvor aceita até 200"},
        {emptyExplosive, "o circuito tem mais de 10000 instâncias de subcircuitos"},
        {nested, "subcircuitos aninhados em mais de 50 níveis"},
        {"R1 a 0 1e308meg\n", "linha 2: número fora do alcance: 1e308meg"},
        {"R1 a 0 {1e200*1e200}\n", "resultado infinito ou indefinido"},
        {".subckt s a\nR1 a 0 1\n", "linha 2: .subckt s sem .ends"},
        {"R1 a 0 1" + std::string(2 << 20, 'x') + "\n", "linha 2: linha longa demais"},
        {"R1 a 0 1\n" + std::string(3 << 20, '+') + "\n", "linha 2: linha longa demais"},
        {std::string(17 << 20, '*'), "deck grande demais"},
        {"", "deck vazio"},
    };
    for (const Case& c : cases) {
        Conversion conversion = ConvertDeck(c.deck.empty() ? c.deck : "Titulo\n" + c.deck, "t");
        EXPECT_FALSE(conversion.converted) << c.refusal;
        EXPECT_TRUE(Contains(conversion.refusal, c.refusal)) << conversion.refusal;
    }
}

TEST(SpiceConvert, TitlesAndHugeNamesStayWithinOneShortLine)
{
    const std::string hugeName(100000, 'n');
    Conversion conversion = ConvertDeck(std::string(5000, 'T') + "\x01\nR1 " + hugeName +
                                            " 0 1\nV" + hugeName + " a 0 1\n",
                                        "t.cir");
    ASSERT_TRUE(conversion.converted) << conversion.refusal;
    for (const std::string& line : SplitLines(conversion.netlist))
        EXPECT_LE(line.size(), 400u) << line.substr(0, 80);
    EXPECT_EQ(Elements(conversion.netlist)[0], "R1 nnnnnnnn~1 0 1");
}

// A converted netlist must be read by Talvor's own reader exactly as counted.
TEST(SpiceConvert, EveryStoredDeckConvertsToANetlistTalvorReads)
{
    int decks = 0;
    for (const auto& entry : std::filesystem::directory_iterator(TALVOR_TEST_DATA "/spice")) {
        if (entry.path().extension() != ".cir")
            continue;
        ++decks;
        SCOPED_TRACE(entry.path().filename().string());
        Conversion conversion = ConvertDeck(ReadWholeFile(entry.path().string()), "deck.cir",
                                            entry.path().parent_path().string());
        ASSERT_TRUE(conversion.converted) << conversion.refusal;
        TempDir dir;
        std::string path = dir.Write("deck.net", conversion.netlist);
        auto circuit = std::make_unique<Circuit>();
        RecordingSink sink;
        MessageLog log(sink);
        ASSERT_TRUE(ReadNetlist(*circuit, log, path, false)) << Joined(sink.lines);
        EXPECT_EQ(circuit->elementCount, conversion.elementCount);
        EXPECT_EQ(circuit->nodeCount, conversion.nodeCount);
        EXPECT_EQ(circuit->variableCount, conversion.variableCount);
        EXPECT_FALSE(circuit->useSettingsSweep) << "the .AC line was not taken";
        for (const std::string& line : sink.lines)
            EXPECT_FALSE(Contains(line, "não reconhecida")) << line;
    }
    EXPECT_GE(decks, 20);
}

} // namespace
