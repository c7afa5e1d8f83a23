// The circuit's own words for the diagnosis: the names of nodes, elements and unknowns, lists in
// Portuguese, the terminals of an element, the branch an extra current belongs to, and what an
// element is or weighs at the point where a system was built.
#pragma once

#include <string>
#include <vector>

#include "analysis/diagnosis/failed_system.h"
#include "analysis/diagnosis/structural_rank.h"
#include "analysis/operating_point.h"
#include "netlist/circuit.h"

namespace talvor {

std::string NodeName(const Circuit& circuit, int node);
std::string ElementName(const Element& e);
std::string Number(double value); // "%g"

// "a", "a e b", "a, b e c".
std::string JoinWords(const std::vector<std::string>& words);
// The names of the nodes in the set, ground last when asked.
std::string NodeList(const Circuit& circuit, const IndexSet& nodes, bool withGround = false);
// "tensão do nó out", "corrente jV1".
std::string UnknownWords(const Circuit& circuit, int unknown);
// The unknowns of a set as one phrase: "a tensão do nó 3", "as tensões dos nós 3 e 4 e a
// corrente jO1".
std::string UnknownsWords(const Circuit& circuit, const IndexSet& unknowns);

// The nodes an element's terminals are on; their count (0 for K, whose fields name inductors).
int Terminals(const Element& e, int nodes[4]);
// The nodes other than ground that the terminals are on.
IndexSet TerminalNodes(const Element& e);
// Whether some terminal is on a node of the set; whether some is on ground or a node outside it.
bool Touches(const Element& e, const IndexSet& nodes);
bool ReachesOutside(const Element& e, const IndexSet& nodes);

// An extra current and its element; `input` marks the input branch of F and H.
struct Branch {
    int element = 0;
    bool input = false;
};
Branch OwnerOf(const Circuit& circuit, int unknown);

// Whether a branch's row (row true) or column is about its input terminals: an O's equation
// holds its two inputs equal, while its current leaves the output.
bool IsInputSide(const Element& e, Branch branch, bool row);
// The two nodes of a branch: those whose voltage its equation fixes, or its current joins.
void BranchNodes(const Element& e, Branch branch, bool row, int& p, int& q);

// Capacitors are open and inductors shorts at DC with Eg0 = 0, and at f = 0 of a sweep.
inline bool OpenAtDc(const SystemPoint& point, double g0) { return !point.ac && g0 == 0; }
inline bool AtZeroFrequency(const SystemPoint& point) { return point.ac && point.omega == 0; }

// A branch in a loop: "V1", "saída de O1", "entradas de O1", "L1 (curto em f=0)".
std::string BranchWords(const Element& e, Branch branch, bool row, const SystemPoint& point,
                        double g0);
// What an element that reaches outside a set of nodes does there, when it carries no current
// across: "C1 (capacitor, aberto em f=0)", "O1 (entrada)", "D1 (reverso)". e is the element as
// stamped at the point.
std::string CrossingWords(const Element& e, const IndexSet& nodes, const SystemPoint& point,
                          const OperatingPoint& op);
// An element's values as they weigh in the system, from the element as stamped: "R1 (R=1000)",
// "D1 (Gd=0.023)".
std::string ValueWords(const Element& e);
// The value behind an arithmetic fault in an element's stamp at the point: "R1 tem resistência 0:
// a condutância 1/R fica infinita.", or the element's values when no rule tells.
std::string StampFaultWords(const Circuit& circuit, const Element& e, const SystemPoint& point,
                            double g0);

} // namespace talvor
