// The lines of a measurement block, byte for byte: units as stated or assumed, every quantity
// found or not, the notes on crossings and narrow bands, and the responses that cannot be
// measured. Values carry six significant digits so that every "%g" shows them all.
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
    m.peakFrequency = 2345.67;
    m.peakGainDb = 23.4568;
    m.lowerHalfPower = Found(1234.57, 3);
    m.upperHalfPower = Found(3456.78, 1);
    m.hasBand = true;
    m.bandwidth = 2222.21;
    m.q = 1.05555;
    m.pointsInBand = 3;
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
        "  Frequência de ganho unitário: 54321.6 Hz (primeiro de 2 cruzamentos)",
        "  Margem de fase: sem coluna de fase",
        "  Frequência de fase -180 graus: sem coluna de fase",
        "  Margem de ganho: sem coluna de fase",
    };
    EXPECT_EQ(Block(m, units), expected);
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
