// The operating-point report line of every device, byte for byte: D forward, reverse and at
// exactly 0 V, Q npn and pnp in every region, M n- and p-channel in every region and both
// orientations. The terminals are held by voltage sources, so the expected lines follow from the
// model equations at known voltages (computed by hand from those equations, not by this code).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/operating_point.h"
#include "analysis_test_circuit.h"

using namespace talvor;

namespace {

struct ReportCase {
    const char* label;
    const char* device;            // D1, Q1 or M1
    std::vector<double> terminals; // the voltage of each of the device's nodes, in line order
    char type;                     // N or P for Q and M
    std::vector<double> values;    // the netlist values, none for the defaults
    const char* vdmax;             // the "Evdmax" field
    const char* expected;
};

void PrintTo(const ReportCase& c, std::ostream* os) { *os << c.label; }

class DeviceReportLine : public ::testing::TestWithParam<ReportCase> {};

TEST_P(DeviceReportLine, IsWrittenByteForByte)
{
    const ReportCase& c = GetParam();
    RecordingSink sink;
    MessageLog log(sink);
    TestHost host;
    host.settings.Evdmax = c.vdmax;
    Analysis analysis(log, host);
    CircuitBuilder build(analysis.circuit, log);
    std::vector<std::string> nodes;
    for (size_t k = 0; k < c.terminals.size(); ++k) {
        nodes.push_back("t" + std::to_string(k + 1));
        const std::string source = "V" + std::to_string(k + 1);
        build.Add(source.c_str(), {nodes.back().c_str(), "0"}, {0, 0, c.terminals[k]});
    }
    const char* n[4] = {};
    for (size_t k = 0; k < nodes.size(); ++k)
        n[k] = nodes[k].c_str();
    Element& device = nodes.size() == 2   ? build.Add(c.device, {n[0], n[1]})
                      : nodes.size() == 3 ? build.Add(c.device, {n[0], n[1], n[2]})
                                          : build.Add(c.device, {n[0], n[1], n[2], n[3]});
    for (size_t k = 0; k < c.values.size(); ++k)
        device.values[k] = c.values[k];
    if (c.type != '0')
        device.y = c.type;
    build.Finish();
    FindOperatingPoint(analysis);
    ASSERT_FALSE(analysis.circuit.RunFailed);
    EXPECT_EQ(sink.lines.back(), c.expected);
}

// Parameters away from the defaults: alfa, alfar, Isbe, VTbe, Isbc, VTbc, VA, C0be, C1be, C0bc,
// C1bc; and L, W, K, VT0, Lambda, Gama, Fi, Ld.
const std::vector<double> OwnBipolar = {0.98, 0.4,   2e-9,  0.05,  3e-9, 0.045,
                                        50,   1e-12, 2e-16, 3e-12, 4e-16};
const std::vector<double> OwnMos = {2e-6, 3e-5, 5e-5, 0.8, 0.02, 0.5, 0.7, 2e-7};
const std::vector<double> SixDigitMos = {1.23457e-6, 2.34567e-5, 5e-5, 0.8,
                                         0.02,       0.5,        0.7,  1.23457e-7};

// clang-format off
INSTANTIATE_TEST_SUITE_P(OperatingPoint, DeviceReportLine,
                         ::testing::ValuesIn(std::vector<ReportCase>{
    {"diode at 0.6 V carries 1 mA", "D1", {0.6, 0}, '0', {}, "0.7",
     "D1: direto Vd=0.6 Id=0.001 Gd=0.0230259 Cdrev=7.07107e-12 Cddir=1e-10 "
     "Cdtotal=1.07071e-10"},
    {"diode at exactly 0 V is reverse", "D1", {0, 0}, '0', {}, "0.7",
     "D1: reverso Vd=0 Id=0 Gd=2.30259e-08 Cdrev=5e-12 Cddir=0 Cdtotal=5e-12"},
    {"reverse diode", "D1", {-2, 0}, '0', {}, "0.7",
     "D1: reverso Vd=-2 Id=-1e-09 Gd=2.30258e-28 Cdrev=2.40192e-12 Cddir=0 "
     "Cdtotal=2.40192e-12"},
    {"diode above Vdmax follows the tangent", "D1", {0.9, 0}, '0', {}, "0.7",
     "D1: direto Vd=0.9 Id=0.0560518 Gd=0.230259 Cdrev=7.07107e-12 "
     "Cddir=5.60518e-09 Cdtotal=5.61225e-09"},
    {"diode with Vdmax raised above its voltage", "D1", {0.75, 0}, '0', {}, "0.8",
     "D1: direto Vd=0.75 Id=0.0316228 Gd=0.728142 Cdrev=7.07107e-12 "
     "Cddir=3.16228e-09 Cdtotal=3.16935e-09"},
    {"diode at 0.3 V: capacitance held", "D1", {0.3, 0}, '0', {}, "0.7",
     "D1: direto Vd=0.3 Id=9.99001e-07 Gd=2.30259e-05 Cdrev=7.07107e-12 "
     "Cddir=9.99001e-14 Cdtotal=7.17097e-12"},
    {"diode just below 0.3 V: depletion formula", "D1", {0.29, 0}, '0', {}, "0.7",
     "D1: direto Vd=0.29 Id=7.93329e-07 Gd=1.82901e-05 Cdrev=6.95608e-12 "
     "Cddir=7.93329e-14 Cdtotal=7.03542e-12"},
    {"diode with six digits in every value", "D1", {0.612345, 0}, '0', {}, "0.7",
     "D1: direto Vd=0.612345 Id=0.00132877 Gd=0.0305961 Cdrev=7.07107e-12 "
     "Cddir=1.32877e-10 Cdtotal=1.39948e-10"},
    {"diode with its own Is, VT, C0, C1", "D1", {0.5, 0}, '0', {1e-12, 0.03, 2e-12, 3e-15}, "0.7",
     "D1: direto Vd=0.5 Id=1.73078e-05 Gd=0.000576926 Cdrev=2.82843e-12 "
     "Cddir=5.19233e-11 Cdtotal=5.47518e-11"},
    {"npn forward active", "Q1", {5, 0.6, 0}, 'N', {}, "0.7",
     "Q1: tipo=N Vbe=+0.6 Vbc= -4.4 Vce=+5 Ibe=+0.001 Ibc=-1e-09 Ic=+0.0010395 "
     "Ib=+9.9995e-06 Cbe=1.07071e-10 Cbc=1.73205e-12"},
    {"npn saturated", "Q1", {0.15, 0.65, 0}, 'N', {}, "0.7",
     "Q1: tipo=N Vbe=+0.65 Vbc= +0.5 Vce=+0.15 Ibe=+0.00316228 Ibc=+9.99991e-05 "
     "Ic=+0.0030352 Ib=+8.16223e-05 Cbe=3.23299e-10 Cbc=1.7071e-11"},
    {"npn cut off", "Q1", {5, -1, 0}, 'N', {}, "0.7",
     "Q1: tipo=N Vbe=-1 Vbc= -6 Vce=+5 Ibe=-1e-09 Ibc=-1e-09 Ic=+1.05e-11 "
     "Ib=-5.1e-10 Cbe=3.06186e-12 Cbc=1.50756e-12"},
    {"npn reverse active", "Q1", {0, 0.6, 3}, 'N', {}, "0.7",
     "Q1: tipo=N Vbe=-2.4 Vbc= +0.6 Vce=-3 Ibe=-1e-09 Ibc=+0.001 Ic=-0.000970001 "
     "Ib=+0.0005 Cbe=2.23607e-12 Cbc=1.07071e-10"},
    {"npn with its own parameters", "Q1", {4, 0.62, 0}, 'N', OwnBipolar, "0.7",
     "Q1: tipo=N Vbe=+0.62 Vbc= -3.38 Vce=+4 Ibe=+0.000485601 Ibc=-3e-09 "
     "Ic=+0.000513964 Ib=+9.71022e-06 Cbe=9.85345e-11 Cbc=1.16481e-12"},
    {"pnp forward active", "Q1", {-5, -0.6, 0}, 'P', {}, "0.7",
     "Q1: tipo=P Vbe=-0.6 Vbc= +4.4 Vce=-5 Ibe=-0.001 Ibc=+1e-09 Ic=-0.0010395 "
     "Ib=-9.9995e-06 Cbe=1.07071e-10 Cbc=1.73205e-12"},
    {"pnp saturated", "Q1", {-0.15, -0.65, 0}, 'P', {}, "0.7",
     "Q1: tipo=P Vbe=-0.65 Vbc= -0.5 Vce=-0.15 Ibe=-0.00316228 Ibc=-9.99991e-05 "
     "Ic=-0.0030352 Ib=-8.16223e-05 Cbe=3.23299e-10 Cbc=1.7071e-11"},
    {"pnp cut off", "Q1", {-5, 1, 0}, 'P', {}, "0.7",
     "Q1: tipo=P Vbe=+1 Vbc= +6 Vce=-5 Ibe=+1e-09 Ibc=+1e-09 Ic=-1.05e-11 "
     "Ib=+5.1e-10 Cbe=3.06186e-12 Cbc=1.50756e-12"},
    {"pnp reverse active", "Q1", {0, -0.6, -3}, 'P', {}, "0.7",
     "Q1: tipo=P Vbe=+2.4 Vbc= -0.6 Vce=+3 Ibe=+1e-09 Ibc=-0.001 Ic=+0.000970001 "
     "Ib=-0.0005 Cbe=2.23607e-12 Cbc=1.07071e-10"},
    {"pnp with its own parameters", "Q1", {-4, -0.62, 0}, 'P', OwnBipolar, "0.7",
     "Q1: tipo=P Vbe=-0.62 Vbc= +3.38 Vce=-4 Ibe=-0.000485601 Ibc=+3e-09 "
     "Ic=-0.000513964 Ib=-9.71022e-06 Cbe=9.85345e-11 Cbc=1.16481e-12"},
    {"n-channel saturated as written", "M1", {5, 3, 0, -1}, 'N', {}, "0.7",
     "M1: N normal saturado Gm=0.00038911 Gds=3.43326e-06 Gmb=4.61428e-05 "
     "Cgs=3.06667e-15 Cgd=4e-16 Cgb=0 Vgs=3 Vds=5 Vbs=-1 Id=0.000360492"},
    {"n-channel saturated, drain and source exchanged", "M1", {0, 3, 5, -1}, 'N', {}, "0.7",
     "M1: N invertido saturado Gm=0.00038911 Gds=3.43326e-06 Gmb=4.61428e-05 "
     "Cgs=3.06667e-15 Cgd=4e-16 Cgb=0 Vgs=3 Vds=5 Vbs=-1 Id=0.000360492"},
    {"n-channel triode as written", "M1", {1, 5, 0, 0}, 'N', {}, "0.7",
     "M1: N normal triodo Gm=0.000202 Gds=0.000613 Gmb=3.91171e-05 Cgs=2.4e-15 "
     "Cgd=2.4e-15 Cgb=0 Vgs=5 Vds=1 Vbs=0 Id=0.000707"},
    {"n-channel triode, drain and source exchanged", "M1", {0, 5, 1, 0}, 'N', {}, "0.7",
     "M1: N invertido triodo Gm=0.000202 Gds=0.000613 Gmb=3.91171e-05 Cgs=2.4e-15 "
     "Cgd=2.4e-15 Cgb=0 Vgs=5 Vds=1 Vbs=0 Id=0.000707"},
    {"n-channel cut off as written", "M1", {5, 0.5, 0, 0}, 'N', {}, "0.7",
     "M1: N normal cortado Gm=0 Gds=0 Gmb=0 Cgs=4e-16 Cgd=4e-16 Cgb=4e-15 Vgs=0.5 "
     "Vds=5 Vbs=0 Id=0"},
    {"n-channel cut off, drain and source exchanged", "M1", {0, 0.5, 5, 0}, 'N', {}, "0.7",
     "M1: N invertido cortado Gm=0 Gds=0 Gmb=0 Cgs=4e-16 Cgd=4e-16 Cgb=4e-15 "
     "Vgs=0.5 Vds=5 Vbs=0 Id=0"},
    {"n-channel with equal drain and source", "M1", {2, 5, 2, 0}, 'N', {}, "0.7",
     "M1: N invertido triodo Gm=0 Gds=0.000349729 Gmb=0 Cgs=2.4e-15 Cgd=2.4e-15 "
     "Cgb=0 Vgs=3 Vds=0 Vbs=-2 Id=0"},
    {"n-channel, own parameters, body effect", "M1", {3, 2.5, 0.5, -2}, 'N', OwnMos, "0.7",
     "M1: N normal saturado Gm=0.00114015 Gds=7.86053e-06 Gmb=0.00015934 "
     "Cgs=9.2e-14 Cgd=1.2e-14 Cgb=0 Vgs=2 Vds=2.5 Vbs=-2.5 Id=0.000412678"},
    {"p-channel saturated as written", "M1", {-5, -3, 0, 1}, 'P', {}, "0.7",
     "M1: P normal saturado Gm=0.00038911 Gds=3.43326e-06 Gmb=4.61428e-05 "
     "Cgs=7.66667e-15 Cgd=1e-15 Cgb=0 Vgs=-3 Vds=-5 Vbs=1 Id=-0.000360492"},
    {"p-channel saturated, drain and source exchanged", "M1", {0, -3, -5, 1}, 'P', {}, "0.7",
     "M1: P invertido saturado Gm=0.00038911 Gds=3.43326e-06 Gmb=4.61428e-05 "
     "Cgs=7.66667e-15 Cgd=1e-15 Cgb=0 Vgs=-3 Vds=-5 Vbs=1 Id=-0.000360492"},
    {"p-channel triode as written", "M1", {-1, -5, 0, 0}, 'P', {}, "0.7",
     "M1: P normal triodo Gm=0.000202 Gds=0.000613 Gmb=3.91171e-05 Cgs=6e-15 "
     "Cgd=6e-15 Cgb=0 Vgs=-5 Vds=-1 Vbs=0 Id=-0.000707"},
    {"p-channel triode, drain and source exchanged", "M1", {0, -5, -1, 0}, 'P', {}, "0.7",
     "M1: P invertido triodo Gm=0.000202 Gds=0.000613 Gmb=3.91171e-05 Cgs=6e-15 "
     "Cgd=6e-15 Cgb=0 Vgs=-5 Vds=-1 Vbs=0 Id=-0.000707"},
    {"p-channel cut off as written", "M1", {-5, -0.5, 0, 0}, 'P', {}, "0.7",
     "M1: P normal cortado Gm=0 Gds=0 Gmb=0 Cgs=1e-15 Cgd=1e-15 Cgb=1e-14 Vgs=-0.5 "
     "Vds=-5 Vbs=0 Id=0"},
    {"p-channel cut off, drain and source exchanged", "M1", {0, -0.5, -5, 0}, 'P', {}, "0.7",
     "M1: P invertido cortado Gm=0 Gds=0 Gmb=0 Cgs=1e-15 Cgd=1e-15 Cgb=1e-14 "
     "Vgs=-0.5 Vds=-5 Vbs=0 Id=0"},
    {"p-channel with equal drain and source", "M1", {-2, -5, -2, 0}, 'P', {}, "0.7",
     "M1: P invertido triodo Gm=-0 Gds=0.000349729 Gmb=-0 Cgs=6e-15 Cgd=6e-15 Cgb=0 "
     "Vgs=-3 Vds=0 Vbs=2 Id=0"},
    {"p-channel, own parameters, body effect", "M1", {-3, -2.5, -0.5, 2}, 'P', OwnMos, "0.7",
     "M1: P normal saturado Gm=0.00114015 Gds=7.86053e-06 Gmb=0.00015934 "
     "Cgs=2.3e-13 Cgd=3e-14 Cgb=0 Vgs=-2 Vds=-2.5 Vbs=2.5 Id=-0.000412678"},
    {"n-channel, six digits in every value", "M1", {3.14159, 2.71828, 0.123457, -1.41421}, 'N',
     SixDigitMos, "0.7",
     "M1: N normal saturado Gm=0.00295193 Gds=4.07898e-05 Gmb=0.000493342 Cgs=4.44037e-14 "
     "Cgd=5.79179e-15 Cgb=0 Vgs=2.59482 Vds=3.01813 Vbs=-1.53767 Id=0.0021626"},
    {"p-channel cut off, six digits in every value", "M1", {-3.14159, 0.271828, 0.123457, 1.41421},
     'P', SixDigitMos, "0.7",
     "M1: P normal cortado Gm=0 Gds=0 Gmb=0 Cgs=1.44795e-14 Cgd=1.44795e-14 Cgb=1.44795e-13 "
     "Vgs=0.148371 Vds=-3.26505 Vbs=1.29075 Id=0"},
}));
// clang-format on

} // namespace
