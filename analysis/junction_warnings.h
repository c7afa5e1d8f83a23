// After a successful run: junctions that the operating point left far above Vdmax, where the
// model's exponential has become a straight line and the current is no junction's.
#pragma once

namespace talvor {

class Analysis;

// How far above Vdmax a junction must be, in its own thermal voltages, to be warned about: there
// the exponential would carry e^10 / 11, about 2000 times the current of the straight line.
inline constexpr double FarAboveVdmaxInVT = 10;

// One line per such junction (diodes, both junctions of bipolar transistors), naming the device,
// its junction voltage and current, and suggesting a larger Vdmax. Nothing for any other.
void WarnJunctionsFarAboveVdmax(Analysis& analysis);

} // namespace talvor
