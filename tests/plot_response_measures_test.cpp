// Measurements of frequency responses on small hand-made responses whose answers are exact under
// interpolation in log-frequency and dB, on sampled resonances, and in every unit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "plot/response_measures.h"

using namespace talvor;

namespace {

constexpr double Pi = 3.141592653589793;

// A response held in vectors, measured in stated units.
struct Response {
    std::vector<double> f, m, p;
    ResponseUnits units{MagnitudeUnit::Decibel, PhaseUnit::Degrees, FrequencyUnit::Hertz};

    ResponsePoints Points() const
    {
        return {f.data(), m.data(), p.empty() ? nullptr : p.data(), static_cast<int>(f.size())};
    }
    ResponseMeasures Measure() const
    {
        return MeasureResponse(Points(), SettleUnits(Points(), units));
    }
};

TEST(ResponseMeasures, CrossingsAreInterpolatedInLogFrequencyAndDb)
{
    // Straight lines in log-frequency and dB, so every crossing has an exact answer; sparse
    // points make interpolation in plain frequency miss it by far.
    Response r;
    r.f = {1, 10, 100, 1000, 10000};
    r.m = {6, 6, 6 - HalfPowerDropDb * 10 / 3, -14, -34}; // -10 dB/decade, then -20 dB/decade
    r.p = {-100, -120, -140, -170, 170};                  // the last is -190 unwrapped
    ResponseMeasures m = r.Measure();
    ASSERT_EQ(m.problem, MeasureProblem::None);
    // Half-power: 3.0103 dB below the peak, three tenths of the way from 10 to 100.
    ASSERT_TRUE(m.upperHalfPower.found);
    EXPECT_NEAR(m.upperHalfPower.frequency, std::pow(10.0, 1.3), 1e-9);
    EXPECT_FALSE(m.lowerHalfPower.found);
    // 0 dB: between 10 (6 dB) and 100 (-4.03 dB), where the phase goes from -120 to -140.
    double t = 6 / (6 + HalfPowerDropDb * 10 / 3 - 6);
    ASSERT_TRUE(m.unityGain.found);
    EXPECT_NEAR(m.unityGain.frequency, std::pow(10.0, 1 + t), 1e-9);
    EXPECT_NEAR(m.phaseAtUnity, -120 - 20 * t, 1e-9);
    // -180 degrees: half way from 1000 (-170) to 10000 (-190), where the gain is -24 dB.
    ASSERT_TRUE(m.phaseCrossover.found);
    EXPECT_NEAR(m.phaseCrossover.frequency, std::pow(10.0, 3.5), 1e-9);
    EXPECT_NEAR(m.gainAtCrossoverDb, -24, 1e-9);
}

TEST(ResponseMeasures, EndsPeakBandAndQOfASampledLine)
{
    Response r;
    r.f = {10, 100, 1000, 10000};
    r.m = {-20, 0, 0.5, -19.5}; // the highest sample is the third one
    ResponseMeasures m = r.Measure();
    EXPECT_DOUBLE_EQ(m.firstFrequency, 10);
    EXPECT_DOUBLE_EQ(m.firstGainDb, -20);
    EXPECT_DOUBLE_EQ(m.lastFrequency, 10000);
    EXPECT_DOUBLE_EQ(m.lastGainDb, -19.5);
    ASSERT_TRUE(m.hasBand);
    EXPECT_NEAR(m.bandwidth, m.upperHalfPower.frequency - m.lowerHalfPower.frequency, 1e-12);
    EXPECT_NEAR(m.q, m.peak.frequency / m.bandwidth, 1e-12);
    EXPECT_EQ(m.pointsInBand, 2); // the samples of 100 and 1000 Hz
    EXPECT_GE(m.peak.gainDb, 0.5);
    EXPECT_GT(m.peak.frequency, 100);
    EXPECT_LT(m.peak.frequency, 10000);
}

// |H| of a series RLC band-pass (the voltage across R) at f, with resonance f0 and quality q.
double BandPassDb(double f, double f0, double q)
{
    double detuning = f / f0 - f0 / f;
    return -10 * std::log10(1 + q * q * detuning * detuning);
}

// A value as a table holds it: "%g", six significant digits.
double AsWritten(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return std::atof(text);
}

TEST(ResponseMeasures, TheCornerOfALowPassOrHighPassIsExactAtTenPointsPerDecade)
{
    // Butterworth responses 1 / (1 + (f/fc)^2n) at 10 points per decade, as a table holds them:
    // in dB the corner bends between samples, along log(1/p - 1) it does not.
    for (int order : {1, 2, 3}) {
        for (double offset : {0.0, 0.37}) {
            for (bool highPass : {false, true}) {
                SCOPED_TRACE(testing::Message() << "order " << order << ", offset " << offset
                                                << (highPass ? ", high-pass" : ", low-pass"));
                const double fc = 100;
                Response r;
                for (int k = 0; k <= 40; ++k) {
                    const double f = AsWritten(std::pow(10.0, (k + offset) / 10));
                    const double x = highPass ? fc / f : f / fc;
                    r.f.push_back(f);
                    r.m.push_back(AsWritten(-10 * std::log10(1 + std::pow(x, 2 * order))));
                }
                const ResponseMeasures m = r.Measure();
                const Crossing& edge = highPass ? m.lowerHalfPower : m.upperHalfPower;
                ASSERT_TRUE(edge.found);
                // Half the power of the maximum, the sample at the end: x^2n = 1 + 2 x0^2n.
                const double x0 = highPass ? fc / r.f.back() : r.f.front() / fc;
                const double x = std::pow(1 + 2 * std::pow(x0, 2 * order), 0.5 / order);
                EXPECT_NEAR(edge.frequency / (highPass ? fc / x : fc * x), 1, 2e-6);
            }
        }
    }
}

TEST(ResponseMeasures, ResonanceIsPlacedBetweenSamples)
{
    // 100 points per decade rounded to six digits, as a table holds them, with the resonance
    // anywhere between two samples.
    for (double q : {0.7, 3.0, 10.0, 100.0}) {
        for (double offset : {0.0, 0.13, 0.5, 0.77}) {
            SCOPED_TRACE(testing::Message() << "Q " << q << ", offset " << offset);
            double f0 = 1000 * std::pow(10.0, offset / 100);
            Response r;
            for (int i = 0; i <= 200; ++i) {
                double f = AsWritten(std::pow(10.0, 2 + i / 100.0));
                r.f.push_back(f);
                r.m.push_back(AsWritten(BandPassDb(f, f0, q)));
            }
            ResponseMeasures m = r.Measure();
            EXPECT_NEAR(m.peak.frequency / f0, 1, 1e-5);
            // Placed from samples far below it, a narrow peak carries their rounding further.
            EXPECT_NEAR(m.peak.gainDb, 0, q < 20 ? 1e-4 : 1e-2);
            double lower = f0 * (std::sqrt(1 + 1 / (4 * q * q)) - 1 / (2 * q));
            if (q < 20) { // wider than a few samples: the band is measured too
                EXPECT_NEAR(m.lowerHalfPower.frequency / lower, 1, 1e-3);
                EXPECT_NEAR(m.q / q, 1, q < 5 ? 1e-3 : 3e-3);
                EXPECT_EQ(m.pointsInBand<FewPointsInBand, q> 5);
            } else if (m.hasBand) { // a band a sample wide: coarse, and said to be
                EXPECT_NEAR(m.lowerHalfPower.frequency / lower, 1, 1e-2);
                EXPECT_LT(m.pointsInBand, FewPointsInBand);
            }
        }
    }
}

TEST(ResponseMeasures, WhatTheSweepDoesNotReachIsNotFound)
{
    Response r;
    r.f = {1, 10, 100};
    r.m = {-1, -2, -2.5}; // never 0 dB, never 3 dB below the first point
    r.p = {-10, -60, -90};
    ResponseMeasures m = r.Measure();
    EXPECT_DOUBLE_EQ(m.peak.frequency, 1); // at an end: not refined
    EXPECT_DOUBLE_EQ(m.peak.gainDb, -1);
    EXPECT_FALSE(m.lowerHalfPower.found);
    EXPECT_FALSE(m.upperHalfPower.found);
    EXPECT_FALSE(m.hasBand);
    EXPECT_FALSE(m.unityGain.found);
    EXPECT_FALSE(m.phaseCrossover.found);

    r.p.clear();
    m = r.Measure();
    EXPECT_FALSE(m.hasPhase);
    EXPECT_FALSE(m.phaseCrossover.found);
}

// The measures of a response in dB without a phase.
ResponseMeasures MeasureGains(const std::vector<double>& f, const std::vector<double>& gainsDb)
{
    Response r;
    r.f = f;
    r.m = gainsDb;
    return r.Measure();
}

TEST(ResponseMeasures, HalfPowerBelowThePeakIsSoughtDownwards)
{
    // Going down from the peak: samples exactly at the half-power level are passed over, and the
    // crossing is placed at the first of them; between 10 and 1 Hz, at log-frequency (5 Hz, the
    // half-power point of a 10 dB fall in one decade).
    const double h = HalfPowerDropDb;
    struct Case {
        std::vector<double> f, gainsDb;
        double lower;
    };
    const Case cases[] = {
        {{1, 10, 100, 1000, 10000}, {-10, -h, -h, -1, 0}, 100},
        {{1, 10, 100}, {-10, 0, -1}, 5},
    };
    for (const Case& c : cases) {
        ResponseMeasures m = MeasureGains(c.f, c.gainsDb);
        SCOPED_TRACE(testing::PrintToString(c.gainsDb));
        EXPECT_DOUBLE_EQ(m.peak.gainDb, 0); // at an end, or too sharp to refine
        ASSERT_TRUE(m.lowerHalfPower.found);
        EXPECT_NEAR(m.lowerHalfPower.frequency, c.lower, 1e-9 * c.lower);
        EXPECT_EQ(m.lowerHalfPower.count, 1);
        EXPECT_FALSE(m.upperHalfPower.found);
    }
}

TEST(ResponseMeasures, WhichSampleIsThePeak)
{
    struct Case {
        std::vector<double> f, gainsDb;
        double frequency, gainDb;
        int first, last;
        bool refined, atStart, atEnd;
    };
    const Case cases[] = {
        // Refined between 1 and 100 Hz (the parabola of the inverse power, worked by hand).
        {{1, 10, 100}, {-1, 0, -2}, 6.40987577063866, 0.0689025271212953, 1, 1, true, false, false},
        // A resonance narrower than a sample step, placed 10.9 dB above the highest sample.
        {{1, 10, 100},
         {-0.5, 0, -9.4},
         3.27778273513524,
         10.9096897564175,
         1,
         1,
         true,
         false,
         false},
        // Equal samples are a run, never refined: at the start it stands for the start, at
        // the end for the end (a high-pass written as 1 from some frequency on), inside for its
        // middle in log-frequency.
        {{1, 10, 100, 1000}, {0, 0, -10, -20}, 1, 0, 0, 1, false, true, false},
        {{1, 10, 100, 1000}, {-20, -1, 0, 0}, 1000, 0, 2, 3, false, false, true},
        {{1, 10, 100, 1000}, {-9, 0, 0, -2}, std::sqrt(1000.0), 0, 1, 2, false, false, false},
        {{1, 10, 100}, {3, 3, 3}, 10, 3, 0, 2, false, true, true},
        // A single highest sample at an end is not refined either.
        {{1, 10, 100}, {-3, -2, -1}, 100, -1, 2, 2, false, false, true},
        {{1, 10, 100}, {-1, -2, -1}, 1, -1, 0, 0, false, true, false}, // the first of two
        // A strict maximum whose parabola does not open downwards past 20 dB: the sample.
        {{1, 10, 100}, {-40, 0, -0.01}, 10, 0, 1, 1, false, false, false},
    };
    for (const Case& c : cases) {
        ResponseMeasures m = MeasureGains(c.f, c.gainsDb);
        SCOPED_TRACE(testing::PrintToString(c.gainsDb));
        EXPECT_NEAR(m.peak.frequency, c.frequency, 1e-12 * c.frequency);
        EXPECT_NEAR(m.peak.gainDb, c.gainDb, 1e-12);
        EXPECT_EQ(m.peak.first, c.first);
        EXPECT_EQ(m.peak.last, c.last);
        EXPECT_DOUBLE_EQ(m.peak.firstFrequency, c.f[c.first]);
        EXPECT_DOUBLE_EQ(m.peak.lastFrequency, c.f[c.last]);
        EXPECT_EQ(m.peak.refined, c.refined);
        EXPECT_EQ(m.peak.atStart, c.atStart);
        EXPECT_EQ(m.peak.atEnd, c.atEnd);
    }
}

TEST(ResponseMeasures, AFlatRunIsNeverAPeakAboveItsSamples)
{
    // A high-pass at 36 Hz as a table writes it: 1 from some 36 kHz on. The highest value is
    // that of the samples, at the end of the sweep, and the half-power point lies below.
    Response r;
    r.units.magnitude = MagnitudeUnit::Linear;
    for (int i = 0; i <= 400; ++i) {
        double f = AsWritten(std::pow(10.0, 1 + i / 100.0));
        double x = f / 36;
        r.f.push_back(f);
        r.m.push_back(AsWritten(x / std::sqrt(1 + x * x)));
    }
    ResponseMeasures m = r.Measure();
    EXPECT_EQ(m.peak.gainDb, 0);
    EXPECT_EQ(m.peak.frequency, 100000);
    EXPECT_TRUE(m.peak.atEnd);
    EXPECT_GT(m.peak.last - m.peak.first, 10);
    EXPECT_NEAR(m.peak.firstFrequency, 36307.8, 0.1);
    ASSERT_TRUE(m.lowerHalfPower.found);
    EXPECT_NEAR(m.lowerHalfPower.frequency / 36, 1, 1e-3);
    EXPECT_FALSE(m.notch.found);
}

// |H|^2 of a second-order notch of quality q (the width of its -3 dB band is f0 / q) whose
// deepest point lies k times the passband: (k^2 + (2 q sinh x)^2) / (1 + (2 q sinh x)^2),
// x = ln(f / f0). The ratio k is r / (R + r) for a series LC with loss r across the output of R.
double NotchPower(double f, double f0, double q, double k)
{
    double a = std::pow(2 * q * std::sinh(std::log(f / f0)), 2);
    return (k * k + a) / (1 + a);
}

// A second-order notch sampled at 100 points per decade from 10 Hz to 100 kHz, as a table holds
// it (linear or in dB), measured against its closed form. The depth is measured from the lower
// end of the sweep and the width between the crossings 3.0103 dB below it: with p that end's
// power, |H|^2 = p/2 where (2 q sinh x)^2 = (p/2 - k^2) / (1 - p/2).
void CheckSampledNotch(bool decibels, double q, double k, double offset)
{
    SCOPED_TRACE(testing::Message() << (decibels ? "dB" : "linear") << ", Q " << q << ", k " << k
                                    << ", offset " << offset);
    double f0 = 1000 * std::pow(10.0, offset / 100);
    Response r;
    r.units.magnitude = decibels ? MagnitudeUnit::Decibel : MagnitudeUnit::Linear;
    std::vector<double> power;
    for (int i = 0; i <= 400; ++i) {
        double f = AsWritten(std::pow(10.0, 1 + i / 100.0));
        r.f.push_back(f);
        power.push_back(NotchPower(f, f0, q, k));
        double m =
            decibels ? 10 * std::log10(std::max(power.back(), 1e-100)) : std::sqrt(power.back());
        r.m.push_back(AsWritten(m));
    }
    ResponseMeasures m = r.Measure();
    ASSERT_TRUE(m.notch.found);
    EXPECT_NEAR(m.notch.at.frequency / f0, 1, 1e-4);
    double reference = std::min(power.front(), power.back());
    double level = reference / 2;
    double x = std::asinh(std::sqrt((level - k * k) / (1 - level)) / (2 * q));
    EXPECT_NEAR(m.notch.lower.frequency / (f0 * std::exp(-x)), 1, 1e-4);
    EXPECT_NEAR(m.notch.upper.frequency / (f0 * std::exp(x)), 1, 1e-4);
    EXPECT_NEAR(m.notch.width / (2 * f0 * std::sinh(x)), 1, 2e-4);
    // A finite depth is found where the samples show it; a null deeper than they can show, or
    // the bottom of a run of equal samples, is the lowest sample's depth: a bound.
    double depth = k > 0 ? 10 * std::log10(reference / (k * k)) : INFINITY;
    double lowestDb = *std::min_element(m.notch.at.first + r.m.begin(), r.m.end());
    if (m.notch.depthResolved) {
        EXPECT_NEAR(m.notch.depthDb, depth, 0.05);
    } else {
        double lowest = decibels ? lowestDb : 20 * std::log10(std::max(lowestDb, 1e-50));
        EXPECT_NEAR(m.notch.depthDb, 10 * std::log10(reference) - lowest, 1e-4);
        EXPECT_LE(m.notch.depthDb, depth + 1e-3); // within the table's rounding
    }
    if (k >= 0.01 && !m.notch.at.IsRun()) {
        EXPECT_TRUE(m.notch.depthResolved);
    }
}

TEST(ResponseMeasures, NotchIsPlacedBetweenSamples)
{
    // 100 points per decade from 10 Hz to 100 kHz as a table holds them (linear or in dB), the
    // notch anywhere between two samples. The depth is measured from the lower end of the sweep
    // and the width between the crossings 3.0103 dB below it: with p that end's power,
    // |H|^2 = p/2 where (2 q sinh x)^2 = (p/2 - k^2) / (1 - p/2).
    for (bool decibels : {false, true})
        for (double q : {0.25, 1.0, 6.0})
            for (double k : {0.0, 1e-4, 1e-3, 0.01, 0.3})
                for (double offset : {0.0, 0.21, 0.5, 0.86})
                    CheckSampledNotch(decibels, q, k, offset);
}

TEST(ResponseMeasures, WhichMinimumIsANotch)
{
    struct Case {
        std::vector<double> gainsDb;
        bool found;
        int first, last;
        bool refined;
        double depthDb; // of the samples, when not refined
    };
    const double h = HalfPowerDropDb;
    const Case cases[] = {
        {{0, -5, -10, -5, 0}, true, 2, 2, true, 0},     // refined
        {{0, -1, -h, -1, 0}, false, 0, 0, false, 0},    // exactly 3.0103 dB: not below
        {{0, -5, -5, -1, -2}, false, 0, 0, false, 0},   // not 3.0103 dB below the lower end
        {{0, -6, -6, -1, -2}, true, 1, 2, false, 4},    // a run: its range, and a bound
        {{-1, -9, -2, -2, -1}, true, 1, 1, false, 8},   // a neighbour at the passband: as sampled
        {{-10, -1, 0, -2, -3}, false, 0, 0, false, 0},  // the lowest is an end
        {{0, -1, -4, -1, 3}, true, 2, 2, true, 0},      // from the lower end: 4 dB
        {{-3, -2, -5, -4, -20}, false, 0, 0, false, 0}, // the end is lower still
        {{0, -2, -1000, -2, 0}, true, 2, 2, true, 0},   // a zero: deeper than shown
    };
    for (const Case& c : cases) {
        ResponseMeasures m = MeasureGains({1, 10, 100, 1000, 10000}, c.gainsDb);
        SCOPED_TRACE(testing::PrintToString(c.gainsDb));
        ASSERT_EQ(m.notch.found, c.found);
        if (!c.found)
            continue;
        EXPECT_EQ(m.notch.at.first, c.first);
        EXPECT_EQ(m.notch.at.last, c.last);
        EXPECT_EQ(m.notch.at.refined, c.refined);
        double reference = std::min(c.gainsDb.front(), c.gainsDb.back());
        if (!c.refined) {
            EXPECT_FALSE(m.notch.depthResolved);
            EXPECT_DOUBLE_EQ(m.notch.depthDb, c.depthDb);
        } else {
            // Placed between the samples, and deeper than the lowest when resolved.
            EXPECT_GT(m.notch.at.frequency, 10);
            EXPECT_LT(m.notch.at.frequency, 1000);
            EXPECT_GE(m.notch.depthDb, reference - c.gainsDb[c.first]);
        }
        ASSERT_TRUE(m.notch.lower.found && m.notch.upper.found);
        EXPECT_NEAR(m.notch.width, m.notch.upper.frequency - m.notch.lower.frequency, 1e-9);
    }
}

TEST(ResponseMeasures, PhaseTurningBetweenTheFirstTwoPoints)
{
    Response r;
    r.f = {1, 10, 100};
    r.m = {10, 0, -10};
    r.p = {-170, 170, 160}; // -190 and -200 unwrapped
    ResponseMeasures m = r.Measure();
    ASSERT_TRUE(m.phaseCrossover.found);
    EXPECT_NEAR(m.phaseCrossover.frequency, std::sqrt(10.0), 1e-12);
    EXPECT_NEAR(m.gainAtCrossoverDb, 5, 1e-12);
    // 0 dB at the second point, whose phase is unwrapped from the first one's.
    ASSERT_TRUE(m.unityGain.found);
    EXPECT_NEAR(m.phaseAtUnity, -190, 1e-12);
}

TEST(ResponseMeasures, LevelCrossingRules)
{
    struct Case {
        std::vector<double> gainsDb;
        bool found;
        double frequency; // of the first crossing
        int count;
    };
    const Case cases[] = {
        {{-1, 0, -1, -2}, false, 0, 0}, // touches 0 dB and turns back
        {{0, 0, -1, -2}, false, 0, 0},  // starts on the level: not a crossing
        {{1, 0, 0, -1}, true, 10, 1},   // on the level for a while: the first such point
        {{1, 0, 1, 2}, false, 0, 0},    // touches it from above and turns back
        {{-1, 0, 0, 1}, true, 10, 1},   // rises through it after a while on it
        {{1, -1, 1, -1}, true, 1.5, 3}, // three crossings; the first half way (log) 1 to 10
        {{-1, 1, 1, 1}, true, 1.5, 1},  // a rise through the level counts too
        {{2, 2, 2, 2}, false, 0, 0},    // above all along
    };
    for (const Case& c : cases) {
        Response r;
        r.f = {1, 10, 100, 1000};
        r.m = c.gainsDb;
        ResponseMeasures m = r.Measure();
        SCOPED_TRACE(testing::PrintToString(c.gainsDb));
        EXPECT_EQ(m.unityGain.found, c.found);
        EXPECT_EQ(m.unityGain.count, c.count);
        if (c.found) {
            double expected = c.frequency == 1.5 ? std::sqrt(10.0) : c.frequency;
            EXPECT_NEAR(m.unityGain.frequency, expected, 1e-9);
        }
    }
}

TEST(ResponseMeasures, PhaseIsUnwrappedAlongTheSweep)
{
    // An unstable loop: the phase passes -180 before the gain falls to 1. As written in a table
    // (between -180 and 180) the crossing at 0 dB reads +170 degrees; unwrapped it is -190.
    Response r;
    r.f = {1, 10, 100, 1000, 10000};
    r.m = {40, 30, 10, -10, -30};
    r.p = {-100, -150, 178, 170, 100}; // -182, -190, -260 unwrapped
    ResponseMeasures m = r.Measure();
    ASSERT_TRUE(m.unityGain.found);
    EXPECT_NEAR(m.unityGain.frequency, std::sqrt(100.0 * 1000), 1e-9);
    EXPECT_NEAR(m.phaseAtUnity, -186, 1e-9);
    ASSERT_TRUE(m.phaseCrossover.found);
    EXPECT_NEAR(m.phaseCrossover.frequency, std::pow(10.0, 1 + 30.0 / 32), 1e-9);
    EXPECT_NEAR(m.gainAtCrossoverDb, 30 - 20 * 30.0 / 32, 1e-9);
    EXPECT_EQ(m.phaseCrossover.count, 1);
}

TEST(ResponseMeasures, PhaseTurningSeveralTimesIsFollowed)
{
    // A phase falling by 90 degrees a point for three turns: written wrapped every time.
    Response r;
    double unwrapped = 0;
    for (int i = 0; i < 13; ++i, unwrapped -= 90) {
        r.f.push_back(std::pow(10.0, i));
        r.m.push_back(20 - 10 * i);
        r.p.push_back(std::remainder(unwrapped, 360.0));
    }
    ResponseMeasures m = r.Measure();
    EXPECT_NEAR(m.phaseAtUnity, -180, 1e-9); // 0 dB at point 2
    EXPECT_EQ(m.phaseCrossover.count, 1);    // -180 once; -540 and -900 are other levels
}

TEST(ResponseMeasures, UnitsGiveTheSameMeasures)
{
    // One response written in every combination of the table's units.
    std::vector<double> f = {100, 1000, 10000, 100000};
    std::vector<double> linear = {20, 5, 0.5, 0.01};
    std::vector<double> degrees = {-95, -130, -175, -200};
    Response reference;
    reference.f = f;
    reference.m = linear;
    reference.p = degrees;
    reference.units = {MagnitudeUnit::Linear, PhaseUnit::Degrees, FrequencyUnit::Hertz};
    ResponseMeasures expected = reference.Measure();
    ASSERT_TRUE(expected.unityGain.found && expected.phaseCrossover.found && expected.hasPhase);

    for (bool decibels : {false, true}) {
        for (bool radians : {false, true}) {
            Response r = reference;
            r.units = {decibels ? MagnitudeUnit::Decibel : MagnitudeUnit::Linear,
                       radians ? PhaseUnit::Radians : PhaseUnit::Degrees,
                       FrequencyUnit::RadiansPerSecond};
            for (size_t i = 0; i < f.size(); ++i) {
                if (decibels)
                    r.m[i] = 20 * std::log10(linear[i]);
                // Written as the table writes it: wrapped to within half a turn.
                double p = std::remainder(degrees[i], 360.0);
                r.p[i] = radians ? p * Pi / 180 : p;
            }
            ResponseMeasures m = r.Measure();
            SCOPED_TRACE(testing::Message() << "dB " << decibels << ", rad " << radians);
            EXPECT_NEAR(m.peak.gainDb, expected.peak.gainDb, 1e-9);
            EXPECT_NEAR(m.unityGain.frequency, expected.unityGain.frequency, 1e-6);
            EXPECT_NEAR(m.phaseAtUnity, expected.phaseAtUnity, 1e-9);
            EXPECT_NEAR(m.phaseCrossover.frequency, expected.phaseCrossover.frequency, 1e-6);
            EXPECT_NEAR(m.gainAtCrossoverDb, expected.gainAtCrossoverDb, 1e-9);
        }
    }
}

TEST(ResponseMeasures, UnstatedUnitsFollowTheValues)
{
    struct Case {
        std::vector<double> m, p;
        ResponseUnits stated;
        MagnitudeUnit magnitude;
        PhaseUnit phase;
    };
    const ResponseUnits unknown;
    const Case cases[] = {
        {{1, 0.5}, {-10, -100}, unknown, MagnitudeUnit::Linear, PhaseUnit::Degrees},
        {{1, -0.5}, {-0.1, -3.14159}, unknown, MagnitudeUnit::Decibel, PhaseUnit::Radians},
        {{3, 2}, {0, 3.2}, unknown, MagnitudeUnit::Linear, PhaseUnit::Degrees},
        {{-0.5, 1}, {-100, -0.1}, unknown, MagnitudeUnit::Decibel, PhaseUnit::Degrees},
        // Stated units are kept whatever the values look like.
        {{1, 0.5},
         {-0.1, -0.2},
         {MagnitudeUnit::Decibel, PhaseUnit::Degrees, FrequencyUnit::Hertz},
         MagnitudeUnit::Decibel,
         PhaseUnit::Degrees},
    };
    for (const Case& c : cases) {
        std::vector<double> f = {1, 2};
        ResponsePoints points{f.data(), c.m.data(), c.p.data(), 2};
        SettledUnits units = SettleUnits(points, c.stated);
        EXPECT_EQ(units.magnitude, c.magnitude);
        EXPECT_EQ(units.phase, c.phase);
        bool stated = c.stated.magnitude != MagnitudeUnit::Unknown;
        EXPECT_EQ(units.magnitudeAssumed, !stated);
        EXPECT_EQ(units.phaseAssumed, !stated);
        EXPECT_EQ(units.frequencyAssumed, !stated);
        EXPECT_EQ(units.frequency, FrequencyUnit::Hertz);
    }
    std::vector<double> f = {1, 2}, m = {1, 2};
    SettledUnits units =
        SettleUnits({f.data(), m.data(), nullptr, 2},
                    {MagnitudeUnit::Unknown, PhaseUnit::Unknown, FrequencyUnit::RadiansPerSecond});
    EXPECT_EQ(units.frequency, FrequencyUnit::RadiansPerSecond);
    EXPECT_FALSE(units.frequencyAssumed);
}

TEST(ResponseMeasures, ResponsesThatCannotBeMeasured)
{
    const double nan = std::nan("");
    struct Case {
        std::vector<double> f, m, p;
        MeasureProblem problem;
        int point;
    };
    const Case cases[] = {
        {{}, {}, {}, MeasureProblem::NoPoints, 0},
        {{1, 2, 2}, {1, 1, 1}, {}, MeasureProblem::NotIncreasing, 2},
        {{1, 2, 3}, {1, 1, 1}, {0, 0, 0}, MeasureProblem::None, 0},
        {{1, 3, 2}, {1, 1, 1}, {}, MeasureProblem::NotIncreasing, 2},
        {{1, 2, 3}, {1, nan, 1}, {}, MeasureProblem::NotFinite, 1},
        {{1, 2, 3}, {1, 1, 1}, {0, 0, INFINITY}, MeasureProblem::NotFinite, 2},
        {{1, 2, 3}, {1, -1, 1}, {}, MeasureProblem::NegativeMagnitude, 1},
        // The first point is checked like the others; a single one can be measured.
        {{nan, 2, 3}, {1, 1, 1}, {}, MeasureProblem::NotFinite, 0},
        {{1, 2}, {1, 1}, {-INFINITY, 0}, MeasureProblem::NotFinite, 0},
        {{1, 2, 3}, {-1, 1, 1}, {}, MeasureProblem::NegativeMagnitude, 0},
        {{2, 1, 3}, {1, 1, 1}, {}, MeasureProblem::NotIncreasing, 1},
        {{5}, {1}, {}, MeasureProblem::None, 0},
    };
    for (const Case& c : cases) {
        Response r;
        r.f = c.f;
        r.m = c.m;
        r.p = c.p;
        r.units.magnitude = MagnitudeUnit::Linear;
        ResponseMeasures m = r.Measure();
        EXPECT_EQ(m.problem, c.problem) << testing::PrintToString(c.f);
        EXPECT_EQ(m.problemPoint, c.point) << testing::PrintToString(c.f);
    }
}

TEST(ResponseMeasures, PointsBeyondTheCountAreNotRead)
{
    // A table's columns keep the rows of an earlier, longer table beyond the ones measured: a
    // higher peak there or one that would move the peak, a phase beyond -180, values in other
    // units, or no number at all.
    Response r;
    r.f = {1, 10, 100};
    r.m = {0.5, 0.8, 1.2}; // the peak at the last point
    r.p = {-0.5, -1, -1.5};
    r.units = ResponseUnits{};
    const ResponseMeasures expected = r.Measure();
    const SettledUnits expectedUnits = SettleUnits(r.Points(), r.units);
    for (double stale : {-50.0, 50.0, 1.1, std::nan("")}) {
        Response longer = r;
        longer.f.push_back(std::isnan(stale) ? stale : 1000);
        longer.m.push_back(stale);
        longer.p.push_back(std::isnan(stale) ? stale : -500);
        ResponsePoints points = longer.Points();
        points.count = 3;
        const SettledUnits units = SettleUnits(points, longer.units);
        const ResponseMeasures m = MeasureResponse(points, units);
        SCOPED_TRACE(stale);
        EXPECT_EQ(units.magnitude, expectedUnits.magnitude);
        EXPECT_EQ(units.phase, expectedUnits.phase);
        EXPECT_EQ(m.problem, expected.problem);
        EXPECT_EQ(m.peak.frequency, expected.peak.frequency);
        EXPECT_EQ(m.peak.gainDb, expected.peak.gainDb);
        EXPECT_EQ(m.lastFrequency, expected.lastFrequency);
        EXPECT_EQ(m.upperHalfPower.found, expected.upperHalfPower.found);
        EXPECT_EQ(m.unityGain.frequency, expected.unityGain.frequency);
        EXPECT_EQ(m.phaseCrossover.found, expected.phaseCrossover.found);
    }
}

TEST(ResponseMeasures, SweepStartingAtZeroFrequency)
{
    // A linear sweep from 0: the first segment is interpolated in frequency; the peak next to
    // it is not refined in log-frequency.
    Response r;
    r.units.magnitude = MagnitudeUnit::Linear;
    r.f = {0, 100, 200};
    r.m = {2, 4, 0.5};
    ResponseMeasures m = r.Measure();
    ASSERT_EQ(m.problem, MeasureProblem::None);
    EXPECT_DOUBLE_EQ(m.peak.frequency, 100);
    ASSERT_TRUE(m.lowerHalfPower.found);
    // 4/sqrt(2) in dB between 2 (6.02 dB) and 4 (12.04 dB): half way.
    EXPECT_NEAR(m.lowerHalfPower.frequency, 50, 1e-9);
    EXPECT_TRUE(m.unityGain.found);
    // 0 dB half way between -6 dB at 0 and +6 dB at 100 Hz.
    r.m = {0.5, 2, 1.5};
    m = r.Measure();
    ASSERT_TRUE(m.unityGain.found);
    EXPECT_NEAR(m.unityGain.frequency, 50, 1e-9);
    // A linear magnitude of exactly 0 is floored at -1000 dB, not a fault.
    r.m = {0, 1, 0};
    m = r.Measure();
    EXPECT_EQ(m.problem, MeasureProblem::None);
    EXPECT_DOUBLE_EQ(m.firstGainDb, -1000);
}

TEST(UnitEvidence, BoundariesOfDecibelsAndDegrees)
{
    // A magnitude of 0 is linear (no dB value is told by it); a phase of exactly ±3.1416, pi in
    // five decimals, is still radians.
    struct Case {
        double magnitude, phase;
        bool negativeMagnitude, phaseBeyondPi;
    } cases[] = {
        {0, -3.1416, false, false},
        {0, 3.1416, false, false},
        {-1e-9, -3.1417, true, true},
        {1, 3.1417, false, true},
    };
    for (const Case& c : cases) {
        UnitEvidence evidence;
        evidence.AddMagnitude(c.magnitude);
        evidence.AddPhase(c.phase);
        EXPECT_EQ(evidence.negativeMagnitude, c.negativeMagnitude) << c.magnitude;
        EXPECT_EQ(evidence.phaseBeyondPi, c.phaseBeyondPi) << c.phase;
    }
}

} // namespace
