// The diagnosis of a failed run. A singular system is rebuilt as the run stamped it and searched
// in three steps: equations and unknowns that cannot be paired whatever the values (maximum
// matching); dependencies that survive random element weights, so come from how the circuit is
// connected; and otherwise values that cancel. A run that does not converge is continued from its
// last iterate to see which devices keep changing region. Every finding is told in the circuit's
// own names.
#include "analysis/diagnosis.h"

#include <algorithm>
#include <bitset>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "analysis/analysis.h"
#include "analysis/analysis_settings.h"
#include "analysis/bipolar.h"
#include "analysis/device_regions.h"
#include "analysis/devices.h"
#include "analysis/diode.h"
#include "analysis/failed_system.h"
#include "analysis/mos.h"
#include "analysis/piecewise_linear.h"
#include "analysis/structural_rank.h"
#include "common/c_text.h"
#include "common/message_log.h"
#include "netlist/netlist_reader.h"

namespace {

// Pivots below this modulus are the solver's "Possível sistema singular".
constexpr double SolverSmallPivot = 1e-15;
// A pivot of an equilibrated, randomly weighted system below this is a dependency.
constexpr double WeightedZeroPivot = 1e-9;
// The iterations a failed operating point is continued to watch its devices, and the region
// changes among them that make a device one that keeps changing.
constexpr int ReplayedIterations = 50;
constexpr int RestlessChanges = 3;

// ---- The circuit's words ----

std::string NodeName(const Circuit& circuit, int node)
{
    return DisplayText(circuit.nodeTable[node]).c_str();
}

std::string ElementName(const Element& e) { return DisplayText(e.name).c_str(); }

std::string Number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// "a", "a e b", "a, b e c".
std::string JoinWords(const std::vector<std::string>& words)
{
    std::string text;
    for (size_t k = 0; k < words.size(); ++k) {
        if (k > 0)
            text += k + 1 == words.size() ? " e " : ", ";
        text += words[k];
    }
    return text;
}

std::string NodeList(const Circuit& circuit, const IndexSet& nodes, bool withGround = false)
{
    std::vector<std::string> names;
    for (int k = 1; k <= circuit.nodeCount; ++k)
        if (nodes[k])
            names.push_back(NodeName(circuit, k));
    if (withGround)
        names.push_back("0");
    return JoinWords(names);
}

// The nodes an element's terminals are on (K names inductors, not nodes).
int Terminals(const Element& e, int nodes[4])
{
    nodes[0] = e.a;
    nodes[1] = e.b;
    nodes[2] = e.c;
    nodes[3] = e.d;
    switch (e.Type()) {
    case 'G':
    case 'E':
    case 'F':
    case 'H':
    case 'O':
    case 'A':
    case 'Y':
    case 'M':
        return 4;
    case 'T':
    case 'Q':
        return 3;
    case 'K':
        return 0;
    default:
        return 2;
    }
}

bool Touches(const Element& e, const IndexSet& nodes)
{
    int terminals[4];
    const int count = Terminals(e, terminals);
    for (int t = 0; t < count; ++t)
        if (terminals[t] != 0 && nodes[terminals[t]])
            return true;
    return false;
}

bool ReachesOutside(const Element& e, const IndexSet& nodes)
{
    int terminals[4];
    const int count = Terminals(e, terminals);
    for (int t = 0; t < count; ++t)
        if (terminals[t] == 0 || !nodes[terminals[t]])
            return true;
    return false;
}

// An extra current and its element; `input` marks the input branch of F and H.
struct Branch {
    int element = 0;
    bool input = false;
};

Branch OwnerOf(const Circuit& circuit, int unknown)
{
    for (int k = 1; k <= circuit.elementCount; ++k) {
        const Element& e = circuit.element(k);
        switch (e.Type()) {
        case 'L':
        case 'E':
        case 'V':
        case 'O':
        case 'A':
            if (e.x == unknown)
                return {k, false};
            break;
        case 'F':
            if (e.x == unknown)
                return {k, true};
            break;
        case 'H':
            if (e.x == unknown || e.y == unknown)
                return {k, e.y == unknown};
            break;
        default:
            break;
        }
    }
    return {};
}

// Whether a branch's row (or column) is about the terminals of its input: an O's equation holds
// its two inputs equal, while its current leaves the output.
bool IsInputSide(const Element& e, Branch branch, bool row)
{
    return branch.input || (e.Type() == 'O' && row);
}

// The two nodes of a branch: those whose voltage its equation fixes, or its current joins.
void BranchNodes(const Element& e, Branch branch, bool row, int& p, int& q)
{
    const bool input = IsInputSide(e, branch, row);
    p = input ? e.c : e.a;
    q = input ? e.d : e.b;
}

// What the words of a finding depend on: the analysis, where its system was built, and the
// elements as stamped there.
struct Context {
    const Analysis& analysis;
    const SystemPoint& point;
    FailedSystem* system; // the stamped elements; null for a run that did not converge

