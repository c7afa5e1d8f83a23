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
#include "analysis/diagnosis/amplifier_feedback.h"
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
    OpenPort,     // a gyrator's port that nothing else touches: it shorts the other port
    ShortedPort,  // a gyrator's port on one node: it leaves the other port open
};

struct Cause {
    CauseKind kind;
    IndexSet unknowns; // the nodes (Floating), or the rows or columns of the finding
    bool rows = false; // unknowns are equations rather than unknowns
    int element = 0;   // Shorted, NoFeedback, OpenPort, ShortedPort
    int port = 0;      // OpenPort, ShortedPort: 1 (a, b) or 2 (c, d)
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

    // The unknowns that the findings leave free: those of the unknowns nothing fixes and of the
    // null vectors.
    void NoteUndetermined(const IndexSet& unknowns) { undetermined_ |= unknowns; }
    const IndexSet& Undetermined() const { return undetermined_; }

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
        case CauseKind::OpenPort:
        case CauseKind::ShortedPort:
            return a.element == b.element && a.port == b.port;
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
    IndexSet undetermined_;
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

// The two nodes of a gyrator's port.
void PortNodes(const Element& y, int port, int& p, int& q)
{
    p = port == 1 ? y.a : y.c;
    q = port == 1 ? y.b : y.d;
}

// Whether nothing but the gyrator touches a port's nodes: every other element there stamps
// nothing at this point and drives no current into them.
bool PortOpen(const Circuit& circuit, FailedSystem& system, int gyrator, int port)
{
    int p, q;
    PortNodes(circuit.element(gyrator), port, p, q);
    IndexSet nodes;
    nodes.set(p);
    nodes.set(q);
    nodes.reset(0);
    if (nodes.none())
        return false;
    for (int k = 1; k <= circuit.elementCount; ++k) {
        const Element& e = circuit.element(k);
        if (k == gyrator || !Touches(e, nodes))
            continue;
        if (e.Type() == 'I' || system.StampsAnything(k))
            return false;
    }
    return true;
}

// The open and shorted ports of the gyrators on the nodes of a dependency: a gyrator turns an
// open port into a short across the other, and a short into an open one.
void AddPortCauses(const Circuit& circuit, FailedSystem& system, const IndexSet& set,
                   CauseList& causes)
{
    IndexSet nodes;
    for (int k = 1; k <= circuit.nodeCount; ++k)
        nodes[k] = set[k];
    for (int k = circuit.nodeCount + 1; k <= circuit.variableCount; ++k)
        if (set[k])
            nodes |= TerminalNodes(circuit.element(OwnerOf(circuit, k).element));
    for (int k = 1; k <= circuit.elementCount; ++k) {
        const Element& y = circuit.element(k);
        if (y.Type() != 'Y' || !Touches(y, nodes))
            continue;
        for (int port : {1, 2}) {
            int p, q;
            PortNodes(y, port, p, q);
            if (p == q)
                causes.Add({CauseKind::ShortedPort, IndexSet{}, false, k, port});
            else if (PortOpen(circuit, system, k, port))
                causes.Add({CauseKind::OpenPort, IndexSet{}, false, k, port});
        }
    }
}

void LogPort(const Context& context, const Cause& cause, MessageLog& log)
{
    const Circuit& circuit = context.circuit();
    const Element& y = circuit.element(cause.element);
    int p, q, otherP, otherQ;
    PortNodes(y, cause.port, p, q);
    PortNodes(y, 3 - cause.port, otherP, otherQ);
    const std::string name = ElementName(y);
    const std::string other = NodeName(circuit, otherP) + " e " + NodeName(circuit, otherQ);
    if (cause.kind == CauseKind::OpenPort)
        log.AppendLog("A porta %d de %s (nós %s e %s) está aberta: um girador com uma porta "
                      "aberta põe a outra (nós %s) em curto.",
                      cause.port, name.c_str(), NodeName(circuit, p).c_str(),
                      NodeName(circuit, q).c_str(), other.c_str());
    else
        log.AppendLog("A porta %d de %s tem os dois terminais no nó %s: um girador com uma porta "
                      "em curto deixa a outra (nós %s) aberta.",
                      cause.port, name.c_str(), NodeName(circuit, p).c_str(), other.c_str());
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

// An amplifier with both inputs on one node: the line of its shorted input tells it all.
bool InputShorted(const Element& e) { return e.c == e.d; }

// What an amplifier in a dependency does, in true words: a follower, an amplifier whose only
// way back from its output crosses capacitors open at this point, or one without any; false
// (nothing logged) when a conducting path leads back or its input is shorted, which another line
// tells.
bool LogNoFeedback(const Context& context, const Cause& cause, MessageLog& log)
{
    const Circuit& circuit = context.circuit();
    const Element& e = circuit.element(cause.element);
    if (InputShorted(e))
        return false;
    const std::string name = ElementName(e), out = NodeName(circuit, e.a);
    const AmplifierFeedback feedback = FindFeedback(circuit, context.system, cause.element);
    switch (feedback.kind) {
    case AmplifierFeedback::Kind::Follower: {
        const int other = e.a == e.c ? e.d : e.c;
        log.AppendLog("%s é um seguidor: a saída (nó %s) é uma das entradas e copia a tensão da "
                      "outra (nó %s).",
                      name.c_str(), out.c_str(), NodeName(circuit, other).c_str());
        return true;
    }
    case AmplifierFeedback::Kind::Conducting:
        return false;
    case AmplifierFeedback::Kind::OnlyThroughOpen: {
        std::vector<std::string> open;
        for (int k : feedback.open)
            open.push_back(CrossingWords(context.system.Stamped(k), IndexSet{}, context.point,
                                         context.analysis.op));
        log.AppendLog("%s não tem realimentação %s: da saída (nó %s) às entradas (nós %s e %s) só "
                      "se chega por %s.",
                      name.c_str(), context.point.ac ? "em f=0" : "em DC", out.c_str(),
                      NodeName(circuit, e.c).c_str(), NodeName(circuit, e.d).c_str(),
                      JoinWords(open).c_str());
        return true;
    }
    case AmplifierFeedback::Kind::None:
        break;
    }
    log.AppendLog(
        "%s não tem realimentação: a saída (nó %s) não influi nas entradas (nós %s e %s).",
        name.c_str(), out.c_str(), NodeName(circuit, e.c).c_str(), NodeName(circuit, e.d).c_str());
    return true;
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

// Logs a cause; false when its words would only repeat what another cause says.
bool LogCause(const Context& context, const Cause& cause, MessageLog& log)
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
        if (LogNoFeedback(context, cause, log))
            break;
        // An amplifier with a way back from its output: its equation or current is part of
        // the dependency, in no simpler words (nothing more when its input is shorted).
        if (InputShorted(context.circuit().element(cause.element)))
            return false;
        LogUnexplained(context, cause, log);
        break;
    case CauseKind::Repeated:
    case CauseKind::Undetermined:
        LogUnexplained(context, cause, log);
        break;
    case CauseKind::OpenPort:
    case CauseKind::ShortedPort:
        LogPort(context, cause, log);
        break;
    }
    return true;
}

double Largest(const Complex* vector, int n)
{
    double largest = 0;
    for (int k = 1; k <= n; ++k)
        largest = std::fmax(largest, Modulus(vector[k]));
    return largest;
}

// Causes that hold whatever the values: rows and columns no matching can pair.
void FindStructuralCauses(const Circuit& circuit, FailedSystem& system,
                          const SparsityPattern& pattern, const Matching& matching,
                          CauseList& causes)
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
    for (int b = 0; b < count; ++b) {
        AddPortCauses(circuit, system,
                      blocks[b].overdetermined ? blocks[b].rows : blocks[b].columns, causes);
        if (!blocks[b].overdetermined)
            causes.NoteUndetermined(blocks[b].columns);
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
        causes.NoteUndetermined(support);
        AddCauses(circuit, support, false, causes);
    }
    causes.MergeFloating();
    for (const IndexSet& support : supports)
        AddUnexplained(support, false, causes);
    for (const IndexSet& support : supports)
        AddPortCauses(circuit, system, support, causes);
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

Complex Weight(const MnaSystem& share, int n, const Complex* v, const Complex* u)
{
    Complex sum{};
    for (int r = 1; r <= n; ++r)
        for (int c = 1; c <= n; ++c) {
            const Complex m = share.At(r, c);
            const Complex mv{m.re * v[c].re - m.im * v[c].im, m.re * v[c].im + m.im * v[c].re};
            sum.re += u[r].re * mv.re - u[r].im * mv.im;
            sum.im += u[r].re * mv.im + u[r].im * mv.re;
        }
    return sum;
}

bool WeighsIn(const MnaSystem& share, int n, const Complex* v, const Complex* u)
{
    double shareSize = 0;
    for (int r = 1; r <= n; ++r)
        for (int c = 1; c <= n; ++c)
            shareSize = std::fmax(shareSize, Modulus(share.At(r, c)));
    const double scale = shareSize * Largest(v, n) * Largest(u, n);
    return scale > 0 && Modulus(Weight(share, n, v, u)) > 1e-9 * scale;
}

int LoneWeight(const std::vector<Complex>& weights)
{
    int largest = -1;
    for (size_t k = 0; k < weights.size(); ++k)
        if (largest < 0 || Modulus(weights[k]) > Modulus(weights[static_cast<size_t>(largest)]))
            largest = static_cast<int>(k);
    if (largest < 0)
        return -1;
    const Complex d = weights[static_cast<size_t>(largest)];
    int ahead = 0, behind = 0, lastAhead = -1, lastBehind = -1;
    for (size_t k = 0; k < weights.size(); ++k) {
        const double along = weights[k].re * d.re + weights[k].im * d.im;
        if (along > 0) {
            ++ahead;
            lastAhead = static_cast<int>(k);
        } else if (along < 0) {
            ++behind;
            lastBehind = static_cast<int>(k);
        }
    }
    if (ahead == 1 && behind >= 2)
        return lastAhead;
    if (behind == 1 && ahead >= 2)
        return lastBehind;
    return -1;
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
    std::vector<Complex> weights;
    for (int k = 1; k <= circuit.elementCount; ++k) {
        const MnaSystem& share = context.system.Share(k);
        if (haveLeft && WeighsIn(share, n, real.vector[0], u)) {
            weighing.push_back(ValueWords(context.system.Stamped(k)));
            weights.push_back(Weight(share, n, real.vector[0], u));
        }
        bool there = false;
        for (int j = 1; j <= n && !there; ++j) {
            const Complex inRow = share.At(unknown, j), inColumn = share.At(j, unknown);
            there = inRow.re != 0 || inRow.im != 0 || inColumn.re != 0 || inColumn.im != 0;
        }
        if (there)
            stamping.push_back(ValueWords(context.system.Stamped(k)));
    }
    const int culprit = LoneWeight(weights);
    if (culprit >= 0) {
        const std::string first = weighing[static_cast<size_t>(culprit)];
        weighing.erase(weighing.begin() + culprit);
        log.AppendLog("A singularidade vem do valor de %s, e também dos valores de %s.",
                      first.c_str(), JoinWords(weighing).c_str());
    } else if (!weighing.empty())
        log.AppendLog("A singularidade vem dos valores de %s.", JoinWords(weighing).c_str());
    else
        log.AppendLog("Estampam na linha e na coluna dessa incógnita: %s.",
                      JoinWords(stamping).c_str());
}

} // namespace

