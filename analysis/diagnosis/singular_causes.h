// Why an equation system is singular, in the circuit's words: equations and unknowns that no
// matching can pair (whatever the values), dependencies that survive random element weights (so
// come from how the circuit is connected), and otherwise the element values that cancel.
#pragma once

#include "analysis/diagnosis/failed_system.h"

namespace talvor {

class Analysis;

// Rebuilds the system at point as a run stamps it and logs each cause of its singularity; with
// explainValues, also a singularity that only the element values make. Logs nothing for a
// regular system or one whose stamps raise an arithmetic fault (the run has named the element).
// Returns the number of causes logged.
int DiagnoseSingularSystem(Analysis& analysis, const SystemPoint& point, bool explainValues);

// A null vector u of the matrix's transpose (uᵀA = 0: the equations that depend on each other),
// the one left with the smallest pivot. False when none shows.
bool LeftNullVector(const MnaSystem& matrix, int n, Complex (&u)[MaxVariables + 1]);

// Whether a change of an element's value would make the system regular: to first order the
// zero eigenvalue moves by uᵀ·M·v, M being the element's share and v, u the right and left null
// vectors.
bool WeighsIn(const MnaSystem& share, int n, const Complex* v, const Complex* u);

} // namespace talvor