    const Circuit& circuit() const { return analysis.circuit; }
    bool OpenAtDc() const { return !point.ac && analysis.op.g0 == 0; }
    bool AtZeroFrequency() const { return point.ac && point.omega == 0; }
};

std::string BranchWords(const Context& context, const Element& e, Branch branch, bool row)
{
    const std::string name = ElementName(e);
    if (e.Type() == 'O')
        return (row ? "entradas de " : "saída de ") + name;
    if (branch.input)
        return "entrada de " + name;
    if (e.Type() == 'L' && context.OpenAtDc())
        return name + " (curto em DC com Eg0 = 0)";
    if (e.Type() == 'L' && context.AtZeroFrequency())
        return name + " (curto em f=0)";
    return name;
}

std::string UnknownWords(const Circuit& circuit, int unknown)
{
    if (unknown <= circuit.nodeCount)
        return "tensão do nó " + NodeName(circuit, unknown);
    return "corrente " + NodeName(circuit, unknown);
}

// What an element that reaches outside a set of nodes does there, when it carries no current
// across: "C1 (capacitor, aberto em DC com Eg0 = 0)", "O1 (entrada)".
std::string CrossingWords(const Context& context, int k, const IndexSet& nodes)
{
    const Element& e = context.system->Stamped(k);
    const bool outputInside = (e.a != 0 && nodes[e.a]) || (e.b != 0 && nodes[e.b]);
    std::string role;
    switch (e.Type()) {
    case 'I':
        role = "fonte de corrente";
        break;
    case 'C':
        role = context.OpenAtDc()          ? "capacitor, aberto em DC com Eg0 = 0"
               : context.AtZeroFrequency() ? "capacitor, aberto em f=0"
                                           : "capacitor";
        break;
    case 'G':
        role = outputInside ? "fonte de corrente controlada" : "controle";
        break;
    case 'F':
        role = outputInside ? "fonte de corrente controlada" : "";
        break;
    case 'E':
    case 'H':
        role = outputInside ? "" : "controle";
        break;
    case 'O':
    case 'A':
        role = outputInside ? "" : "entrada";
        break;
    case 'M':
        if (nodes[e.b] && !nodes[e.a] && !nodes[e.c] && !nodes[e.d]) {
            role = "porta";
            break;
        }
        [[fallthrough]];
    case 'D':
    case 'N':
    case 'Q':
        if (!context.point.ac)
            role = RegionWords(e, DeviceRegion(e, context.analysis.op));
        break;
    default:
        break;
    }
    return role.empty() ? ElementName(e) : ElementName(e) + " (" + role + ")";
}

// An element's values as they weigh in the system: "R1 (R=1000)", "D1 (Gd=0.023)".
std::string ValueWords(const Context& context, int k)
{
    const Element& e = context.system->Stamped(k);
    const double* v = e.values;
    char text[160] = "";
    switch (e.Type()) {
    case 'R':
        std::snprintf(text, sizeof text, "R=%g", v[0]);
        break;
    case 'C':
        std::snprintf(text, sizeof text, "C=%g", v[0]);
        break;
    case 'L':
    case 'X':
        std::snprintf(text, sizeof text, "L=%g", v[0]);
        break;
    case 'G':
        std::snprintf(text, sizeof text, "G=%g", v[0]);
        break;
    case 'E':
        std::snprintf(text, sizeof text, "Av=%g", v[0]);
        break;
    case 'F':
        std::snprintf(text, sizeof text, "B=%g", v[0]);
        break;
    case 'H':
        std::snprintf(text, sizeof text, "Rm=%g", v[0]);
        break;
    case 'A':
        std::snprintf(text, sizeof text, "GB=%g P=%g Ro=%g", v[0], v[1], v[2]);
        break;
    case 'T':
        std::snprintf(text, sizeof text, "Z0=%g", v[0]);
        break;
    case 'Y':
        std::snprintf(text, sizeof text, "Rg=%g", v[0]);
        break;
    case 'K':
        std::snprintf(text, sizeof text, "k=%g", v[0]);
        break;
    case 'D':
        std::snprintf(text, sizeof text, "Gd=%g", v[DiodeSlot::Gd]);
        break;
    case 'N':
        std::snprintf(text, sizeof text, "Gn=%g", v[PwlSlot::Gn]);
        break;
    case 'Q':
        std::snprintf(text, sizeof text, "Gbe=%g Gbc=%g", v[BipolarSlot::Gbe], v[BipolarSlot::Gbc]);
        break;
    case 'M':
        std::snprintf(text, sizeof text, "Gm=%g Gds=%g", v[MosSlot::Gm], v[MosSlot::Gds]);
        break;
    default:
        break;
    }
    return text[0] == '\0' ? ElementName(e) : ElementName(e) + " (" + text + ")";
}

// ---- Causes of a singular system ----

enum class CauseKind {
    Floating,     // nodes without a path to ground
    Loop,         // branches that fix voltages around a loop
    Shorted,      // a branch with both terminals on one node
    NoFeedback,   // an ideal amplifier whose output does not reach its inputs
    Repeated,     // equations that repeat or contradict each other, in no simpler words
    Undetermined, // unknowns that nothing fixes, in no simpler words
};

struct Cause {
    CauseKind kind;
    IndexSet unknowns; // the nodes (Floating), or the rows or columns of the finding
    bool rows = false; // unknowns are equations rather than unknowns
    int element = 0;   // Shorted, NoFeedback
};

class CauseList {
public:
    explicit CauseList(const Circuit& circuit) : circuit_(circuit) {}

