// The circuit in Talvor's terms before its names are shortened: one record per element of the
// netlist to be written, with the flattened deck names of the element and of its nodes.
#pragma once

#include <string>
#include <vector>

#include "spice/spice_text.h"

namespace talvor {

struct TalvorElement {
    char type = 0;                  // R C L K V I E G F H D Q M T
    std::string name;               // flattened deck name, as "R.X1.R2"
    std::vector<std::string> nodes; // flattened deck node names, in Talvor's field order
    std::vector<double> values;     // Talvor's values, in field order
    std::string kind;               // Q: NPN or PNP; M: NMOS or PMOS
    std::string control;            // F, H: the sensing V source; K: the first inductor
    std::string control2;           // K: the second inductor
    Origin line;
};

// Where a current of the deck went when its source did not survive the conversion.
struct MovedCurrent {
    std::string source;  // flattened deck name of the sensing V source
    std::string element; // flattened deck name of the F or H whose input branch carries it
    char type = 'F';     // of that element: an H's input current is its second, "jy"
};

// A node or element the converter added (names.h: InternalNode, AddedElement), and what it is.
struct AddedName {
    std::string name; // flattened, as "(Q1#b)" or "R(Q1#b)"
    std::string what; // "nó interno de Q1, atrás de RB"
};

// A series resistance of a device's model, to be put between the terminal and an internal node
// while Talvor's limits allow (series_resistances.h).
struct SeriesResistance {
    std::string device;    // flattened name
    size_t terminal = 0;   // index into the device's nodes
    char tag = 'b';        // of the internal node: InternalNode(device, tag)
    std::string parameter; // as the model names it: "RB"
    double ohms = 0;
    Origin line; // the model card's
};

struct ConvertedCircuit {
    std::vector<TalvorElement> elements;
    std::vector<std::string> notes; // how values were derived, for the netlist's comment block
    std::vector<MovedCurrent> movedCurrents;
    std::vector<AddedName> added;
    std::vector<SeriesResistance> seriesResistances; // in deck order
};

// The temperatures of the analysis and of the model parameters, in °C.
struct Temperatures {
    double circuit = 27;
    double nominal = 27;
};

} // namespace talvor
