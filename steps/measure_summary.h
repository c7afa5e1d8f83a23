// The measurements of every run of a stepped or Monte Carlo analysis in one table, so that a
// corner frequency can be plotted against the stepped value.
#pragma once

#include <string>
#include <vector>

#include "steps/step_plan.h"
#include "steps/step_runner.h"

namespace talvor {

class MessageLog;

// The table's columns: "passo" (or "execucao"), one per varied value ("R1", "Q1.VA"), then for
// every measured unknown the numbers of its block: ganho_inicio_dB, ganho_fim_dB, ganho_max_dB,
// freq_max, meia_pot_abaixo, meia_pot_acima, banda, Q, entalhe, prof_entalhe_dB, ganho_unitario,
// margem_fase, fase_180 and margem_ganho_dB (prefixed "NAME." when more than one unknown is
// measured). Gains are in dB, margins in degrees and dB, frequencies in the sweep's unit. A
// quantity the sweep does not reach ("não encontrado"), and every quantity of a failed run, is
// "-": a field that the plotter passes over, where an empty one would shift the columns.
std::vector<std::string> MeasureSummaryLines(const StepPlan& plan, const std::vector<StepRun>& runs,
                                             const std::vector<std::string>& measureNames);

// Writes the summary's lines into the file at path and into the log after a title line. False,
// after a log line, when the file cannot be written.
bool WriteMeasureSummary(const StepPlan& plan, const std::vector<StepRun>& runs,
                         const std::vector<std::string>& measureNames, const std::string& path,
                         MessageLog& log);

} // namespace talvor
