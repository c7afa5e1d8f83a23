// Measurements of a frequency response: level crossings interpolated in log-frequency, the peak
// and the notch refined between samples, and the phase unwrapped along the sweep.
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

// The first sample whose gain is the highest (sign +1) or the lowest (sign -1) of the sweep.
int ExtremeSample(const ResponsePoints& points, const SettledUnits& units, int sign)
{
    int best = 0;
    for (int i = 1; i < points.count; ++i)
        if (sign * GainDb(points, units, i) > sign * GainDb(points, units, best))
            best = i;
    return best;
}

// The middle of two frequencies in log-frequency, or in frequency where that is not positive.
double MiddleFrequency(double f0, double f1)
{
    return f0 > 0 && f1 > 0 ? std::sqrt(f0) * std::sqrt(f1) : (f0 + f1) / 2;
}

// The run of samples equal to sample index, which no earlier sample equals.
Extremum SampleRun(const ResponsePoints& points, const SettledUnits& units, int index)
{
    Extremum e;
    e.first = e.last = index;
    e.gainDb = GainDb(points, units, index);
    while (e.last + 1 < points.count && GainDb(points, units, e.last + 1) == e.gainDb)
        ++e.last;
    e.atStart = e.first == 0;
    e.atEnd = e.last == points.count - 1;
    e.firstFrequency = points.frequency[e.first];
    e.lastFrequency = points.frequency[e.last];
    // A run that reaches one end stands for that end: the response may go on rising (falling)
    // beyond it, but nothing says it turns back inside the run.
    e.frequency = e.atEnd && !e.atStart   ? e.lastFrequency
                  : e.atStart && !e.atEnd ? e.firstFrequency
                                          : MiddleFrequency(e.firstFrequency, e.lastFrequency);
    return e;
}

// The vertex of the parabola through (d0, y0), (0, 0) and (d2, y2), with d0 < 0 < d2: found when
// the parabola opens upwards and its vertex lies between d0 and d2; value is the parabola there.
struct Vertex {
    bool found = false;
    double offset = 0, value = 0;
};

Vertex ParabolaVertex(double d0, double y0, double d2, double y2)
{
    double s0 = y0 / d0, s2 = y2 / d2;
    double a = (s0 - s2) / (d0 - d2);
    if (!(a > 0))
        return {}; // flat or bent the wrong way: the sample is as good as any
    double b = s0 - a * d0;
    double offset = -b / (2 * a);
    if (!(offset > d0 && offset < d2))
        return {};
    return {true, offset, -b * b / (4 * a)};
}

// The log-frequency offsets of the neighbours of sample i from it; false when a strict local
// extremum at i cannot be refined (a run, an end, a frequency not above 0).
bool NeighbourOffsets(const ResponsePoints& points, const Extremum& e, double& d0, double& d2)
{
    int i = e.first;
    if (e.IsRun() || e.atStart || e.atEnd || !(points.frequency[i - 1] > 0))
        return false;
    double centre = std::log(points.frequency[i]);
    d0 = std::log(points.frequency[i - 1]) - centre;
    d2 = std::log(points.frequency[i + 1]) - centre;
    return true;
}

double PowerRatio(double decibels) { return std::pow(10.0, decibels / 10); }

// Beyond this many dB above the highest sample the sweep says too little to place a peak.
constexpr double PeakRefinementLimitDb = 20;
// How far below the samples beside it a notch's floor can be told (see RefineNotch).
constexpr double ResolvedFloorDb = 40;

// Near a resonance the power follows 1 / (1 + (2 Q detuning)^2), so its inverse is a parabola in
// log-frequency; in dB the peak is pointed, and a parabola there misses a resonance by up to 0.4%
// at 100 points per decade.
void RefinePeak(const ResponsePoints& points, const SettledUnits& units, Extremum& peak)
{
    double d0, d2;
    if (!NeighbourOffsets(points, peak, d0, d2))
        return;
    // Inverse power relative to the highest sample.
    auto inversePower = [&](int i) {
        return PowerRatio(std::min(peak.gainDb - GainDb(points, units, i), 200.0));
    };
    Vertex v =
        ParabolaVertex(d0, inversePower(peak.first - 1) - 1, d2, inversePower(peak.first + 1) - 1);
    double lowest = 1 + v.value;
    // Between 3 and 20 dB above the highest sample the resonance is narrower than a sample step:
    // its peak is still placed, but no sample lies above its half-power level, so its band is not
    // found.
    if (!v.found || !(lowest >= PowerRatio(-PeakRefinementLimitDb)))
        return;
    peak.frequency = std::exp(std::log(points.frequency[peak.first]) + v.offset);
    peak.gainDb -= 10 * std::log10(lowest);
    peak.refined = true;
}

