// The plan of a stepped or Monte Carlo analysis: targets found in the netlist (main values and
// values by name, in the line's units), the messages for what is not there, and the draws of
// Monte Carlo: repeatable, within the tolerances, the element's tolerance over its type's.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "common/message_log.h"
#include "netlist/netlist_reader.h"
#include "steps/step_plan.h"
#include "test_support.h"

using namespace talvor;

namespace {

const char* const Netlist = "Plano\n"
                            "V1 1 0 2 30\n"
                            "R1 1 2 1000\n"
                            "R2 2 0 2200\n"
                            "C1 2 0 1e-6\n"
                            "Q1 3 2 0 N 0.98\n"
                            "M1 3 2 0 0 N L=2e-6 W=1e-5\n"
                            "O1 4 0 2 4\n"
                            "N1 5 0 0 0 1 1 2 1.5 3 1.8\n"
                            "RL 3 0 10000\n"
                            ".AC DEC 10 1 1000\n";

class StepPlanTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RecordingSink quiet;
        MessageLog readerLog(quiet);
        ASSERT_TRUE(ReadNetlist(*circuit, readerLog, dir.Write("p.net", Netlist), false));
    }

    bool Plan(const StepRequest& request)
    {
        sink.lines.clear();
        return PlanSteps(request, *circuit, log, plan);
    }

    static StepRequest Steps(const char* name, const char* slot, std::vector<double> values)
    {
        StepRequest request;
        request.target = {name, slot};
        request.values = std::move(values);
        return request;
    }

    static StepRequest MonteCarlo(std::vector<Tolerance> tolerances, int runs, std::uint64_t seed,
                                  Distribution distribution = Distribution::Uniform)
    {
        StepRequest request;
        request.tolerances = std::move(tolerances);
        request.runs = runs;
        request.seed = seed;
        request.distribution = distribution;
        return request;
    }

    TempDir dir;
    std::unique_ptr<Circuit> circuit = std::make_unique<Circuit>();
    RecordingSink sink;
    MessageLog log{sink};
    StepPlan plan;
};

struct TargetCase {
    const char* name;
    const char* slot;
    const char* label;
    int slotIndex;
    double nominal;
};

// Main values and values by name, each with the netlist's value in the line's unit.
const TargetCase TargetCases[] =
    {
        {"R2", "", "R2", 0, 2200},
        {"C1", "", "C1", 0, 1e-6},
        {"V1", "", "V1", 0, 2},
        {"V1", "fase", "V1.fase", 1, 30}, // degrees, as the line gives it (stored in radians)
        {"Q1", "", "Q1", 0, 0.98},
        {"Q1", "va", "Q1.VA", 6, 100}, // the default, named as the table names it
        {"M1", "", "M1", 1, 1e-5},     // a MOS transistor's main value is its width
        {"M1", "L", "M1.L", 0, 2e-6},
        {"N1", "i2", "N1.i2", 3, 1},
        {"RL", "R", "RL.R", 0, 10000},
};

TEST_F(StepPlanTest, StepsFindTheirValueInTheNetlist)
{
    for (const TargetCase& c : TargetCases) {
        ASSERT_TRUE(Plan(Steps(c.name, c.slot, {1, 2, 3}))) << c.name << JoinLines(sink.lines);
        ASSERT_EQ(plan.varied.size(), 1u);
        const VariedValue& varied = plan.varied[0];
        EXPECT_EQ(varied.label, c.label);
        EXPECT_EQ(varied.element, c.name);
        EXPECT_EQ(varied.slot, c.slotIndex) << c.label;
        EXPECT_DOUBLE_EQ(varied.nominal, c.nominal) << c.label;
        EXPECT_FALSE(plan.monteCarlo);
        ASSERT_EQ(plan.RunCount(), 3);
        EXPECT_EQ(plan.values[2], std::vector<double>{3});
        const std::vector<ValueOverride> overrides = plan.Overrides(1);
        ASSERT_EQ(overrides.size(), 1u);
        EXPECT_EQ(overrides[0].element, c.name);
        EXPECT_EQ(overrides[0].slot, c.slotIndex);
        EXPECT_EQ(overrides[0].value, 2);
        EXPECT_EQ(plan.Describe(1), std::string(c.label) + " = 2");
        EXPECT_TRUE(sink.lines.empty());
    }
}

struct MissingCase {
    StepRequest request;
    const char* message;
};

TEST_F(StepPlanTest, WhatIsNotInTheNetlistIsSaidInOneLine)
{
    auto steps = [](const char* name, const char* slot) {
        StepRequest request;
        request.target = {name, slot};
        request.values = {1};
        return request;
    };
    auto monteCarlo = [](const char* name, const char* slot) {
        StepRequest request;
        request.tolerances = {{{name, slot}, 0.05}};
        request.runs = 2;
        return request;
    };
    const MissingCase cases[] = {
        {steps("R9", ""), "Elemento R9 não encontrado no netlist."},
        {steps("r1", ""), "Elemento r1 não encontrado no netlist."},
        {steps("R", ""), "Elemento R não encontrado no netlist."},
        {steps("Q1", "Beta"),
         "O elemento Q1 não tem o valor Beta (valores: alfa, alfar, Isbe, VTbe, Isbc, VTbc, VA, "
         "C0be, C1be, C0bc, C1bc)."},
        {steps("N1", ""),
         "O elemento N1 não tem valor principal: dê o nome do valor, como N1.v1 (valores: v1, i1, "
         "v2, i2, v3, i3, v4, i4)."},
        {steps("O1", ""), "O elemento O1 não tem valores a variar."},
        {monteCarlo("R7", ""), "Elemento R7 não encontrado no netlist."},
        {monteCarlo("L", ""), "Nenhum elemento L no netlist."},
        {monteCarlo("Z", ""), "Tipo de elemento desconhecido: Z."},
        {monteCarlo("C", "Rp"), "Os elementos C não têm o valor Rp (valores: C)."},
        {monteCarlo("N", ""),
         "Os elementos N não têm valor principal: dê o nome do valor, como N.v1 (valores: v1, i1, "
         "v2, i2, v3, i3, v4, i4)."},
    };
    for (const MissingCase& c : cases) {
        EXPECT_FALSE(Plan(c.request)) << c.message;
        EXPECT_EQ(sink.lines, std::vector<std::string>{c.message});
    }
}