    void Add(const Cause& cause)
    {
        for (const Cause& old : causes_)
            if (old.kind == cause.kind && Same(old, cause))
                return;
        causes_.push_back(cause);
    }

    // Floating node sets that an element joins, or that share a node, are told as one.
    void MergeFloating()
    {
        for (bool merged = true; merged;) {
            merged = false;
            for (size_t i = 0; i < causes_.size() && !merged; ++i)
                for (size_t j = i + 1; j < causes_.size() && !merged; ++j)
                    if (causes_[i].kind == CauseKind::Floating &&
                        causes_[j].kind == CauseKind::Floating &&
                        Joined(causes_[i].unknowns, causes_[j].unknowns)) {
                        causes_[i].unknowns |= causes_[j].unknowns;
                        causes_.erase(causes_.begin() + static_cast<long>(j));
                        merged = true;
                    }
        }
    }

    // Whether a finding shares a node, equation or unknown with a cause already found.
    bool Explains(const IndexSet& unknowns) const
    {
        for (const Cause& cause : causes_) {
            if ((cause.unknowns & unknowns).any())
                return true;
            if (cause.element != 0)
                for (int k = 1; k <= circuit_.variableCount; ++k)
                    if (unknowns[k] && k > circuit_.nodeCount &&
                        OwnerOf(circuit_, k).element == cause.element)
                        return true;
        }
        return false;
    }