// The power p of sample k relative to the passband (the reference level), as p / (1 - p);
// negative for a sample at or above the passband.
double NotchExcess(const ResponsePoints& points, const SettledUnits& units, double referenceDb,
                   int k)
{
    double p = PowerRatio(GainDb(points, units, k) - referenceDb);
    return p < 1 ? p / (1 - p) : -1;
}

// The edges of a notch's width lie where p / (1 - p) = 1. Above the notch's own floor c (see
// RefineNotch), its square root is 2 Q |sinh(detuning)| for a second-order notch: nearly straight
// in log-frequency where the gain in dB bends sharply, so the crossing found in dB is placed
// again along it (a narrow notch's width would otherwise be off by a few percent at 100 points
// per decade).
void PlaceNotchEdge(const ResponsePoints& points, const SettledUnits& units, double referenceDb,
                    double floor, Crossing& edge)
{
    if (!edge.found)
        return;
    double from = NotchExcess(points, units, referenceDb, edge.from) - floor;
    double to = NotchExcess(points, units, referenceDb, edge.to) - floor;
    if (from < 0 || to < 0) // a sample at or above the passband: the dB crossing stays
        return;
    double level = std::sqrt(1 - floor);
    edge.t = (std::sqrt(from) - level) / (std::sqrt(from) - std::sqrt(to));
    SetCrossingFrequency(points, edge);
}

// The edge of a band whose maximum is an end of the sweep (a low-pass or a high-pass): there the
// power relative to the maximum falls as p = 1 / (1 + u) with u = (f/fc)^2n for a response of
// order n, so log u is straight in log-frequency where the gain in dB bends; the crossing found
// in dB is placed again along log u (an RC corner at 10 points per decade was 0.5% low). A
// resonance's edges, where u = 4Q^2 sinh^2 of the detuning, keep the crossing found in dB.
void PlaceHalfPowerEdge(const ResponsePoints& points, const SettledUnits& units,
                        const Extremum& peak, Crossing& edge)
{
    if (!edge.found || std::abs(edge.to - edge.from) != 1 || !(peak.atStart || peak.atEnd))
        return;
    const double peakDb = peak.gainDb;
    auto logExcess = [&](int k) {
        return std::log(1 / PowerRatio(GainDb(points, units, k) - peakDb) - 1);
    };
    const double from = logExcess(edge.from), to = logExcess(edge.to);
    const double level = std::log(PowerRatio(HalfPowerDropDb) - 1);
    const double t = (from - level) / (from - to);
    if (!std::isfinite(t) || t < 0 || t > 1) // a sample at or above the peak's level
        return;
    edge.t = t;
    SetCrossingFrequency(points, edge);
}

// The vertex of y = beta (cosh 2d - 1) + gamma sinh 2d through (d0, y0), (0, 0) and (d2, y2):
// c + A sinh^2(d - offset), up to a constant, is of this form. Found when it has a minimum
// between d0 and d2; value is the curve there.
Vertex HyperbolicVertex(double d0, double y0, double d2, double y2)
{
    // cosh 2d - 1 written as 2 sinh^2 d keeps its digits for small d.
    double c0 = 2 * std::sinh(d0) * std::sinh(d0), s0 = std::sinh(2 * d0);
    double c2 = 2 * std::sinh(d2) * std::sinh(d2), s2 = std::sinh(2 * d2);
    double determinant = c0 * s2 - c2 * s0;
    double beta = (y0 * s2 - y2 * s0) / determinant;
    double gamma = (c0 * y2 - c2 * y0) / determinant;
    if (!(beta > std::abs(gamma)))
        return {}; // no minimum
    double offset = std::atanh(-gamma / beta) / 2;
    if (!(offset > d0 && offset < d2))
        return {};
    // beta - sqrt(beta^2 - gamma^2) without the cancellation.
    return {true, offset, -gamma * gamma / (beta + std::sqrt((beta - gamma) * (beta + gamma)))};
}

