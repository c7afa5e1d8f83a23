// The regions the diagnosis names for each device, at and around their thresholds, with the
// terminal voltages it quotes; devices off ground so that every voltage is a difference.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/diagnosis/device_regions.h"
#include "analysis_test_circuit.h"

using namespace talvor;

namespace {

struct RegionFixture : ::testing::Test {
    RecordingSink sink;
    MessageLog log{sink};
    Circuit circuit;
    CircuitBuilder build{circuit, log};
    OperatingPoint op;

    void Set(const char* node, double value) { op.V[build.Unknown(node)] = value; }
};

TEST_F(RegionFixture, DiodeAroundZeroAndVdmax)
{
    const Element& d = build.Add("D1", {"a", "k"});
    struct Case {
        double anode, vdmax;
        const char* words;
    };
    const Case cases[] = {
        {0, 0.7, "D1 (reverso, Vd=-1)"},
        {1, 0.7, "D1 (reverso, Vd=0)"},
        {1.5, 0.7, "D1 (direto, Vd=0.5)"},
        {1.7, 0.7, "D1 (direto, Vd=0.7)"},
        {1.8, 0.7, "D1 (direto acima de Vdmax, Vd=0.8)"},
        {1.8, 0.9, "D1 (direto, Vd=0.8)"},
    };
    for (const Case& c : cases) {
        Set("a", c.anode);
        Set("k", 1);
        op.vdmax = c.vdmax;
        EXPECT_EQ(DescribeDevice(d, op), c.words);
    }
}

TEST_F(RegionFixture, PiecewiseLinearSegmentsStartAtTheirPoints)
{
    const Element& n = build.Add("N1", {"a", "b"}, {-1, -1, 0, 0, 1, 1, 2, 3});
    struct Case {
        double v;
        const char* words;
    };
    const Case cases[] = {
        {-0.5, "N1 (trecho 1, V=-0.5)"}, {0, "N1 (trecho 2, V=0)"},
        {0.5, "N1 (trecho 2, V=0.5)"},   {1, "N1 (trecho 3, V=1)"},
        {7, "N1 (trecho 3, V=7)"},       {1.23456, "N1 (trecho 3, V=1.23456)"},
    };
    for (const Case& c : cases) {
        Set("a", 2 + c.v);
        Set("b", 2);
        EXPECT_EQ(DescribeDevice(n, op), c.words);
    }
}

TEST_F(RegionFixture, BipolarByItsTwoJunctions)
{
    // Emitter at 1 V; the quoted voltages are the raw V(B) − V(E) and V(B) − V(C).
    struct Case {
        char type;
        double c, b;
        int region; // the code the replay records: bit 0 emitter junction, bit 1 collector
        const char* words;
    };
    const Case cases[] = {
        {'N', 6, 1.6, 1, "Q1 (ativo, Vbe=0.6 Vbc=-4.4)"},
        {'N', 1.1, 1.6, 3, "Q1 (saturado, Vbe=0.6 Vbc=0.5)"},
        {'N', 6, 0, 0, "Q1 (cortado, Vbe=-1 Vbc=-6)"},
        {'N', 0.5, 0.6, 2, "Q1 (ativo reverso, Vbe=-0.4 Vbc=0.1)"},
        {'N', 6, 1, 0, "Q1 (cortado, Vbe=0 Vbc=-5)"},
        {'N', 1.6, 1.6, 1, "Q1 (ativo, Vbe=0.6 Vbc=0)"},
        {'P', -4, 0.4, 1, "Q1 (ativo, Vbe=-0.6 Vbc=4.4)"},
        {'P', 0.9, 0.4, 3, "Q1 (saturado, Vbe=-0.6 Vbc=-0.5)"},
        {'P', -4, 2, 0, "Q1 (cortado, Vbe=1 Vbc=6)"},
        {'P', 1.5, 1.4, 2, "Q1 (ativo reverso, Vbe=0.4 Vbc=-0.1)"},
        {'N', 6, 1.612341, 1, "Q1 (ativo, Vbe=0.612341 Vbc=-4.38766)"},
    };
    for (const Case& c : cases) {
        circuit.Reset();
        Element& q = build.Add("Q1", {"c", "b", "e"});
        q.y = c.type;
        Set("c", c.c);
        Set("b", c.b);
        Set("e", 1);
        EXPECT_EQ(DeviceRegion(q, op), c.region) << c.words;
        EXPECT_EQ(DescribeDevice(q, op), c.words);
    }
}

TEST_F(RegionFixture, MosByTheRegionItsModelChose)
{
    Element& m = build.Add("M1", {"d", "g", "s", "b"});
    Set("d", 6.654321);
    Set("g", 4.123456);
    Set("s", 1);
    struct Case {
        int orientation;
        const char* words;
    };
    const Case cases[] = {
        {1, "M1 (cortado, Vgs=3.12346 Vds=5.65432)"},
        {2, "M1 (saturado, Vgs=3.12346 Vds=5.65432)"},
        {3, "M1 (triodo, Vgs=3.12346 Vds=5.65432)"},
        {-1, "M1 (cortado invertido, Vgs=-2.53087 Vds=-5.65432)"},
        {-2, "M1 (saturado invertido, Vgs=-2.53087 Vds=-5.65432)"},
        {-3, "M1 (triodo invertido, Vgs=-2.53087 Vds=-5.65432)"},
    };
    for (const Case& c : cases) {
        m.x = c.orientation;
        EXPECT_EQ(DescribeDevice(m, op), c.words);
    }
}

TEST_F(RegionFixture, LinearElementsHaveNoRegion)
{
    const Element& r = build.Add("R1", {"a", "0"}, {1});
    EXPECT_EQ(DeviceRegion(r, op), -1);
    EXPECT_EQ(RegionWords(r, 0), "");
}

} // namespace
