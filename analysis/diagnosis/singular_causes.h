// Why an equation system is singular, in the circuit's words: equations and unknowns that no
// matching can pair (whatever the values), dependencies that survive random element weights (so
// come from how the circuit is connected), and otherwise the element values that cancel.
#pragma once

#include <vector>

#include "analysis/diagnosis/failed_system.h"

namespace talvor {

class Analysis;

// Why a system is looked into: the solve of a failed run, the check of a netlist without
// solving, or a successful run whose solve met a small pivot.
enum class SingularPurpose { FailedRun, Check, SucceededRun };

// Rebuilds the system at point as a run stamps it and logs each cause of its singularity. A
// failed run's diagnosis also tells a singularity that only the element values make; that of a
// successful run opens with a warning that names the unknowns the circuit leaves undetermined.
// A stamp that raises an arithmetic fault is told by the value that raised it. Logs nothing for
// a regular system. Returns the number of causes logged.
int DiagnoseSingularSystem(Analysis& analysis, const SystemPoint& point, SingularPurpose purpose);

// A null vector u of the matrix's transpose (uᵀA = 0: the equations that depend on each other),
// the one left with the smallest pivot. False when none shows.
bool LeftNullVector(const MnaSystem& matrix, int n, Complex (&u)[MaxVariables + 1]);

// An element's weight in a singularity: to first order a change of its value by a factor
// 1 + e moves the zero eigenvalue by e·uᵀ·M·v, M being the element's share and v, u the right
// and left null vectors. The weights of all the elements add up to about zero.
Complex Weight(const MnaSystem& share, int n, const Complex* v, const Complex* u);

// Whether a change of the element's value would make the system regular: its weight is not
// negligible against its share.
bool WeighsIn(const MnaSystem& share, int n, const Complex* v, const Complex* u);

// The element (an index into weights) whose weight alone stands against all the others, which
// cancel it: the only one on its side of zero along the largest weight, with at least two on the
// other side. -1 when the weights split otherwise (a pair that cancels names no culprit).
int LoneWeight(const std::vector<Complex>& weights);

} // namespace talvor
