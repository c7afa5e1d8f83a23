// The options of the "Parâmetros" dialog, named by their controls. The dialog keeps one value
// current on every change; readers look at it at their moment of use.
#pragma once

#include <string>

#include "common/field_numbers.h"

namespace talvor {

struct AnalysisSettings {
    bool CBestampas = false;   // stamp trace after every element's stamp
    bool CBresultados = false; // unknowns after every solve
    bool CBignorar = false;    // sweep from the dialog even with a ".AC" line
    bool CBdiodos = false;     // MOS bulk diodes in the operating point
    bool CBconduz = false;     // first iteration with junctions and MOS conducting
    bool CBcdiodos = true;     // diode and bipolar junction capacitances
    bool CBHz = true;          // sweep values in Hz (else rad/s)
    bool CBdB = false;         // magnitudes in dB
    bool CBgraus = true;       // phases in degrees
    bool CBcmos = true;        // MOS Cgs and Cgd
    bool CBcgb = true;         // MOS Cgb
    std::string Evdmax = "0.7";
    std::string Eg0 = "1e-9";
    std::string Einicio = "0";
    std::string Efinicial = "1";
    std::string Effinal = "10000";
    std::string Epontos = "1000";
    int RGescala = 0; // 0 linear, 1 per decade, 2 per octave
};

// The text fields in the words their users know: the dialog's label and talvor-cli's option.
inline constexpr FieldWords EvdmaxWords{"Máxima tensão para função exponencial em diodos",
                                        "--vdmax"};
inline constexpr FieldWords Eg0Words{
    "Condutância colocada no lugar de capacitâncias no cálculo do P. O.", "--g0"};
inline constexpr FieldWords EinicioWords{"Aproximação inicial para as tensões e correntes",
                                         "--initial"};
inline constexpr FieldWords EfinicialWords{"Frequência inicial", "--sweep"};
inline constexpr FieldWords EffinalWords{"Frequência final", "--sweep"};
inline constexpr FieldWords EpontosWords{"Pontos", "--sweep"};
// Where a message needs g0 = 0 ("capacitor, aberto em DC com ...").
inline constexpr const char* G0ZeroWords = "com a condutância do P. O. (Eg0, --g0) igual a 0";

} // namespace talvor
