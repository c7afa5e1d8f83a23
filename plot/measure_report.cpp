// The measurement block: units, gains, peak and band, notch, unity gain and margins.
#include "plot/measure_report.h"

#include <cmath>
#include <cstdio>

#include "common/message_log.h"
#include "plot/response_measures.h"

namespace talvor {

namespace {

const char* FrequencyUnitName(const SettledUnits& units)
{
    return units.frequency == FrequencyUnit::RadiansPerSecond ? "rad/s" : "Hz";
}

void LogUnits(MessageLog& log, const SettledUnits& units, bool hasPhase)
{
    char phase[64] = "";
    if (hasPhase)
        std::snprintf(phase, sizeof phase, ", fase em %s%s",
                      units.phase == PhaseUnit::Radians ? "radianos" : "graus",
                      units.phaseAssumed ? " (suposta)" : "");
    log.AppendLog("  Unidades: módulo %s%s%s, frequência em %s%s.",
                  units.magnitude == MagnitudeUnit::Decibel ? "em dB" : "linear",
                  units.magnitudeAssumed ? " (suposto)" : "", phase, FrequencyUnitName(units),
                  units.frequencyAssumed ? " (suposta)" : "");
}

bool LogProblem(MessageLog& log, const ResponseMeasures& m)
{
    int point = m.problemPoint + 1;
    switch (m.problem) {
    case MeasureProblem::None:
        return false;
    case MeasureProblem::NoPoints:
        log.AppendLog("  Sem pontos a medir.");
        break;
    case MeasureProblem::NotFinite:
        log.AppendLog("  Valor que não é um número finito no ponto %d: nada medido.", point);
        break;
    case MeasureProblem::NotIncreasing:
        log.AppendLog("  Frequências fora de ordem crescente no ponto %d: nada medido.", point);
        break;
    case MeasureProblem::NegativeMagnitude:
        log.AppendLog("  Módulo negativo no ponto %d, que não pode ser linear: nada medido.",
                      point);
        break;
    }
    return true;
}

// " (primeiro de 3 cruzamentos)" when the level is crossed more than once, else "".
const char* CrossingNote(const Crossing& c, char (&note)[64])
{
    note[0] = '\0';
    if (c.count > 1)
        std::snprintf(note, sizeof note, " (primeiro de %d cruzamentos)", c.count);
    return note;
}

void LogFrequency(MessageLog& log, const char* label, const Crossing& c, const char* unit)
{
    char note[64];
    if (c.found)
        log.AppendLog("  %s: %g %s%s", label, c.frequency, unit, CrossingNote(c, note));
    else
        log.AppendLog("  %s: %s", label, NotFoundText);
}

// Where the extreme gain lies: "em 2345.67 Hz", or "de 100 a 200 Hz" for a run of equal
// samples, followed by the end of the sweep that it holds.
const char* ExtremumPlace(const Extremum& e, const char* unit, char (&text)[128])
{
    const char* end = e.atStart && e.atEnd ? (e.IsRun() ? ", em toda a varredura" : "")
                      : e.atStart          ? ", no início da varredura"
                      : e.atEnd            ? ", no fim da varredura"
                                           : "";
    if (e.IsRun())
        std::snprintf(text, sizeof text, "de %g a %g %s%s", e.firstFrequency, e.lastFrequency, unit,
                      end);
    else
        std::snprintf(text, sizeof text, "em %g %s%s", e.frequency, unit, end);
    return text;
}

void LogNotch(MessageLog& log, const Notch& n, const char* unit)
{
    if (!n.found) {
        log.AppendLog("  Entalhe: %s", NotFoundText);
        return;
    }
    char place[128], width[128];
    if (n.lower.found && n.upper.found)
        std::snprintf(width, sizeof width, "%g %s (de %g a %g %s)", n.width, unit,
                      n.lower.frequency, n.upper.frequency, unit);
    else
        std::snprintf(width, sizeof width, "%s", NotFoundText);
    log.AppendLog("  Entalhe: %s, profundidade %s%g dB, largura a -3 dB: %s",
                  ExtremumPlace(n.at, unit, place), n.depthResolved ? "" : "de pelo menos ",
                  n.depthDb, width);
}

void LogGainsAndBand(MessageLog& log, const ResponseMeasures& m, const char* unit)
{
    char place[128];
    log.AppendLog("  Ganho no início (%g %s): %g (%g dB)", m.firstFrequency, unit,
                  DecibelsToLinear(m.firstGainDb), m.firstGainDb);
    log.AppendLog("  Ganho no fim (%g %s): %g (%g dB)", m.lastFrequency, unit,
                  DecibelsToLinear(m.lastGainDb), m.lastGainDb);
    log.AppendLog("  Ganho máximo: %g (%g dB) %s", DecibelsToLinear(m.peak.gainDb), m.peak.gainDb,
                  ExtremumPlace(m.peak, unit, place));
    LogFrequency(log, "Meia potência abaixo do máximo", m.lowerHalfPower, unit);
    LogFrequency(log, "Meia potência acima do máximo", m.upperHalfPower, unit);
    if (m.hasBand) {
        log.AppendLog("  Banda de meia potência: %g %s", m.bandwidth, unit);
        log.AppendLog("  Q: %g", m.q);
        if (m.pointsInBand < FewPointsInBand)
            log.AppendLog("  Aviso: só %d pontos da varredura na banda; com mais pontos a banda e "
                          "o Q ficam mais exatos.",
                          m.pointsInBand);
    } else {
        log.AppendLog("  Banda de meia potência: %s", NotFoundText);
        log.AppendLog("  Q: %s", NotFoundText);
    }
}

void LogMargins(MessageLog& log, const ResponseMeasures& m, const char* unit)
{
    log.AppendLog("  As margens supõem que a curva seja um ganho de malha.");
    LogFrequency(log, "Frequência de ganho unitário", m.unityGain, unit);
    const char* noPhase = "sem coluna de fase";
    if (!m.hasPhase)
        log.AppendLog("  Margem de fase: %s", noPhase);
    else if (!m.unityGain.found)
        log.AppendLog("  Margem de fase: %s", NotFoundText);
    else
        log.AppendLog("  Margem de fase: %g graus (fase %g graus)", 180 + m.phaseAtUnity,
                      m.phaseAtUnity);
    if (!m.hasPhase) {
        log.AppendLog("  Frequência de fase -180 graus: %s", noPhase);
        log.AppendLog("  Margem de ganho: %s", noPhase);
        return;
    }
    LogFrequency(log, "Frequência de fase -180 graus", m.phaseCrossover, unit);
    if (m.phaseCrossover.found)
        log.AppendLog("  Margem de ganho: %g dB (ganho %g)", -m.gainAtCrossoverDb,
                      DecibelsToLinear(m.gainAtCrossoverDb));
    else
        log.AppendLog("  Margem de ganho: %s", NotFoundText);
}

} // namespace

void LogMeasures(MessageLog& log, const ResponseMeasures& m, const SettledUnits& units)
{
    LogUnits(log, units, m.hasPhase);
    if (LogProblem(log, m))
        return;
    const char* unit = FrequencyUnitName(units);
    LogGainsAndBand(log, m, unit);
    LogNotch(log, m.notch, unit);
    LogMargins(log, m, unit);
}

} // namespace talvor