int DiagnoseSingularSystem(Analysis& analysis, const SystemPoint& point, SingularPurpose purpose)
{
    const Circuit& circuit = analysis.circuit;
    auto system = std::make_unique<FailedSystem>(analysis, point);
    if (circuit.variableCount == 0)
        return 0;
    if (!system->Build()) {
        const Element& faulting = system->Stamped(system->FaultingElement());
        analysis.log.AppendLog("%s",
                               StampFaultWords(circuit, faulting, point, analysis.op.g0).c_str());
        return 1;
    }
    const Context context{analysis, point, *system};
    CauseList causes(circuit);
    const SparsityPattern pattern = system->Pattern();
    const Matching matching = MaximumMatching(pattern);
    if (matching.size < circuit.variableCount) {
        FindStructuralCauses(circuit, *system, pattern, matching, causes);
    } else {
        // The solver's own small pivot: without one the system is regular.
        auto real = std::make_unique<NullVectors>();
        FindNullVectors(system->Matrix(), circuit.variableCount, SmallPivot, *real);
        if (real->count == 0)
            return 0;
        if (!FindConnectionCauses(circuit, *system, causes)) {
            if (purpose != SingularPurpose::FailedRun)
                return 0;
            LogValueCoincidence(context, *real, analysis.log);
            return 1;
        }
    }
    if (purpose == SingularPurpose::SucceededRun)
        analysis.log.AppendLog("Aviso: o circuito não determina em DC %s: os valores calculados "
                               "para %s não têm significado.",
                               UnknownsWords(circuit, causes.Undetermined()).c_str(),
                               causes.Undetermined().count() == 1 ? "ela" : "elas");
    // Nodes without a path first: they are what a reader of the netlist looks for first.
    std::vector<Cause> found = causes.Items();
    std::stable_sort(found.begin(), found.end(),
                     [](const Cause& a, const Cause& b) { return a.kind < b.kind; });
    int logged = 0;
    for (const Cause& cause : found)
        logged += LogCause(context, cause, analysis.log);
    return logged;
}

} // namespace talvor
