// One element's stamp in either form, whatever its type: a nonlinear device through its model,
// any other element through the linear stamps. The operating point, the small-signal system and
// the diagnosis of a failed run all stamp through these two.
#pragma once

#include "analysis/analysis_settings.h"
#include "analysis/mna_system.h"
#include "analysis/operating_point.h"
#include "netlist/circuit.h"

namespace talvor {

// The element's DC form at op's iterate; a device stores its companion values in element.
void StampElementDc(const OperatingPoint& op, const AnalysisSettings& settings, Element& element,
                    MnaSystem& mna);

// The element's small-signal form at angular frequency omega, from the values the operating
// point stored; g0 is the conductance an X inductor takes at omega = 0.
void StampElementAc(const Element& element, double omega, const AnalysisSettings& settings,
                    double g0, MnaSystem& mna);

} // namespace talvor
