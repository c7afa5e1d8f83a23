// Measurements of one frequency response (magnitude and, when known, phase against frequency):
// gains at the ends, the peak with its half-power band and Q, the notch with its depth and width,
// the unity-gain frequency with the phase margin, and the -180 degree crossing with the gain
// margin.
#pragma once

namespace talvor {

enum class MagnitudeUnit { Unknown, Linear, Decibel };
enum class PhaseUnit { Unknown, Degrees, Radians };
enum class FrequencyUnit { Unknown, Hertz, RadiansPerSecond };

// The units of a table as its writer states them; Unknown leaves the choice to the values.
struct ResponseUnits {
    MagnitudeUnit magnitude = MagnitudeUnit::Unknown;
    PhaseUnit phase = PhaseUnit::Unknown;
    FrequencyUnit frequency = FrequencyUnit::Unknown;
};

// Units settled for a measurement, each flagged when the values chose it rather than the writer.
struct SettledUnits {
    MagnitudeUnit magnitude = MagnitudeUnit::Linear;
    PhaseUnit phase = PhaseUnit::Degrees;
    FrequencyUnit frequency = FrequencyUnit::Hertz;
    bool magnitudeAssumed = false;
    bool phaseAssumed = false;
    bool frequencyAssumed = false;
};

// Point i (from 0) is (frequency[i], magnitude[i], phase[i]); phase is null when the response has
// none. The arrays are read, never copied.
struct ResponsePoints {
    const double* frequency = nullptr;
    const double* magnitude = nullptr;
    const double* phase = nullptr;
    int count = 0;
};

// What values tell about their units: a negative magnitude is in dB, and a phase beyond +/-pi
// (a little more, since six digits write pi as 3.14159) is in degrees.
struct UnitEvidence {
    bool negativeMagnitude = false;
    bool anyPhase = false;
    bool phaseBeyondPi = false;

    void AddMagnitude(double m) { negativeMagnitude = negativeMagnitude || m < 0; }
    void AddPhase(double p)
    {
        anyPhase = true;
        phaseBeyondPi = phaseBeyondPi || !(p >= -3.1416 && p <= 3.1416);
    }
    void Add(const ResponsePoints& points);
};

// A table does not record its units, so an unstated unit is chosen by this rule:
// - magnitudes are in dB when any is negative, else linear;
// - phases are in radians when every one lies within +/-pi, else in degrees;
// - frequencies are in Hz (they only name the unit of the frequencies reported).
SettledUnits SettleUnits(const UnitEvidence& evidence, const ResponseUnits& stated);
// The rule on the response's own values.
SettledUnits SettleUnits(const ResponsePoints& points, const ResponseUnits& stated);

// Why a response cannot be measured; point is the 0-based point concerned.
enum class MeasureProblem { None, NoPoints, NotFinite, NotIncreasing, NegativeMagnitude };

// A level crossing between two points: the value passes from one side of the level at point
// `from` to the other side at point `to`, at the fraction t of the way (interpolated linearly in
// log-frequency). Points exactly at the level are passed over; touching the level and turning
// back is not a crossing.
struct Crossing {
    bool found = false;
    int from = 0;
    int to = 0;
    double t = 0;
    double frequency = 0;
    int count = 0; // every crossing of the level along the sweep (only the first is described)
};

// The highest (or lowest) gain of the sweep. A single sample inside the sweep whose neighbours
// are both lower (higher) is refined between them; a run of equal samples is not, and stands for
// the range of frequencies it covers.
struct Extremum {
    double frequency = 0; // refined; the sample's; an end's for a run that reaches it; else the
                          // run's middle in log-frequency
    double gainDb = 0;
    int first = 0, last = 0; // the samples of the run (the same one for a single sample)
    double firstFrequency = 0, lastFrequency = 0;
    bool refined = false;
    bool atStart = false, atEnd = false; // the run holds the first or the last point

    bool IsRun() const { return last > first; }
};

// A minimum more than HalfPowerDropDb below both ends of the sweep. Its depth is measured from the
// lower end, and its width between the crossings of the level HalfPowerDropDb below that end.
struct Notch {
    bool found = false;
    Extremum at;
    double depthDb = 0;
    bool depthResolved = false; // false: the sweep only shows that it is at least depthDb deep
    Crossing lower, upper;
    double width = 0;
};

struct ResponseMeasures {
    MeasureProblem problem = MeasureProblem::None;
    int problemPoint = 0;
    bool hasPhase = false;

    double firstFrequency = 0, firstGainDb = 0;
    double lastFrequency = 0, lastGainDb = 0;

    Extremum peak;
    Crossing lowerHalfPower, upperHalfPower; // where the gain is the peak's divided by sqrt(2)
    bool hasBand = false;                    // both half-power frequencies found
    double bandwidth = 0, q = 0;             // upper - lower, and peak frequency / bandwidth
    int pointsInBand = 0;                    // samples above the half-power level

    Notch notch;

    Crossing unityGain;      // the first crossing of 0 dB
    double phaseAtUnity = 0; // unwrapped, degrees; valid when unityGain.found && hasPhase
    Crossing phaseCrossover; // the first crossing of -180 degrees by the unwrapped phase
    double gainAtCrossoverDb = 0;
};

// Fewer samples than this above the half-power level leave the band and Q coarse (errors above
// 0.1% once the band spans less than about eight samples).
inline constexpr int FewPointsInBand = 8;

// 20 log10 of the square root of 2: the drop from the peak to a half-power frequency.
inline constexpr double HalfPowerDropDb = 3.010299956639812;

// Measures the response in the settled units. Phases are unwrapped along the sweep from the
// first point's value; gains are compared in dB and crossings interpolated linearly in dB (or
// degrees) against log-frequency (against frequency on a segment that starts at or below 0).
ResponseMeasures MeasureResponse(const ResponsePoints& points, const SettledUnits& units);

double DecibelsToLinear(double decibels);

} // namespace talvor
