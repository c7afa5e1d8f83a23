// Measurements of a frequency response: level crossings interpolated in log-frequency, the peak
// refined between samples, and the phase unwrapped along the sweep.
#include "plot/response_measures.h"

#include <algorithm>
#include <cmath>

namespace talvor {

namespace {

constexpr double Pi = 3.141592653589793;
// Linear magnitudes are floored as the table's dB values are, at -1000 dB.
constexpr double MagnitudeFloor = 1e-50;

double GainDb(const ResponsePoints& points, const SettledUnits& units, int i)
{
    double m = points.magnitude[i];
    if (units.magnitude == MagnitudeUnit::Decibel)
        return m;
    return 20 * std::log10(std::max(m, MagnitudeFloor));
}

double PhaseDegrees(const ResponsePoints& points, const SettledUnits& units, int i)
{
    double p = points.phase[i];
    return units.phase == PhaseUnit::Radians ? p * (180 / Pi) : p;
}

// The phase of point i moved by whole turns to within half a turn of the previous point's.
double UnwrapStep(double previous, double wrapped)
{
    return previous + std::remainder(wrapped - previous, 360.0);
}

// The unwrapped phase of every point up to index, in degrees, starting from the first point's.
double UnwrappedPhaseAt(const ResponsePoints& points, const SettledUnits& units, int index)
{
    double phase = PhaseDegrees(points, units, 0);
    for (int i = 1; i <= index; ++i)
        phase = UnwrapStep(phase, PhaseDegrees(points, units, i));
    return phase;
}

// Follows values (already taken relative to a level) in the order of a scan and notes where they
// change sides.
class CrossingScan {
public:
    void Add(int index, double value)
    {
        int side = (value > 0) - (value < 0);
        if (side == 0)
            return; // on the level: on the way to wherever the values go next
        if (lastSide_ != 0 && side != lastSide_) {
            if (!crossing.found) {
                crossing.found = true;
                crossing.from = lastIndex_;
                bool adjacent = std::abs(index - lastIndex_) == 1;
                // Points on the level in between: the crossing is at the first of them.
                crossing.to = adjacent ? index : lastIndex_ + (index > lastIndex_ ? 1 : -1);
                crossing.t = adjacent ? lastValue_ / (lastValue_ - value) : 1;
            }
            ++crossing.count;
        }
        lastSide_ = side;
        lastIndex_ = index;
        lastValue_ = value;
    }

