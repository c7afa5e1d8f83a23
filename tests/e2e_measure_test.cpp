// Measurements of tables written by talvor-cli for circuits with closed-form answers (netlists in
// data/measure/, 100 points per decade): frequencies within 0.1%, margins within 0.1 degree,
// in every unit the table can be written in.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "plot/measure_tables.h"
#include "plot/response_measures.h"
#include "test_support.h"

using namespace talvor;

namespace {

constexpr double Pi = 3.141592653589793;
constexpr double Degrees = 180 / Pi;
const std::string DataDir = TALVOR_TEST_DATA "/measure";

// The table's options, and the factor from angular frequency to the table's frequency unit.
struct Units {
    const char* options;
    ResponseUnits stated;
    double perRadianPerSecond;
};

const Units TableUnits[] = {
    {"", {MagnitudeUnit::Linear, PhaseUnit::Degrees, FrequencyUnit::Hertz}, 1 / (2 * Pi)},
    {"--db --radians",
     {MagnitudeUnit::Decibel, PhaseUnit::Radians, FrequencyUnit::Hertz},
     1 / (2 * Pi)},
    {"--rad-per-s",
     {MagnitudeUnit::Linear, PhaseUnit::Degrees, FrequencyUnit::RadiansPerSecond},
     1},
};

// Runs the netlist with the options and measures one unknown of its table.
ResponseMeasures MeasureNetlist(const std::string& netlist, const Units& units, const char* unknown)
{
    static auto scratch = std::make_unique<MeasureScratch>();
    TempDir dir;
    CopyInto(DataDir + "/" + netlist + ".net", dir.Path());
    CliRun run = RunCli(std::string(units.options) + " " + netlist, dir.Path());
    EXPECT_EQ(run.status, 0) << run.out;
    ResponsePoints points;
    bool truncated = true;
    std::string table = dir.Path() + "/" + netlist + ".tab";
    EXPECT_EQ(ReadTableUnknown(table.c_str(), unknown, *scratch, points, truncated),
              TableRead::Read);
    EXPECT_FALSE(truncated);
    SettledUnits settled = SettleUnits(points, units.stated);
    return MeasureResponse(points, settled);
}

#define EXPECT_RELATIVE(value, expected) EXPECT_NEAR((value) / (expected), 1, 1e-3)

// A loop gain t0 / ((1 + s/p1)(1 + s/p2)(1 + s/p3)) at angular frequency w.
struct Loop {
    double t0, p1, p2, p3 = INFINITY;