TEST_F(StepPlanTest, MonteCarloVariesEveryMatchInNetlistOrderWithTheMostSpecificTolerance)
{
    ASSERT_TRUE(Plan(MonteCarlo({{{"R", ""}, 0.05},
                                 {{"C1", ""}, 0.1},
                                 {{"R2", ""}, 0.01},
                                 {{"Q", "VA"}, 0.2},
                                 {{"R", ""}, 0.03}},
                                4, 9)))
        << JoinLines(sink.lines);
    EXPECT_TRUE(plan.monteCarlo);
    std::vector<std::string> labels;
    std::vector<double> tolerances;
    for (const VariedValue& varied : plan.varied) {
        labels.push_back(varied.label);
        tolerances.push_back(varied.tolerance);
    }
    EXPECT_EQ(labels, (std::vector<std::string>{"R1", "R2", "C1", "Q1.VA", "RL"}));
    // R2's own 1% beats both type tolerances; between those, the later one.
    EXPECT_EQ(tolerances, (std::vector<double>{0.03, 0.01, 0.1, 0.2, 0.03}));
    ASSERT_EQ(plan.RunCount(), 4);
    for (int run = 0; run < 4; ++run)
        for (size_t k = 0; k < plan.varied.size(); ++k) {
            const VariedValue& v = plan.varied[k];
            EXPECT_LE(std::abs(plan.values[run][k] / v.nominal - 1), v.tolerance) << v.label;
            EXPECT_NE(plan.values[run][k], v.nominal) << v.label;
        }
}

TEST_F(StepPlanTest, TheSameSeedDrawsTheSameValuesAndMoreRunsOnlyAddSome)
{
    const std::vector<Tolerance> tolerances{{{"R", ""}, 0.05}, {{"C", ""}, 0.1}};
    for (Distribution distribution : {Distribution::Uniform, Distribution::Gauss}) {
        ASSERT_TRUE(Plan(MonteCarlo(tolerances, 5, 42, distribution)));
        const auto five = plan.values;
        ASSERT_TRUE(Plan(MonteCarlo(tolerances, 5, 42, distribution)));
        EXPECT_EQ(plan.values, five);
        ASSERT_TRUE(Plan(MonteCarlo(tolerances, 8, 42, distribution)));
        EXPECT_EQ(std::vector(plan.values.begin(), plan.values.begin() + 5), five);
        ASSERT_TRUE(Plan(MonteCarlo(tolerances, 5, 43, distribution)));
        EXPECT_NE(plan.values, five);
    }
}

TEST(DrawnValues, TheToleranceIsTheUniformSpreadOrThreeSigma)
{
    EXPECT_DOUBLE_EQ(DrawnValue(1000, 0.05, Distribution::Uniform, -1), 950);
    EXPECT_DOUBLE_EQ(DrawnValue(1000, 0.05, Distribution::Uniform, 0.5), 1025);
    EXPECT_DOUBLE_EQ(DrawnValue(1000, 0.06, Distribution::Gauss, 1), 1020);
    EXPECT_DOUBLE_EQ(DrawnValue(-2, 0.5, Distribution::Uniform, 1), -3);
}

TEST(DrawnValues, TheGeneratorCoversItsRangesWithTheRightMoments)
{
    DrawGenerator generator(1);
    constexpr int Count = 200000;
    double sum = 0, squares = 0, lowest = 1, highest = -1;
    for (int k = 0; k < Count; ++k) {
        const double u = generator.Uniform();
        ASSERT_GE(u, -1);
        ASSERT_LT(u, 1);
        lowest = std::min(lowest, u);
        highest = std::max(highest, u);
        sum += u;
        squares += u * u;
    }
    EXPECT_NEAR(sum / Count, 0, 0.01);
    EXPECT_NEAR(squares / Count, 1.0 / 3, 0.01);
    EXPECT_LT(lowest, -0.999);
    EXPECT_GT(highest, 0.999);

    sum = squares = 0;
    int beyondThreeSigma = 0;
    for (int k = 0; k < Count; ++k) {
        const double z = generator.Normal();
        ASSERT_TRUE(std::isfinite(z));
        sum += z;
        squares += z * z;
        beyondThreeSigma += std::abs(z) > 3 ? 1 : 0;
    }
    EXPECT_NEAR(sum / Count, 0, 0.01);
    EXPECT_NEAR(squares / Count, 1, 0.02);
    EXPECT_NEAR(beyondThreeSigma / double(Count), 0.0027, 0.001);

    // The first numbers of SplitMix64 from seed 0, as its authors publish them.
    DrawGenerator reference(0);
    EXPECT_EQ(reference.Next(), 0xE220A8397B1DCDAFu);
    EXPECT_EQ(reference.Next(), 0x6E789E6AA1B965F4u);
}

} // namespace