    Crossing crossing;

private:
    int lastSide_ = 0;
    int lastIndex_ = 0;
    double lastValue_ = 0;
};

double Interpolate(double a, double b, double t) { return a + t * (b - a); }

// The frequency at the crossing: linear in log-frequency, or in frequency where that is not
// positive.
void SetCrossingFrequency(const ResponsePoints& points, Crossing& c)
{
    if (!c.found)
        return;
    double f0 = points.frequency[c.from], f1 = points.frequency[c.to];
    c.frequency = f0 > 0 && f1 > 0 ? std::exp(Interpolate(std::log(f0), std::log(f1), c.t))
                                   : Interpolate(f0, f1, c.t);
}

// The first crossing of level by the gain from point start towards step (+1 or -1).
Crossing GainCrossing(const ResponsePoints& points, const SettledUnits& units, double level,
                      int start, int step)
{
    CrossingScan scan;
    for (int i = start; i >= 0 && i < points.count; i += step)
        scan.Add(i, GainDb(points, units, i) - level);
    SetCrossingFrequency(points, scan.crossing);
    return scan.crossing;
}

MeasureProblem CheckPoints(const ResponsePoints& points, const SettledUnits& units, int& point)
{
    if (points.count < 1)
        return MeasureProblem::NoPoints;
    for (point = 0; point < points.count; ++point) {
        if (!std::isfinite(points.frequency[point]) || !std::isfinite(points.magnitude[point]) ||
            (points.phase != nullptr && !std::isfinite(points.phase[point])))
            return MeasureProblem::NotFinite;
        if (point > 0 && !(points.frequency[point] > points.frequency[point - 1]))
            return MeasureProblem::NotIncreasing;
        if (units.magnitude == MagnitudeUnit::Linear && points.magnitude[point] < 0)
            return MeasureProblem::NegativeMagnitude;
    }
    point = 0;
    return MeasureProblem::None;
}

// The peak: the highest sample (whose index is returned), refined by a parabola through it and
// its neighbours. Near a resonance the power follows 1 / (1 + (2 Q detuning)^2), so its inverse
// is a parabola in log-frequency; in dB the peak is pointed, and a parabola there misses a
// resonance by up to 0.4% at 100 points per decade.
int FindPeak(const ResponsePoints& points, const SettledUnits& units, ResponseMeasures& m)
{
    int peakIndex = 0;
    double top = GainDb(points, units, 0);
    for (int i = 1; i < points.count; ++i) {
        double gain = GainDb(points, units, i);
        if (gain > top) {
            top = gain;
            peakIndex = i;
        }
    }
    m.peakFrequency = points.frequency[peakIndex];
    m.peakGainDb = top;
    if (peakIndex == 0 || peakIndex == points.count - 1 || points.frequency[peakIndex - 1] <= 0)
        return peakIndex;
    // Inverse power relative to the highest sample, at log-frequency offsets from it.
    auto inversePower = [&](int i) {
        return std::pow(10.0, std::min(top - GainDb(points, units, i), 200.0) / 10);
    };
    double centre = std::log(points.frequency[peakIndex]);
    double d0 = std::log(points.frequency[peakIndex - 1]) - centre;
    double d2 = std::log(points.frequency[peakIndex + 1]) - centre;
    double s0 = (inversePower(peakIndex - 1) - 1) / d0;
    double s2 = (inversePower(peakIndex + 1) - 1) / d2;
    double a = (s0 - s2) / (d0 - d2);
    if (!(a > 0))
        return peakIndex; // flat: the sample is as good as any
    double b = s0 - a * d0;
    double offset = -b / (2 * a);
    double lowest = 1 - b * b / (4 * a);
    // Beyond 20 dB above the highest sample the sweep says too little to place a peak. Between 3
    // and 20 dB the resonance is narrower than a sample step: its peak is still placed, but no
    // sample lies above its half-power level, so its band is not found.
    if (!(offset > d0 && offset < d2 && lowest >= 0.01))
        return peakIndex;
    m.peakFrequency = std::exp(centre + offset);
    m.peakGainDb = top - 10 * std::log10(lowest);
    return peakIndex;
}

void MeasurePhase(const ResponsePoints& points, const SettledUnits& units, ResponseMeasures& m)
{
    if (m.unityGain.found)
        m.phaseAtUnity =
            Interpolate(UnwrappedPhaseAt(points, units, m.unityGain.from),
                        UnwrappedPhaseAt(points, units, m.unityGain.to), m.unityGain.t);
    CrossingScan scan;
    double phase = PhaseDegrees(points, units, 0);
    for (int i = 0; i < points.count; ++i) {
        if (i > 0)
            phase = UnwrapStep(phase, PhaseDegrees(points, units, i));
        scan.Add(i, phase + 180);
    }
    m.phaseCrossover = scan.crossing;
    SetCrossingFrequency(points, m.phaseCrossover);
    if (m.phaseCrossover.found)
        m.gainAtCrossoverDb =
            Interpolate(GainDb(points, units, m.phaseCrossover.from),
                        GainDb(points, units, m.phaseCrossover.to), m.phaseCrossover.t);
}

} // namespace

double DecibelsToLinear(double decibels) { return std::pow(10.0, decibels / 20); }

void UnitEvidence::Add(const ResponsePoints& points)
{
    for (int i = 0; i < points.count; ++i) {
        AddMagnitude(points.magnitude[i]);
        if (points.phase != nullptr)
            AddPhase(points.phase[i]);
    }
}

SettledUnits SettleUnits(const UnitEvidence& evidence, const ResponseUnits& stated)
{
    SettledUnits units;
    units.magnitudeAssumed = stated.magnitude == MagnitudeUnit::Unknown;
    units.phaseAssumed = stated.phase == PhaseUnit::Unknown;
    units.frequencyAssumed = stated.frequency == FrequencyUnit::Unknown;
    units.magnitude = !units.magnitudeAssumed      ? stated.magnitude
                      : evidence.negativeMagnitude ? MagnitudeUnit::Decibel
                                                   : MagnitudeUnit::Linear;
    units.phase = !units.phaseAssumed                            ? stated.phase
                  : evidence.anyPhase && !evidence.phaseBeyondPi ? PhaseUnit::Radians
                                                                 : PhaseUnit::Degrees;
    units.frequency = units.frequencyAssumed ? FrequencyUnit::Hertz : stated.frequency;
    return units;
}

SettledUnits SettleUnits(const ResponsePoints& points, const ResponseUnits& stated)
{
    UnitEvidence evidence;
    evidence.Add(points);
    return SettleUnits(evidence, stated);
}

ResponseMeasures MeasureResponse(const ResponsePoints& points, const SettledUnits& units)
{
    ResponseMeasures m;
    m.hasPhase = points.phase != nullptr;
    m.problem = CheckPoints(points, units, m.problemPoint);
    if (m.problem != MeasureProblem::None)
        return m;
    int last = points.count - 1;
    m.firstFrequency = points.frequency[0];
    m.firstGainDb = GainDb(points, units, 0);
    m.lastFrequency = points.frequency[last];
    m.lastGainDb = GainDb(points, units, last);

    int peakIndex = FindPeak(points, units, m);
    double halfPower = m.peakGainDb - HalfPowerDropDb;
    m.lowerHalfPower = GainCrossing(points, units, halfPower, peakIndex, -1);
    m.upperHalfPower = GainCrossing(points, units, halfPower, peakIndex, +1);
    m.hasBand = m.lowerHalfPower.found && m.upperHalfPower.found;
    if (m.hasBand) {
        m.bandwidth = m.upperHalfPower.frequency - m.lowerHalfPower.frequency;
        m.q = m.peakFrequency / m.bandwidth;
        m.pointsInBand = m.upperHalfPower.from - m.lowerHalfPower.from + 1;
    }

    m.unityGain = GainCrossing(points, units, 0, 0, +1);
    if (m.hasPhase)
        MeasurePhase(points, units, m);
    return m;
}

} // namespace talvor
