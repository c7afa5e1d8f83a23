// Junctions that a successful operating point leaves far above Vdmax are named after the run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/junction_warnings.h"
#include "analysis/operating_point.h"
#include "analysis_test_circuit.h"
#include "test_support.h"

using namespace talvor;

namespace {

struct Case {
    const char* what;
    const char* device; // a diode "D", an npn "QN" or a pnp "QP", across node 1 and ground
    double current;     // fed into node 1 by a current source, A
    const char* vdmax;
    std::vector<std::string> warnings; // how each warning starts
};

std::vector<std::string> Warnings(const Case& c)
{
    RecordingSink sink;
    MessageLog log(sink);
    TestHost host;
    host.settings.Evdmax = c.vdmax;
    Analysis analysis(log, host);
    CircuitBuilder build(analysis.circuit, log);
    build.Add("I1", {"0", "1"}, {0, 0, c.current});
    const std::string device = c.device;
    if (device == "D") {
        build.Add("D1", {"1", "0"});
    } else {
        // Collector and emitter at ground: both junctions lie between the base and ground.
        build.Add("Q1", {"0", "1", "0"}).y = device[1];
    }
    build.Finish();
    FindOperatingPoint(analysis);
    EXPECT_FALSE(analysis.circuit.RunFailed) << c.what;
    sink.lines.clear();
    WarnJunctionsFarAboveVdmax(analysis);
    return sink.lines;
}

TEST(JunctionWarnings, NameJunctionsFarAboveVdmaxOnly)
{
    // The default diode carries 10 mA at Vdmax = 0.7 V and 11 times that 10 VT above it, on the
    // straight line.
    const char* diode = "Aviso: o diodo D1 conduz ";
    const Case cases[] = {
        {"a diode at 1 mA, below Vdmax", "D", 1e-3, "0.7", {}},
        {"a diode at 100 mA, 9 VT above Vdmax", "D", 0.1, "0.7", {}},
        {"a diode at 120 mA, 11 VT above Vdmax", "D", 0.12, "0.7", {std::string(diode) + "0.12 A"}},
        {"the same diode with a larger Vdmax", "D", 0.12, "0.8", {}},
        {"a diode forced to 1000 A", "D", 1000, "0.7", {std::string(diode) + "1000 A"}},
        {"a diode in reverse", "D", -1e-3, "0.7", {}},
        {"an npn's two junctions",
         "QN",
         10,
         "0.7",
         {"Aviso: a junção base-emissor de Q1 conduz ",
          "Aviso: a junção base-coletor de Q1 conduz "}},
        {"a pnp's two junctions",
         "QP",
         -10,
         "0.7",
         {"Aviso: a junção base-emissor de Q1 conduz ",
          "Aviso: a junção base-coletor de Q1 conduz "}},
        {"a pnp in reverse", "QP", 1e-3, "0.7", {}},
    };
    for (const Case& c : cases) {
        const std::vector<std::string> lines = Warnings(c);
        ASSERT_EQ(lines.size(), c.warnings.size()) << c.what << "\n" << JoinLines(lines);
        for (size_t k = 0; k < lines.size(); ++k)
            EXPECT_EQ(lines[k].rfind(c.warnings[k], 0), 0u) << c.what << "\n" << lines[k];
    }
}

TEST(JunctionWarnings, TheLineGivesVoltageCurrentAndTheFieldToChange)
{
    const Case forced{"a diode forced to 1000 A", "D", 1000, "0.7", {}};
    const std::vector<std::string> lines = Warnings(forced);
    ASSERT_EQ(lines.size(), 1u);
    // On the line through 10 mA at 0.7 V with the slope there, 1000 A needs 4343.6 V.
    EXPECT_EQ(lines[0], "Aviso: o diodo D1 conduz 1000 A com 4343.6 V, muito acima de Vdmax = "
                        "0.7 V, onde a exponencial continua como reta: esse ponto de operação "
                        "pode não ser físico. Tente um valor maior em \"Máxima tensão para função "
                        "exponencial em diodos\" (--vdmax).");
}

} // namespace