    double GainDb(double w) const
    {
        double x1 = w / p1, x2 = w / p2, x3 = w / p3;
        return 20 * std::log10(t0) - 10 * std::log10((1 + x1 * x1) * (1 + x2 * x2) * (1 + x3 * x3));
    }
    double PhaseDegrees(double w) const
    {
        return -(std::atan(w / p1) + std::atan(w / p2) + std::atan(w / p3)) * Degrees;
    }
};

TEST(MeasureCircuits, RcLowPassCorner)
{
    const double corner = 1 / (1000 * 1e-7); // rad/s
    for (const Units& units : TableUnits) {
        SCOPED_TRACE(units.options);
        ResponseMeasures m = MeasureNetlist("rc_lowpass", units, "2");
        ASSERT_EQ(m.problem, MeasureProblem::None);
        EXPECT_NEAR(m.firstGainDb, 0, 1e-4);
        double lastW = m.lastFrequency / units.perRadianPerSecond;
        EXPECT_NEAR(m.lastGainDb, -10 * std::log10(1 + lastW * lastW / (corner * corner)), 1e-3);
        EXPECT_NEAR(m.peak.gainDb, 0, 1e-4);
        ASSERT_TRUE(m.upperHalfPower.found);
        EXPECT_RELATIVE(m.upperHalfPower.frequency, corner * units.perRadianPerSecond);
        EXPECT_FALSE(m.lowerHalfPower.found);
        EXPECT_FALSE(m.hasBand);
        EXPECT_FALSE(m.unityGain.found); // 1 at the start, below after
        EXPECT_FALSE(m.phaseCrossover.found);
    }
}

TEST(MeasureCircuits, SeriesRlcBandPass)
{
    const double l = 0.01, c = 1e-7, r = 100;
    const double centre = 1 / std::sqrt(l * c); // rad/s
    const double q = std::sqrt(l / c) / r;
    const double lower = centre * (std::sqrt(1 + 1 / (4 * q * q)) - 1 / (2 * q));
    for (const Units& units : TableUnits) {
        SCOPED_TRACE(units.options);
        ResponseMeasures m = MeasureNetlist("rlc_bandpass", units, "3");
        ASSERT_EQ(m.problem, MeasureProblem::None);
        EXPECT_RELATIVE(m.peak.frequency, centre * units.perRadianPerSecond);
        EXPECT_NEAR(m.peak.gainDb, 0, 1e-4);
        ASSERT_TRUE(m.hasBand);
        EXPECT_RELATIVE(m.lowerHalfPower.frequency, lower * units.perRadianPerSecond);
        EXPECT_RELATIVE(m.upperHalfPower.frequency,
                        (lower + centre / q) * units.perRadianPerSecond);
        EXPECT_RELATIVE(m.bandwidth, centre / q * units.perRadianPerSecond);
        EXPECT_RELATIVE(m.q, q);
        EXPECT_GE(m.pointsInBand, FewPointsInBand);
        EXPECT_FALSE(m.unityGain.found); // the peak touches 1 and turns back
        EXPECT_FALSE(m.phaseCrossover.found);
    }
}

// |H|^2 of a second-order notch at angular frequency w: (k^2 + (2 q sinh x)^2) / (1 +
// (2 q sinh x)^2), x = ln(w / w0); its -3 dB band is w0 / q wide and its floor k times the passband.
struct SecondOrderNotch {
    double w0, q, k;

