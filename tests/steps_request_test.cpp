// The texts of a stepped or Monte Carlo request: value lists and ranges, targets, tolerances,
// distributions, run counts and seeds, the good ones and the ones refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "steps/step_request.h"

using namespace talvor;

namespace {

struct ListCase {
    const char* text;
    std::vector<double> values; // empty: refused
};

const ListCase ListCases[] = {
    {"1000,2200,4700", {1000, 2200, 4700}},
    {"-1.5,+2,3e-9", {-1.5, 2, 3e-9}},
    {"47", {47}},
    {"lin:1:2:5", {1, 1.25, 1.5, 1.75, 2}},
    {"lin:10:0:3", {10, 5, 0}},
    {"lin:7:9:1", {7}},
    // Per decade and per octave, both ends of each counted, as the sweep counts them.
    {"dec:1:100:3", {1, 3.16227766016838, 10, 31.6227766016838, 100}},
    {"dec:1000:10000:2", {1000, 10000}},
    {"dec:1:20:2", {1, 10}},
    {"oct:1:8:2", {1, 2, 4, 8}},
    {"dec:5:5:4", {5}},
    // Refused: empty fields, suffixes, words, ranges that cannot be walked, too many values.
    {"", {}},
    {"1000,", {}},
    {",1000", {}},
    {"1000,,2000", {}},
    {"1k", {}},
    {"1000 2000", {}},
    {"nan", {}},
    {"inf", {}},
    {"lin:1:2", {}},
    {"lin:1:2:0", {}},
    {"lin:1:2:x", {}},
    {"lin:1:2:3:4", {}},
    {"lin:1:2:1001", {}},
    {"dec:0:10:3", {}},
    {"dec:-1:10:3", {}},
    {"dec:10:1:3", {}},
    {"dec:1:10:1", {}},
    {"dec:1e-300:1e300:10", {}},
    {"log:1:10:3", {}},
};

TEST(StepRequest, ValueListsAndRanges)
{
    for (const ListCase& c : ListCases) {
        std::vector<double> values{-99};
        const bool parsed = ParseValueList(c.text, values);
        EXPECT_EQ(parsed, !c.values.empty()) << c.text;
        ASSERT_EQ(values.size(), c.values.size()) << c.text;
        for (size_t k = 0; k < values.size(); ++k)
            EXPECT_NEAR(values[k], c.values[k], 1e-12 * std::abs(c.values[k]))
                << c.text << " " << k;
    }
    // The last value of a range is its end exactly, so a step lands on the value typed.
    std::vector<double> values;
    ASSERT_TRUE(ParseValueList("lin:0.1:0.7:7", values));
    EXPECT_EQ(values.back(), 0.7);
    ASSERT_TRUE(ParseValueList("dec:1:1000:4", values));
    EXPECT_EQ(values.size(), 10u);
    EXPECT_EQ(values.back(), 1000);
}

TEST(StepRequest, AThousandValuesAtMost)
{
    std::string list = "1";
    for (int k = 2; k <= MaxStepRuns; ++k)
        list += "," + std::to_string(k);
    std::vector<double> values;
    EXPECT_TRUE(ParseValueList(list, values));
    EXPECT_EQ(values.size(), static_cast<size_t>(MaxStepRuns));
    EXPECT_FALSE(ParseValueList(list + ",1", values));
    EXPECT_TRUE(values.empty());
    EXPECT_TRUE(ParseValueList("dec:1:1e9:112", values)); // 9 decades of 111 steps, 1000 values
    EXPECT_EQ(values.size(), 1000u);
    EXPECT_FALSE(ParseValueList("dec:1:1e9:113", values));
    EXPECT_TRUE(ParseValueList("dec:1:10:1000", values)); // one decade, 1000 values
    EXPECT_FALSE(ParseValueList("dec:1:10:1001", values));
}

struct TargetCase {
    const char* text;
    bool parsed;
    const char* name;
    const char* slot;
};

const TargetCase TargetCases[] = {
    {"R1", true, "R1", ""},      {"r1", true, "R1", ""},    {"rLoad", true, "RLoad", ""},
    {"q1.va", true, "Q1", "va"}, {"M1.W", true, "M1", "W"}, {"R", true, "R", ""},
    {"Q.VA", true, "Q", "VA"},   {"", false, "", ""},       {".VA", false, "", "VA"},
    {"Q1.", false, "Q1", ""},    {"1R", false, "1R", ""},
};

TEST(StepRequest, Targets)
{
    for (const TargetCase& c : TargetCases) {
        ValueTarget target;
        EXPECT_EQ(ParseValueTarget(c.text, target), c.parsed) << c.text;
        if (c.parsed) {
            EXPECT_EQ(target.name, c.name) << c.text;
            EXPECT_EQ(target.slot, c.slot) << c.text;
        }
    }
}

TEST(StepRequest, StepOptionSplitsAtTheFirstColon)
{
    StepRequest request;
    ASSERT_TRUE(ParseStepOption("q1.VA:dec:10:100:2", request));
    EXPECT_EQ(request.target.name, "Q1");
    EXPECT_EQ(request.target.slot, "VA");
    EXPECT_EQ(request.values, (std::vector<double>{10, 100}));
    for (const char* bad : {"R1", "R1:", ":1000", "R1:1000:2000", "R1.:1"})
        EXPECT_FALSE(ParseStepOption(bad, request)) << bad;
}

struct ToleranceCase {
    const char* text;
    std::vector<std::pair<std::string, double>> tolerances; // target as "NAME.SLOT"; empty: refused
};

const ToleranceCase ToleranceCases[] = {
    {"R:5%", {{"R", 0.05}}},
    {"R:5%,C:10%,R1:2%", {{"R", 0.05}, {"C", 0.1}, {"R1", 0.02}}},
    {"q1.va:20", {{"Q1.va", 0.2}}},
    {"R:0%", {{"R", 0}}},
    {"R:100%", {{"R", 1}}},
    {"R:0.5%", {{"R", 0.005}}},
    {"", {}},
    {"R", {}},
    {"R:", {}},
    {"R:%", {}},
    {"R:5%%", {}},
    {"R:-5%", {}},
    {"R:101%", {}},
    {"R:5%,", {}},
    {"R:5%,,C:1%", {}},
    {":5%", {}},
    {"R:5%:gauss", {}},
};

TEST(StepRequest, Tolerances)
{
    for (const ToleranceCase& c : ToleranceCases) {
        std::vector<Tolerance> tolerances;
        const bool parsed = ParseTolerances(c.text, tolerances);
        EXPECT_EQ(parsed, !c.tolerances.empty()) << c.text;
        if (!parsed)
            continue;
        ASSERT_EQ(tolerances.size(), c.tolerances.size()) << c.text;
        for (size_t k = 0; k < tolerances.size(); ++k) {
            const ValueTarget& t = tolerances[k].target;
            EXPECT_EQ(t.slot.empty() ? t.name : t.name + "." + t.slot, c.tolerances[k].first);
            EXPECT_DOUBLE_EQ(tolerances[k].fraction, c.tolerances[k].second) << c.text;
        }
    }
}

TEST(StepRequest, DistributionsCountsAndSeeds)
{
    Distribution distribution = Distribution::Uniform;
    EXPECT_TRUE(ParseDistribution("gauss", distribution));
    EXPECT_EQ(distribution, Distribution::Gauss);
    EXPECT_TRUE(ParseDistribution("uniform", distribution));
    EXPECT_EQ(distribution, Distribution::Uniform);
    for (const char* bad : {"", "Gauss", "normal", "uniforme"})
        EXPECT_FALSE(ParseDistribution(bad, distribution)) << bad;

    int runs = 0;
    EXPECT_TRUE(ParseRunCount("1", runs));
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(ParseRunCount("1000", runs));
    EXPECT_EQ(runs, 1000);
    for (const char* bad : {"", "0", "-3", "1001", "10x", "1e2", " 5"})
        EXPECT_FALSE(ParseRunCount(bad, runs)) << bad;

    std::uint64_t seed = 7;
    EXPECT_TRUE(ParseSeed("0", seed));
    EXPECT_EQ(seed, 0u);
    EXPECT_TRUE(ParseSeed("18446744073709551615", seed));
    EXPECT_EQ(seed, UINT64_MAX);
    for (const char* bad : {"", "-1", "18446744073709551616", "12a", "0x10"})
        EXPECT_FALSE(ParseSeed(bad, seed)) << bad;
}

} // namespace