    const std::vector<Cause>& Items() const { return causes_; }

private:
    // Causes about the same elements (loops found from rows and from columns) or nodes.
    bool Same(const Cause& a, const Cause& b) const
    {
        switch (a.kind) {
        case CauseKind::Loop: // one loop, found from its equations and from its currents
            return (ElementsOf(a) & ElementsOf(b)).any();
        case CauseKind::Shorted:
        case CauseKind::NoFeedback:
            return a.element == b.element;
        default:
            return a.unknowns == b.unknowns && a.rows == b.rows;
        }
    }

    std::bitset<MaxElements + 1> ElementsOf(const Cause& cause) const
    {
        std::bitset<MaxElements + 1> elements;
        for (int k = circuit_.nodeCount + 1; k <= circuit_.variableCount; ++k)
            if (cause.unknowns[k])
                elements.set(OwnerOf(circuit_, k).element);
        return elements;
    }

    bool Joined(const IndexSet& a, const IndexSet& b) const
    {
        if ((a & b).any())
            return true;
        for (int k = 1; k <= circuit_.elementCount; ++k)
            if (Touches(circuit_.element(k), a) && Touches(circuit_.element(k), b))
                return true;
        return false;
    }

    const Circuit& circuit_;
    std::vector<Cause> causes_;
};

// The cause in circuit terms of a set of equations (rows) or unknowns (columns) that depend on
// each other. Sets in no simpler words are left for AddUnexplained.
void AddCauses(const Circuit& circuit, const IndexSet& set, bool rows, CauseList& causes)
{
    IndexSet nodes, branches;
    for (int k = 1; k <= circuit.variableCount; ++k)
        if (set[k])
            (k <= circuit.nodeCount ? nodes : branches).set(k);
    if (branches.none()) {
        causes.Add({CauseKind::Floating, nodes, false, 0});
        return;
    }
    bool shorted = false;
    for (int k = 1; k <= circuit.variableCount; ++k) {
        if (!branches[k])
            continue;
        const Branch branch = OwnerOf(circuit, k);
        const Element& e = circuit.element(branch.element);
        int p, q;
        BranchNodes(e, branch, rows, p, q);
        IndexSet one;
        one.set(k);
        if (nodes.none() && p == q) {
            causes.Add({CauseKind::Shorted, one, rows, branch.element});
            shorted = true;
        } else if (nodes.any() && e.Type() == 'O') {
            causes.Add({CauseKind::NoFeedback, one, rows, branch.element});
        }
    }
    if (nodes.none() && !shorted)
        causes.Add({CauseKind::Loop, branches, rows, 0});
}

void AddUnexplained(const IndexSet& set, bool rows, CauseList& causes)
{
    if (!causes.Explains(set))
        causes.Add({rows ? CauseKind::Repeated : CauseKind::Undetermined, set, rows, 0});
}

void LogFloating(const Context& context, const Cause& cause, MessageLog& log)
{
    const Circuit& circuit = context.circuit();
    const IndexSet& nodes = cause.unknowns;
    const bool one = nodes.count() == 1;
    const std::string path = context.point.ac
                                 ? "caminho para a terra em f=" + Number(context.point.f) + "."
                                 : std::string("caminho DC para a terra.");
    log.AppendLog("%s %s %s %s", one ? "O nó" : "Os nós", NodeList(circuit, nodes).c_str(),
                  one ? "não tem" : "não têm", path.c_str());
    std::vector<std::string> crossing;
    for (int k = 1; k <= circuit.elementCount; ++k) {
        const Element& e = circuit.element(k);
        if (Touches(e, nodes) && ReachesOutside(e, nodes))
            crossing.push_back(CrossingWords(context, k, nodes));
    }
    if (crossing.empty())
        log.AppendLog("Nenhum elemento %s liga ao resto do circuito.", one ? "o" : "os");
    else
        log.AppendLog("%s ao resto do circuito só por %s.", one ? "Liga-se" : "Ligam-se",
                      JoinWords(crossing).c_str());
}

void LogLoop(const Context& context, const Cause& cause, MessageLog& log)
{
    const Circuit& circuit = context.circuit();
    std::vector<std::string> members;
    IndexSet nodes;
    bool ground = false;
    for (int k = circuit.nodeCount + 1; k <= circuit.variableCount; ++k) {
        if (!cause.unknowns[k])
            continue;
        const Branch branch = OwnerOf(circuit, k);
        const Element& e = circuit.element(branch.element);
        members.push_back(BranchWords(context, e, branch, cause.rows));
        int p, q;
        BranchNodes(e, branch, cause.rows, p, q);
        for (int node : {p, q})
            node == 0 ? void(ground = true) : void(nodes.set(node));
    }
    log.AppendLog("Laço só de fontes de tensão e curtos, sem resistência, nos nós %s: %s.",
                  NodeList(circuit, nodes, ground).c_str(), JoinWords(members).c_str());
}

void LogShorted(const Context& context, const Cause& cause, MessageLog& log)
{
    const Circuit& circuit = context.circuit();
    const Element& e = circuit.element(cause.element);
    int unknown = 0;
    for (int k = 1; k <= circuit.variableCount && unknown == 0; ++k)
        if (cause.unknowns[k])
            unknown = k;
    const Branch branch = OwnerOf(circuit, unknown);
    int p, q;
    BranchNodes(e, branch, cause.rows, p, q);
    const std::string node = NodeName(circuit, p);
    const std::string name = ElementName(e);
    if (e.Type() == 'V' || e.Type() == 'L')
        log.AppendLog("%s tem os dois terminais no nó %s.", name.c_str(), node.c_str());
    else
        log.AppendLog("A %s de %s tem os dois terminais no nó %s.",
                      IsInputSide(e, branch, cause.rows) ? "entrada" : "saída", name.c_str(),
                      node.c_str());
}

void LogNoFeedback(const Context& context, const Cause& cause, MessageLog& log)
{
    const Circuit& circuit = context.circuit();
    const Element& e = circuit.element(cause.element);
    log.AppendLog(
        "%s não tem realimentação: a saída (nó %s) não influi nas entradas (nós %s e %s).",
        ElementName(e).c_str(), NodeName(circuit, e.a).c_str(), NodeName(circuit, e.c).c_str(),
        NodeName(circuit, e.d).c_str());
}

void LogUnexplained(const Context& context, const Cause& cause, MessageLog& log)
{
    const Circuit& circuit = context.circuit();
    std::vector<std::string> items;
    for (int k = 1; k <= circuit.variableCount; ++k) {
        if (!cause.unknowns[k])
            continue;
        if (!cause.rows) {
            items.push_back(UnknownWords(circuit, k));
        } else if (k <= circuit.nodeCount) {
            items.push_back("nó " + NodeName(circuit, k));
        } else {
            const Branch branch = OwnerOf(circuit, k);
            items.push_back(BranchWords(context, circuit.element(branch.element), branch, true));
        }
    }
    log.AppendLog(cause.rows ? "Estas equações se repetem ou se contradizem: %s."
                             : "Estas incógnitas ficam indeterminadas: %s.",
                  JoinWords(items).c_str());
}

void LogCause(const Context& context, const Cause& cause, MessageLog& log)
{
    switch (cause.kind) {
    case CauseKind::Floating:
        LogFloating(context, cause, log);
        break;
    case CauseKind::Loop:
        LogLoop(context, cause, log);
        break;
    case CauseKind::Shorted:
        LogShorted(context, cause, log);
        break;
    case CauseKind::NoFeedback:
        LogNoFeedback(context, cause, log);
        break;
    case CauseKind::Repeated:
    case CauseKind::Undetermined:
        LogUnexplained(context, cause, log);
        break;
    }
}

// Causes that hold whatever the values: rows and columns no matching can pair.
void FindStructuralCauses(const Circuit& circuit, const SparsityPattern& pattern,
                          const Matching& matching, CauseList& causes)
{
    DeficientBlock blocks[2 * MaxVariables];
    const int count = DeficientBlocks(pattern, matching, blocks, 2 * MaxVariables);
    // Unknowns first: a loop of amplifier outputs reads better as their currents than as the
    // equations of their inputs.
    for (bool overdetermined : {false, true})
        for (int b = 0; b < count; ++b) {
            const DeficientBlock& block = blocks[b];
            if (block.overdetermined == overdetermined)
                AddCauses(circuit, overdetermined ? block.rows : block.columns, overdetermined,
                          causes);
        }
    causes.MergeFloating();
    for (int b = 0; b < count; ++b) {
        const DeficientBlock& block = blocks[b];
        AddUnexplained(block.overdetermined ? block.rows : block.columns, block.overdetermined,
                       causes);
    }
}

// Causes that survive random element weights: the unknowns of each null vector of the weighted
// system. Returns false when the weighted system is regular.
bool FindConnectionCauses(const Circuit& circuit, FailedSystem& system, CauseList& causes)
{
    const int n = system.Size();
    auto weighted = std::make_unique<MnaSystem>();
    system.WeightedMatrix(*weighted);
    double scale[MaxVariables + 1];
    Equilibrate(*weighted, n, scale); // leaves the supports of the null vectors as they are
    auto nulls = std::make_unique<NullVectors>();
    FindNullVectors(*weighted, n, WeightedZeroPivot, *nulls);
    std::vector<IndexSet> supports;
    for (int v = 0; v < nulls->count; ++v) {
        const Complex* vector = nulls->vector[v];
        double largest = 0;
        for (int k = 1; k <= n; ++k)
            largest = std::fmax(largest, std::hypot(vector[k].re, vector[k].im));
        IndexSet support;
        for (int k = 1; k <= n; ++k)
            if (std::hypot(vector[k].re, vector[k].im) > 1e-6 * largest)
                support.set(k);
        supports.push_back(support);
        AddCauses(circuit, support, false, causes);
    }
    causes.MergeFloating();
    for (const IndexSet& support : supports)
        AddUnexplained(support, false, causes);
    return nulls->count > 0;
}

// A null vector u of the matrix's transpose (uᵀA = 0: the equations that depend on each other),
// the one left with the smallest pivot. False when none shows.
bool LeftNullVector(const MnaSystem& matrix, int n, Complex u[MaxVariables + 1])
{
    auto transposed = std::make_unique<MnaSystem>();
    transposed->Clear(n);
    for (int r = 1; r <= n; ++r)
        for (int c = 1; c <= n; ++c)
            transposed->At(c, r) = matrix.At(r, c);
    double scale[MaxVariables + 1];
    Equilibrate(*transposed, n, scale);
    auto nulls = std::make_unique<NullVectors>();
    FindNullVectors(*transposed, n, WeightedZeroPivot, *nulls);
    int best = -1;
    for (int v = 0; v < nulls->count; ++v)
        if (best < 0 || nulls->pivotModulus[v] < nulls->pivotModulus[best])
            best = v;
    if (best < 0)
        return false;
    for (int k = 1; k <= n; ++k)
        u[k] = Complex{nulls->vector[best][k].re * scale[k], nulls->vector[best][k].im * scale[k]};
    return true;
}

double Largest(const Complex* vector, int n)
{
    double largest = 0;
    for (int k = 1; k <= n; ++k)
        largest = std::fmax(largest, std::hypot(vector[k].re, vector[k].im));
    return largest;
}

// Whether a change of an element's value would make the system regular: to first order the
// zero eigenvalue moves by uᵀ·M·v, M being the element's share and v, u the right and left null
// vectors.
bool WeighsIn(const MnaSystem& share, int n, const Complex* v, const Complex* u)
{
    double shareSize = 0;
    Complex sum{};
    for (int r = 1; r <= n; ++r)
        for (int c = 1; c <= n; ++c) {
            const Complex m = share.At(r, c);
            shareSize = std::fmax(shareSize, std::hypot(m.re, m.im));
            const Complex mv{m.re * v[c].re - m.im * v[c].im, m.re * v[c].im + m.im * v[c].re};
            sum.re += u[r].re * mv.re - u[r].im * mv.im;
            sum.im += u[r].re * mv.im + u[r].im * mv.re;
        }
    const double scale = shareSize * Largest(v, n) * Largest(u, n);
    return scale > 0 && std::hypot(sum.re, sum.im) > 1e-9 * scale;
}

// A system singular only through its values: the solver's small pivot, and the elements whose
// values make it singular (or, when that cannot be told, those that stamp at the pivot).
void LogValueCoincidence(const Context& context, const NullVectors& real, MessageLog& log)
{
    const Circuit& circuit = context.circuit();
    const int n = circuit.variableCount;
    const int unknown = real.freeColumn[0];
    const double pivot = real.pivotModulus[0];
    const std::string at = context.point.ac ? " em f=" + Number(context.point.f) : "";
    const std::string what = pivot == 0 ? "Pivô nulo" : "Pivô quase nulo (" + Number(pivot) + ")";
    log.AppendLog("%s na %s%s: o sistema é singular com os valores dados.", what.c_str(),
                  UnknownWords(circuit, unknown).c_str(), at.c_str());

    Complex u[MaxVariables + 1];
    const bool haveLeft = LeftNullVector(context.system->Matrix(), n, u);
    std::vector<std::string> weighing, stamping;
    for (int k = 1; k <= circuit.elementCount; ++k) {
        const MnaSystem& share = context.system->Share(k);
        if (haveLeft && WeighsIn(share, n, real.vector[0], u))
            weighing.push_back(ValueWords(context, k));
        bool there = false;
        for (int j = 1; j <= n && !there; ++j) {
            const Complex inRow = share.At(unknown, j), inColumn = share.At(j, unknown);
            there = inRow.re != 0 || inRow.im != 0 || inColumn.re != 0 || inColumn.im != 0;
        }
        if (there)
            stamping.push_back(ValueWords(context, k));
    }
    if (!weighing.empty())
        log.AppendLog("A singularidade vem dos valores de %s.", JoinWords(weighing).c_str());
    else
        log.AppendLog("Estampam na linha e na coluna dessa incógnita: %s.",
                      JoinWords(stamping).c_str());
}

// Diagnoses the system at point; with explainValues, also a singularity that only the element
// values make. Returns the number of causes logged.
int DiagnoseSystem(Analysis& analysis, const SystemPoint& point, bool explainValues)
{
    const Circuit& circuit = analysis.circuit;
    auto system = std::make_unique<FailedSystem>(analysis, point);
    if (circuit.variableCount == 0 || !system->Build())
        return 0; // nothing to solve, or a stamp fault the run has named
    const Context context{analysis, point, system.get()};
    CauseList causes(circuit);
    const SparsityPattern pattern = system->Pattern();
    const Matching matching = MaximumMatching(pattern);
    if (matching.size < circuit.variableCount) {
        FindStructuralCauses(circuit, pattern, matching, causes);
    } else {
        // The solver's own small pivot: without one the system is regular.
        auto real = std::make_unique<NullVectors>();
        FindNullVectors(system->Matrix(), circuit.variableCount, SolverSmallPivot, *real);
        if (real->count == 0)
            return 0;
        if (!FindConnectionCauses(circuit, *system, causes)) {
            if (!explainValues)
                return 0;
            LogValueCoincidence(context, *real, analysis.log);
            return 1;
        }
    }
    // Nodes without a path first: they are what a reader of the netlist looks for first.
    std::vector<Cause> found = causes.Items();
    std::stable_sort(found.begin(), found.end(),
                     [](const Cause& a, const Cause& b) { return a.kind < b.kind; });
    for (const Cause& cause : found)
        LogCause(context, cause, analysis.log);
    return static_cast<int>(found.size());
}

// ---- A run that did not converge ----

std::string RegionList(const Element& e, unsigned seen)
{
    std::vector<std::string> words;
    for (int region = 0; region < 8; ++region)
        if (seen & (1u << region))
            words.push_back(e.Type() == 'N' ? std::to_string(region) : RegionWords(e, region));
    return (e.Type() == 'N' ? "os trechos " : "") + JoinWords(words);
}

void DiagnoseConvergence(Analysis& analysis, int unknown)
{
    const Circuit& circuit = analysis.circuit;
    MessageLog& log = analysis.log;
    if (unknown < 1 || unknown > circuit.variableCount)
        return;
    auto history = std::make_unique<RegionHistory>();
    ReplayIterations(analysis, ReplayedIterations, *history);

    // The nodes of the unknown: the node itself, or those of the element whose current it is.
    IndexSet nodes;
    std::string where = "esse nó";
    if (unknown <= circuit.nodeCount) {
        log.AppendLog("O maior erro está na tensão do nó %s.", NodeName(circuit, unknown).c_str());
        nodes.set(unknown);
    } else {
        log.AppendLog("O maior erro está na corrente %s.", NodeName(circuit, unknown).c_str());
        const Element& owner = circuit.element(OwnerOf(circuit, unknown).element);
        int terminals[4];
        const int count = Terminals(owner, terminals);
        for (int t = 0; t < count; ++t)
            if (terminals[t] != 0)
                nodes.set(terminals[t]);
        where = ElementName(owner);
    }
    std::vector<std::string> devices;
    for (int k = 1; k <= circuit.elementCount; ++k)
        if (IsDevice(circuit.element(k).Type()) && Touches(circuit.element(k), nodes))
            devices.push_back(DescribeDevice(history->atLast[k], analysis.op));
    if (devices.empty())
        log.AppendLog("Nenhum dispositivo não linear se liga a %s.", where.c_str());
    else
        log.AppendLog("Dispositivos ligados a %s na última iteração: %s.", where.c_str(),
                      JoinWords(devices).c_str());

    for (int k = 1; k <= circuit.elementCount; ++k) {
        const Element& e = circuit.element(k);
        if (IsDevice(e.Type()) && history->changes[k] >= RestlessChanges)
            log.AppendLog("%s alterna entre %s.", ElementName(e).c_str(),
                          RegionList(e, history->seen[k]).c_str());
    }
}

} // namespace

