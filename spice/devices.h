// Diodes, bipolar and MOS transistors: the parameters of ngspice's diode, Gummel-Poon and
// level-1 MOS models mapped onto the values of Talvor's D, Q and M, with a warning for every
// parameter that Talvor's models have no place for.
#pragma once

#include "spice/converted_circuit.h"

namespace talvor {

class ElementFields;
class Warnings;

// Maps one D, Q or M line (letter upper case) with its .model card into the circuit.
void MapDevice(char letter, ElementFields& fields, const Temperatures& temperatures,
               Warnings& warnings, ConvertedCircuit& circuit);

// kT/q at a temperature in °C, with the constants ngspice uses.
double ThermalVoltage(double celsius);

} // namespace talvor
