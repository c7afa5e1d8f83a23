// The lines of a measurement block, byte for byte: units as stated or assumed, every quantity
// found or not, where a peak or a notch lies, the notes on crossings and narrow bands, and the
// responses that cannot be measured. Values carry six significant digits so that every "%g" shows them all.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/message_log.h"
#include "plot/measure_report.h"
#include "plot/response_measures.h"

using namespace talvor;

namespace {

using Lines = std::vector<std::string>;

Lines Block(const ResponseMeasures& m, const SettledUnits& units)
{
    RecordingSink sink;
    MessageLog log(sink);
    LogMeasures(log, m, units);
    return sink.lines;
}

Crossing Found(double frequency, int count)
{
    Crossing c;
    c.found = true;
    c.frequency = frequency;
    c.count = count;
    return c;
}

// A response where everything is found: a band three samples wide, crossings met more than once.
ResponseMeasures EverythingFound()
{
    ResponseMeasures m;
    m.hasPhase = true;
    m.firstFrequency = 1.23457;
    m.firstGainDb = -12.3457;
    m.lastFrequency = 123457;
    m.lastGainDb = -45.6789;
    m.peak.frequency = 2345.67;
    m.peak.gainDb = 23.4568;
    m.peak.first = m.peak.last = 7;
    m.lowerHalfPower = Found(1234.57, 3);
    m.upperHalfPower = Found(3456.78, 1);
    m.hasBand = true;
    m.bandwidth = 2222.21;
    m.q = 1.05555;
    m.pointsInBand = 3;
    m.notch.found = true;
    m.notch.at.frequency = 8765.43;
    m.notch.depthDb = 43.2109;
    m.notch.depthResolved = true;
    m.notch.lower = Found(7654.32, 1);
    m.notch.upper = Found(9876.54, 1);
    m.notch.width = 2222.22;
    m.unityGain = Found(54321.6, 2);
    m.phaseAtUnity = -123.4567;
    m.phaseCrossover = Found(98765.4, 1);
    m.gainAtCrossoverDb = -7.65431;
    return m;
}

TEST(MeasureReport, BlockWithEverythingFound)
{
    SettledUnits units; // linear, degrees, Hz, all stated
    const Lines expected = {
        "  Unidades: módulo linear, fase em graus, frequência em Hz.",
        "  Ganho no início (1.23457 Hz): 0.241388 (-12.3457 dB)",
        "  Ganho no fim (123457 Hz): 0.00520062 (-45.6789 dB)",
        "  Ganho máximo: 14.8881 (23.4568 dB) em 2345.67 Hz",
        "  Meia potência abaixo do máximo: 1234.57 Hz (primeiro de 3 cruzamentos)",
        "  Meia potência acima do máximo: 3456.78 Hz",
        "  Banda de meia potência: 2222.21 Hz",
        "  Q: 1.05555",
        "  Aviso: só 3 pontos da varredura na banda; com mais pontos a banda e o Q ficam mais "
        "exatos.",
        "  Entalhe: em 8765.43 Hz, profundidade 43.2109 dB, largura a -3 dB: 2222.22 Hz (de "
        "7654.32 a 9876.54 Hz)",
        "  As margens supõem que a curva seja um ganho de malha.",
        "  Frequência de ganho unitário: 54321.6 Hz (primeiro de 2 cruzamentos)",
        "  Margem de fase: 56.5433 graus (fase -123.457 graus)",
        "  Frequência de fase -180 graus: 98765.4 Hz",
        "  Margem de ganho: 7.65431 dB (ganho 0.414271)",
    };
    EXPECT_EQ(Block(EverythingFound(), units), expected);
}

TEST(MeasureReport, AssumedUnitsAndWhatIsNotFound)
{
    ResponseMeasures m = EverythingFound();
    m.lowerHalfPower = Crossing{};
    m.hasBand = false;
    m.notch = Notch{};
    m.unityGain = Crossing{};
    m.phaseCrossover = Crossing{};
    SettledUnits units;
    units.magnitude = MagnitudeUnit::Decibel;
    units.phase = PhaseUnit::Radians;
    units.frequency = FrequencyUnit::RadiansPerSecond;
    units.magnitudeAssumed = units.phaseAssumed = units.frequencyAssumed = true;
    const Lines expected = {
        "  Unidades: módulo em dB (suposto), fase em radianos (suposta), frequência em rad/s "
        "(suposta).",
        "  Ganho no início (1.23457 rad/s): 0.241388 (-12.3457 dB)",
        "  Ganho no fim (123457 rad/s): 0.00520062 (-45.6789 dB)",
        "  Ganho máximo: 14.8881 (23.4568 dB) em 2345.67 rad/s",
        "  Meia potência abaixo do máximo: não encontrado",
        "  Meia potência acima do máximo: 3456.78 rad/s",
        "  Banda de meia potência: não encontrado",
        "  Q: não encontrado",
        "  Entalhe: não encontrado",
        "  As margens supõem que a curva seja um ganho de malha.",
        "  Frequência de ganho unitário: não encontrado",
        "  Margem de fase: não encontrado",
        "  Frequência de fase -180 graus: não encontrado",
        "  Margem de ganho: não encontrado",
    };
    EXPECT_EQ(Block(m, units), expected);
}

TEST(MeasureReport, EnoughPointsInTheBandAndNoPhase)
{
    ResponseMeasures m = EverythingFound();
    m.hasPhase = false;
    m.pointsInBand = FewPointsInBand;
    m.lowerHalfPower.count = 1;
    SettledUnits units;
    units.magnitude = MagnitudeUnit::Decibel;
    units.magnitudeAssumed = true;
    const Lines expected = {
        "  Unidades: módulo em dB (suposto), frequência em Hz.",
        "  Ganho no início (1.23457 Hz): 0.241388 (-12.3457 dB)",
        "  Ganho no fim (123457 Hz): 0.00520062 (-45.6789 dB)",
        "  Ganho máximo: 14.8881 (23.4568 dB) em 2345.67 Hz",
        "  Meia potência abaixo do máximo: 1234.57 Hz",
        "  Meia potência acima do máximo: 3456.78 Hz",
        "  Banda de meia potência: 2222.21 Hz",
        "  Q: 1.05555",
        "  Entalhe: em 8765.43 Hz, profundidade 43.2109 dB, largura a -3 dB: 2222.22 Hz (de "
        "7654.32 a 9876.54 Hz)",
        "  As margens supõem que a curva seja um ganho de malha.",
        "  Frequência de ganho unitário: 54321.6 Hz (primeiro de 2 cruzamentos)",
        "  Margem de fase: sem coluna de fase",
        "  Frequência de fase -180 graus: sem coluna de fase",
        "  Margem de ganho: sem coluna de fase",
    };
    EXPECT_EQ(Block(m, units), expected);
}

// An extremum as a single sample or as a run of equal samples, inside the sweep or at its ends.
Extremum Place(int first, int last, bool atStart, bool atEnd)
{
    Extremum e;
    e.frequency = 345.678;
    e.first = first;
    e.last = last;
    e.firstFrequency = 123.456;
    e.lastFrequency = 987.654;
    e.atStart = atStart;
    e.atEnd = atEnd;
    return e;
}

TEST(MeasureReport, WhereThePeakAndTheNotchLie)
{
    struct Case {
        Extremum at;
        const char* place;
    };
    const Case cases[] = {
        {Place(4, 4, false, false), "em 345.678 Hz"},
        {Place(0, 0, true, false), "em 345.678 Hz, no início da varredura"},
        {Place(9, 9, false, true), "em 345.678 Hz, no fim da varredura"},
        {Place(0, 0, true, true), "em 345.678 Hz"}, // the only point
        {Place(3, 5, false, false), "de 123.456 a 987.654 Hz"},
        {Place(0, 5, true, false), "de 123.456 a 987.654 Hz, no início da varredura"},
        {Place(5, 9, false, true), "de 123.456 a 987.654 Hz, no fim da varredura"},
        {Place(0, 9, true, true), "de 123.456 a 987.654 Hz, em toda a varredura"},
    };
    for (const Case& c : cases) {
        ResponseMeasures m = EverythingFound();
        m.peak = c.at;
        m.peak.gainDb = 6.02060;
        m.notch.at = c.at;
        m.notch.depthResolved = c.at.first % 2 == 0; // either way, for every place
        const Lines block = Block(m, SettledUnits());
        const std::string depth = m.notch.depthResolved ? "43.2109" : "de pelo menos 43.2109";
        EXPECT_EQ(block[3], "  Ganho máximo: 2 (6.0206 dB) " + std::string(c.place));
        EXPECT_EQ(block[9], "  Entalhe: " + std::string(c.place) + ", profundidade " + depth +
                                " dB, largura a -3 dB: 2222.22 Hz (de 7654.32 a 9876.54 Hz)");
    }
    // A notch whose width the sweep does not close on one side.
    ResponseMeasures m = EverythingFound();
    m.notch.upper = Crossing{};
    EXPECT_EQ(Block(m, SettledUnits())[9],
              "  Entalhe: em 8765.43 Hz, profundidade 43.2109 dB, largura a -3 dB: não encontrado");
}

TEST(MeasureReport, ResponsesThatCannotBeMeasuredGiveTheUnitsAndOneLine)
{
    struct Case {
        MeasureProblem problem;
        const char* line;
    };
    const Case cases[] = {
        {MeasureProblem::NoPoints, "  Sem pontos a medir."},
        {MeasureProblem::NotFinite, "  Valor que não é um número finito no ponto 5: nada medido."},
        {MeasureProblem::NotIncreasing,
         "  Frequências fora de ordem crescente no ponto 5: nada medido."},
        {MeasureProblem::NegativeMagnitude,
         "  Módulo negativo no ponto 5, que não pode ser linear: nada medido."},
    };
    SettledUnits units;
    units.phase = PhaseUnit::Radians;
    units.phaseAssumed = true;
    for (const Case& c : cases) {
        ResponseMeasures m = EverythingFound();
        m.problem = c.problem;
        m.problemPoint = 4;
        const Lines expected = {
            "  Unidades: módulo linear, fase em radianos (suposta), frequência em Hz.", c.line};
        EXPECT_EQ(Block(m, units), expected);
    }
}

} // namespace
