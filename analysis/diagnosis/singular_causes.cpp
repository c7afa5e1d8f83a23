// The causes of a singular system: found in the pattern, the weighted system or the values, then
// told as nodes without a path to ground, loops, shorted branches, amplifiers without feedback
// or values that cancel.
#include "analysis/diagnosis/singular_causes.h"

#include <algorithm>
#include <bitset>
#include <cmath>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "analysis/analysis.h"
#include "analysis/diagnosis/circuit_words.h"
#include "analysis/diagnosis/structural_rank.h"
#include "common/message_log.h"

namespace talvor {

namespace {

// A pivot of an equilibrated, randomly weighted system below this is a dependency.
constexpr double WeightedZeroPivot = 1e-9;

// What the words of a finding depend on: the analysis, where its system was built, and the
// elements as stamped there.
struct Context {
    const Analysis& analysis;
    const SystemPoint& point;
    FailedSystem& system;

    const Circuit& circuit() const { return analysis.circuit; }
};

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
        default: // whether a set is of equations or of unknowns follows from its kind
            return a.unknowns == b.unknowns;
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
            crossing.push_back(CrossingWords(context.system.Stamped(k), nodes, context.point,
                                             context.analysis.op));
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
        members.push_back(
            BranchWords(e, branch, cause.rows, context.point, context.analysis.op.g0));
        int p, q;
        BranchNodes(e, branch, cause.rows, p, q);
        for (int node : {p, q}) {
            if (node == 0)
                ground = true;
            else
                nodes.set(node);
        }
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
            items.push_back(BranchWords(circuit.element(branch.element), branch, true,
                                        context.point, context.analysis.op.g0));
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

double Largest(const Complex* vector, int n)
{
    double largest = 0;
    for (int k = 1; k <= n; ++k)
        largest = std::fmax(largest, Modulus(vector[k]));
    return largest;
}

// Causes that hold whatever the values: rows and columns no matching can pair.
void FindStructuralCauses(const Circuit& circuit, const SparsityPattern& pattern,
                          const Matching& matching, CauseList& causes)
{
    DeficientBlock blocks[2 * MaxVariables];
    const int count = DeficientBlocks(pattern, matching, blocks, std::size(blocks));
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
        const double largest = Largest(vector, n);
        IndexSet support;
        for (int k = 1; k <= n; ++k)
            if (Modulus(vector[k]) > 1e-6 * largest)
                support.set(k);
        supports.push_back(support);
        AddCauses(circuit, support, false, causes);
    }
    causes.MergeFloating();
    for (const IndexSet& support : supports)
        AddUnexplained(support, false, causes);
    return nulls->count > 0;
}

} // namespace

bool LeftNullVector(const MnaSystem& matrix, int n, Complex (&u)[MaxVariables + 1])
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

bool WeighsIn(const MnaSystem& share, int n, const Complex* v, const Complex* u)
{
    double shareSize = 0;
    Complex sum{};
    for (int r = 1; r <= n; ++r)
        for (int c = 1; c <= n; ++c) {
            const Complex m = share.At(r, c);
            shareSize = std::fmax(shareSize, Modulus(m));
            const Complex mv{m.re * v[c].re - m.im * v[c].im, m.re * v[c].im + m.im * v[c].re};
            sum.re += u[r].re * mv.re - u[r].im * mv.im;
            sum.im += u[r].re * mv.im + u[r].im * mv.re;
        }
    const double scale = shareSize * Largest(v, n) * Largest(u, n);
    return scale > 0 && Modulus(sum) > 1e-9 * scale;
}

namespace {

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
    log.AppendLog("%s na %s%s: o sistema é %ssingular com os valores dados.", what.c_str(),
                  UnknownWords(circuit, unknown).c_str(), at.c_str(), pivot == 0 ? "" : "quase ");

    Complex u[MaxVariables + 1] = {}; // slot 0, ground, stays 0
    const bool haveLeft = LeftNullVector(context.system.Matrix(), n, u);
    std::vector<std::string> weighing, stamping;
    for (int k = 1; k <= circuit.elementCount; ++k) {
        const MnaSystem& share = context.system.Share(k);
        if (haveLeft && WeighsIn(share, n, real.vector[0], u))
            weighing.push_back(ValueWords(context.system.Stamped(k)));
        bool there = false;
        for (int j = 1; j <= n && !there; ++j) {
            const Complex inRow = share.At(unknown, j), inColumn = share.At(j, unknown);
            there = inRow.re != 0 || inRow.im != 0 || inColumn.re != 0 || inColumn.im != 0;
        }
        if (there)
            stamping.push_back(ValueWords(context.system.Stamped(k)));
    }
    if (!weighing.empty())
        log.AppendLog("A singularidade vem dos valores de %s.", JoinWords(weighing).c_str());
    else
        log.AppendLog("Estampam na linha e na coluna dessa incógnita: %s.",
                      JoinWords(stamping).c_str());
}

} // namespace

int DiagnoseSingularSystem(Analysis& analysis, const SystemPoint& point, bool explainValues)
{
    const Circuit& circuit = analysis.circuit;
    auto system = std::make_unique<FailedSystem>(analysis, point);
    if (circuit.variableCount == 0 || !system->Build())
        return 0; // nothing to solve, or a stamp fault the run has named
    const Context context{analysis, point, *system};
    CauseList causes(circuit);
    const SparsityPattern pattern = system->Pattern();
    const Matching matching = MaximumMatching(pattern);
    if (matching.size < circuit.variableCount) {
        FindStructuralCauses(circuit, pattern, matching, causes);
    } else {
        // The solver's own small pivot: without one the system is regular.
        auto real = std::make_unique<NullVectors>();
        FindNullVectors(system->Matrix(), circuit.variableCount, SmallPivot, *real);
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

} // namespace talvor