// Near the notch of a second-order section the power p relative to the passband follows
// p / (1 - p) = c + (2 Q sinh(detuning))^2, detuning the log-frequency from the notch: three
// samples give the notch's place and c, its depth, with the lower end of the sweep standing for
// the passband. A parabola in log-frequency would place the notch as well, but would miss a depth
// of 40 dB by 0.01 dB and one of 60 dB by 1 dB at 100 points per decade.
void RefineNotch(const ResponsePoints& points, const SettledUnits& units, double referenceDb,
                 Notch& notch)
{
    Extremum& at = notch.at;
    double d0, d2;
    int i = at.first;
    if (!NeighbourOffsets(points, at, d0, d2))
        return;
    double below = NotchExcess(points, units, referenceDb, i - 1);
    double centre = NotchExcess(points, units, referenceDb, i);
    double above = NotchExcess(points, units, referenceDb, i + 1);
    if (below < 0 || above < 0)
        return;
    Vertex v = HyperbolicVertex(d0, below - centre, d2, above - centre);
    if (!v.found)
        return;
    at.frequency = std::exp(std::log(points.frequency[i]) + v.offset);
    at.refined = true;
    // The six digits of a table leave each sample's power uncertain by about 1e-5 of itself, so
    // a floor more than 40 dB below the higher neighbour (or below nothing) is a null deeper than
    // the sweep can show: the depth stays that of the lowest sample, as a lower bound. Above it,
    // the depth is within 0.05 dB at 100 points per decade.
    double lowest = centre + v.value;
    if (!(lowest > 0 && lowest >= std::max(below, above) * PowerRatio(-ResolvedFloorDb)))
        return;
    at.gainDb = referenceDb + 10 * std::log10(lowest / (1 + lowest));
    notch.depthResolved = true;
}

void FindNotch(const ResponsePoints& points, const SettledUnits& units, ResponseMeasures& m)
{
    double referenceDb = std::min(m.firstGainDb, m.lastGainDb);
    Notch notch;
    notch.at = SampleRun(points, units, ExtremeSample(points, units, -1));
    if (!(notch.at.gainDb < referenceDb - HalfPowerDropDb))
        return;
    notch.found = true;
    RefineNotch(points, units, referenceDb, notch);
    notch.depthDb = referenceDb - notch.at.gainDb;
    double level = referenceDb - HalfPowerDropDb;
    notch.lower = GainCrossing(points, units, level, notch.at.first, -1);
    notch.upper = GainCrossing(points, units, level, notch.at.last, +1);
    double floor = 0; // a null, as far as the samples tell
    if (notch.depthResolved) {
        double p = PowerRatio(-notch.depthDb);
        floor = p / (1 - p);
    }
    PlaceNotchEdge(points, units, referenceDb, floor, notch.lower);
    PlaceNotchEdge(points, units, referenceDb, floor, notch.upper);
    if (notch.lower.found && notch.upper.found)
        notch.width = notch.upper.frequency - notch.lower.frequency;
    m.notch = notch;
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

    m.peak = SampleRun(points, units, ExtremeSample(points, units, +1));
    RefinePeak(points, units, m.peak);
    double halfPower = m.peak.gainDb - HalfPowerDropDb;
    m.lowerHalfPower = GainCrossing(points, units, halfPower, m.peak.first, -1);
    m.upperHalfPower = GainCrossing(points, units, halfPower, m.peak.last, +1);
    PlaceHalfPowerEdge(points, units, m.peak, m.lowerHalfPower);
    PlaceHalfPowerEdge(points, units, m.peak, m.upperHalfPower);
    m.hasBand = m.lowerHalfPower.found && m.upperHalfPower.found;
    if (m.hasBand) {
        m.bandwidth = m.upperHalfPower.frequency - m.lowerHalfPower.frequency;
        m.q = m.peak.frequency / m.bandwidth;
        m.pointsInBand = m.upperHalfPower.from - m.lowerHalfPower.from + 1;
    }
    FindNotch(points, units, m);

    m.unityGain = GainCrossing(points, units, 0, 0, +1);
    if (m.hasPhase)
        MeasurePhase(points, units, m);
    return m;
}

} // namespace talvor