    double Power(double w) const
    {
        double a = std::pow(2 * q * std::sinh(std::log(w / w0)), 2);
        return (k * k + a) / (1 + a);
    }
    // The angular frequencies below and above the notch where the power is `level`.
    double Edge(double level, int side) const
    {
        return w0 * std::exp(side * std::asinh(std::sqrt((level - k * k) / (1 - level)) / (2 * q)));
    }
};

TEST(MeasureCircuits, NotchDepthAndWidth)
{
    struct Case {
        const char* netlist;
        const char* unknown;
        SecondOrderNotch notch;
    };
    const double lcZ0 = std::sqrt(1 / 2.5330295910584444e-8); // sqrt(L/C), L = 1 H
    const Case cases[] = {
        // R = 10 k, C = 15.9155 nF: a null at 1 kHz, Q = 1/4.
        {"twin_t_notch", "3", {2 * Pi * 1000, 0.25, 0}},
        // R = 1 k in series, L = 1 H and C = 25.33 nF with r = 10 ohm to ground.
        {"lc_notch", "2", {2 * Pi * 1000, lcZ0 / 1010, 10.0 / 1010}},
    };
    for (const Case& c : cases) {
        for (const Units& units : TableUnits) {
            SCOPED_TRACE(testing::Message() << c.netlist << " " << units.options);
            ResponseMeasures m = MeasureNetlist(c.netlist, units, c.unknown);
            ASSERT_EQ(m.problem, MeasureProblem::None);
            ASSERT_TRUE(m.notch.found);
            const double toTable = units.perRadianPerSecond;
            EXPECT_RELATIVE(m.notch.at.frequency, c.notch.w0 * toTable);
            // Depth and width are measured from the lower end of the sweep.
            double reference = std::min(c.notch.Power(m.firstFrequency / toTable),
                                        c.notch.Power(m.lastFrequency / toTable));
            double lower = c.notch.Edge(reference / 2, -1), upper = c.notch.Edge(reference / 2, 1);
            ASSERT_TRUE(m.notch.lower.found && m.notch.upper.found);
            EXPECT_RELATIVE(m.notch.lower.frequency, lower * toTable);
            EXPECT_RELATIVE(m.notch.upper.frequency, upper * toTable);
            EXPECT_RELATIVE(m.notch.width, (upper - lower) * toTable);
            if (c.notch.k > 0) {
                EXPECT_TRUE(m.notch.depthResolved);
                EXPECT_NEAR(m.notch.depthDb, 10 * std::log10(reference / (c.notch.k * c.notch.k)),
                            0.05);
            } else {
                EXPECT_FALSE(m.notch.depthResolved); // a null: the sweep shows a bound
                EXPECT_GT(m.notch.depthDb, 40);
            }
        }
    }
}

TEST(MeasureCircuits, HighPassRisesToTheEndOfTheSweep)
{
    // fc = 1/(2 pi R C) = 36.0 Hz: with linear magnitudes the table reads 1 from 36.3 kHz on.
    const double corner = 1 / (4420 * 1e-6); // rad/s
    for (const Units& units : TableUnits) {
        SCOPED_TRACE(units.options);
        ResponseMeasures m = MeasureNetlist("flat_highpass", units, "2");
        ASSERT_EQ(m.problem, MeasureProblem::None);
        EXPECT_TRUE(m.peak.atEnd);
        EXPECT_EQ(m.peak.frequency, m.lastFrequency);
        EXPECT_EQ(m.peak.gainDb, m.lastGainDb);
        EXPECT_FALSE(m.peak.refined);
        ASSERT_TRUE(m.lowerHalfPower.found);
        EXPECT_RELATIVE(m.lowerHalfPower.frequency, corner * units.perRadianPerSecond);
        EXPECT_FALSE(m.upperHalfPower.found);
        EXPECT_FALSE(m.notch.found);
    }
}

// The unity-gain frequency of a loop, found by bisection on its closed-form gain.
double UnityGainFrequency(const Loop& loop)
{
    double low = 1, high = 1e9;
    for (int i = 0; i < 200; ++i) {
        double middle = std::sqrt(low * high);
        (loop.GainDb(middle) > 0 ? low : high) = middle;
    }
    return low;
}

TEST(MeasureCircuits, LoopGainMargins)
{
    struct Case {
        const char* netlist;
        Loop loop;
        bool crossesMinus180;
    };
    const double p = 1e4;
    const Case cases[] = {
        // 100 / ((1 + s/1e3)(1 + s/1e5)): the phase never reaches -180 degrees.
        {"two_pole_loop", {100, 1e3, 1e5}, false},
        // t0 / (1 + s/p)^3 reaches -180 degrees at p sqrt(3), where the gain is t0 / 8.
        {"three_pole_loop", {4, p, p, p}, true},
        {"unstable_loop", {10, p, p, p}, true},
    };
    for (const Case& c : cases) {
        double unity = UnityGainFrequency(c.loop);
        for (const Units& units : TableUnits) {
            SCOPED_TRACE(testing::Message() << c.netlist << " " << units.options);
            ResponseMeasures m = MeasureNetlist(c.netlist, units, "4");
            ASSERT_EQ(m.problem, MeasureProblem::None);
            ASSERT_TRUE(m.unityGain.found);
            EXPECT_RELATIVE(m.unityGain.frequency, unity * units.perRadianPerSecond);
            EXPECT_NEAR(180 + m.phaseAtUnity, 180 + c.loop.PhaseDegrees(unity), 0.1);
            EXPECT_EQ(m.unityGain.count, 1);
            ASSERT_EQ(m.phaseCrossover.found, c.crossesMinus180);
            if (c.crossesMinus180) {
                EXPECT_RELATIVE(m.phaseCrossover.frequency,
                                p * std::sqrt(3.0) * units.perRadianPerSecond);
                EXPECT_NEAR(-m.gainAtCrossoverDb, 20 * std::log10(8 / c.loop.t0), 0.01);
            }
        }
    }
}

// talvor-cli --measure: a block per named unknown after the run's last line.
class MeasureCli : public testing::Test {
protected:
    CliRun Run(const std::string& options)
    {
        CopyInto(DataDir + "/rc_lowpass.net", dir.Path());
        return RunCli(options + " rc_lowpass", dir.Path());
    }
    TempDir dir;
};

TEST_F(MeasureCli, BlocksFollowTheRun)
{
    CliRun run = Run("--measure=2,1");
    EXPECT_EQ(run.status, 0) << run.out;
    const std::vector<std::string> lines = SplitLines(run.out);
    EXPECT_TRUE(ContainsInOrder(lines,
                                {
                                    "Análise terminada com sucesso.",
                                    "Medidas de 2 na tabela rc_lowpass.tab:",
                                    "  Unidades: módulo linear, fase em graus, frequência "
                                    "em Hz.",
                                    "  Meia potência acima do máximo: 1591.55 Hz",
                                    "  Frequência de ganho unitário: não encontrado",
                                    "Medidas de 1 na tabela rc_lowpass.tab:",
                                }))
        << run.out;
}

TEST(MeasureCliLines, WhereThePeakAndTheNotchLie)
{
    struct Case {
        const char* netlist;
        const char* options;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"flat_highpass",
         "--measure=2",
         {"  Ganho máximo: 1 (0 dB) de 36307.8 a 100000 Hz, no fim da varredura",
          "  Meia potência abaixo do máximo: 36.0079 Hz", "  Entalhe: não encontrado"}},
        {"twin_t_notch",
         "--measure=3",
         {"  Ganho máximo: 0.999201 (-0.0069428 dB) em 10 Hz, no início da varredura",
          "  Entalhe: em 999.998 Hz, profundidade de pelo menos 291.04 dB, largura a -3 dB: "
          "3993.37 Hz (de 236.418 a 4229.79 Hz)",
          "  As margens supõem que a curva seja um ganho de malha."}},
        {"lc_notch",
         "--db --measure=2",
         {"  Unidades: módulo em dB, fase em graus, frequência em Hz.",
          "  Entalhe: em 999.998 Hz, profundidade 40.0864 dB, largura a -3 dB: 160.721 Hz (de "
          "922.864 a 1083.58 Hz)"}},
    };
    for (const Case& c : cases) {
        TempDir dir;
        CopyInto(DataDir + "/" + c.netlist + ".net", dir.Path());
        CliRun run = RunCli(std::string(c.options) + " " + c.netlist, dir.Path());
        EXPECT_EQ(run.status, 0) << run.out;
        EXPECT_TRUE(ContainsInOrder(SplitLines(run.out), c.lines)) << run.out;
    }
}