void DiagnoseFailedRun(Analysis& analysis)
{
    const RunFailure failure = analysis.failure;
    switch (failure.kind) {
    case RunFailure::Kind::None:
        break;
    case RunFailure::Kind::DcSolve:
        DiagnoseSystem(analysis, SystemPoint{}, true);
        break;
    case RunFailure::Kind::AcSolve:
        DiagnoseSystem(analysis, SystemPoint{true, failure.f, failure.omega}, true);
        break;
    case RunFailure::Kind::DcConvergence:
        DiagnoseConvergence(analysis, failure.unknown);
        break;
    }
}

int CheckNetlist(Analysis& analysis, const std::string& netlistPath)
{
    Circuit& circuit = analysis.circuit;
    circuit.RunFailed = false;
    analysis.log.AppendLog("%s", "");
    if (!ReadNetlist(circuit, analysis.log, netlistPath, analysis.Settings().CBignorar))
        return -1;
    // The iterate and settings of the operating point's first iteration.
    const AnalysisSettings& settings = analysis.Settings();
    OperatingPoint& op = analysis.op;
    op.initialConduction = settings.CBconduz;
    op.g0 = DecimalPrefix(settings.Eg0);
    op.vdmax = DecimalPrefix(settings.Evdmax);
    const double initialValue = DecimalPrefix(settings.Einicio);
    op.V[0] = 0;
    for (int k = 1; k <= analysis.circuit.variableCount; ++k)
        op.V[k] = initialValue;
    const int found = DiagnoseSystem(analysis, SystemPoint{}, false);
    if (found == 0)
        analysis.log.AppendLog("Nenhuma causa de sistema singular encontrada no sistema DC.");
    return found;
}
