// Arithmetic faults (division by zero, overflow, invalid operation) detected through the
// floating-point status flags, so that a bad value ends a run with a log line instead of
// carrying infinities into the results.
#pragma once

#include <cfenv>

namespace talvor {

inline constexpr int FpFaultFlags = FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID;

inline void ClearFpFaults() { std::feclearexcept(FpFaultFlags); }

inline bool FpFaultRaised() { return std::fetestexcept(FpFaultFlags) != 0; }

} // namespace talvor