TEST_F(MeasureCli, TheBlockStatesTheUnitsOfTheOptions)
{
    CliRun run = Run("--db --radians --rad-per-s --measure=2");
    EXPECT_EQ(run.status, 0) << run.out;
    const std::vector<std::string> lines = SplitLines(run.out);
    EXPECT_TRUE(HasLine(lines, "  Unidades: módulo em dB, fase em radianos, frequência em rad/s."))
        << run.out;
    // The corner is 1/RC = 10000 rad/s.
    EXPECT_TRUE(HasLine(lines, "  Meia potência acima do máximo: 10000 rad/s")) << run.out;
}

TEST_F(MeasureCli, AnUnknownNameFailsTheRun)
{
    CliRun run = Run("--measure=nada --measure=2");
    EXPECT_EQ(run.status, 1);
    const std::vector<std::string> lines = SplitLines(run.out);
    EXPECT_TRUE(ContainsInOrder(lines, {"Análise terminada com sucesso.",
                                        "Medidas: a variável nada não existe na tabela "
                                        "rc_lowpass.tab.",
                                        "Medidas de 2 na tabela rc_lowpass.tab:"}))
        << run.out;
}

TEST_F(MeasureCli, WrongListsAreWrongCommandLines)
{
    for (const char* options : {"--measure=", "--measure=2,", "--measure=,2", "--measure"}) {
        CliRun run = Run(options);
        EXPECT_EQ(run.status, 2) << options;
        EXPECT_EQ(run.out, "") << options;
    }
}

TEST_F(MeasureCli, NoBlocksAfterAFailedRun)
{
    CliRun run = RunCli("--measure=2 nada", dir.Path());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out.find("Medidas"), std::string::npos) << run.out;
}

} // namespace
