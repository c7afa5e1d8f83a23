// The paths from an ideal amplifier's output back to its inputs, through the elements as stamped
// at the point of a failed system.
#include "analysis/diagnosis/amplifier_feedback.h"

#include "analysis/diagnosis/circuit_words.h"

namespace talvor {

namespace {

// Terminals whose voltage drives those of another set through one element.
struct Influence {
    IndexSet from, to;
};

IndexSet NodesOf(int p, int q)
{
    IndexSet nodes;
    nodes.set(p);
    nodes.set(q);
    nodes.reset(0);
    return nodes;
}

// The influences of one element; their count.
int Influences(const Circuit& circuit, const Element& e, Influence out[3])
{
    const IndexSet output = NodesOf(e.a, e.b), control = NodesOf(e.c, e.d);
    switch (e.Type()) {
    case 'I': // a fixed current: no voltage passes
        return 0;
    case 'E':
    case 'G':
    case 'O':
    case 'A':
        out[0] = {control, output};
        out[1] = {output, output};
        return 2;
    case 'F': // the input is a short that carries the controlling current
    case 'H':
        out[0] = {control, output};
        out[1] = {output, output};
        out[2] = {control, control};
        return 3;
    case 'K': { // the coupling joins the nodes of its two inductors
        const IndexSet coupled = TerminalNodes(circuit.element(OwnerOf(circuit, e.x).element)) |
                                 TerminalNodes(circuit.element(OwnerOf(circuit, e.y).element));
        out[0] = {coupled, coupled};
        return 1;
    }
    default:
        out[0] = {TerminalNodes(e), TerminalNodes(e)};
        return 1;
    }
}

// How each element takes part in the paths at this point.
enum class Role { None, Conducts, Open };

// The nodes that start reaches through the elements of the allowed roles, following the
// influences forwards (from the driving terminals to the driven ones) or backwards.
IndexSet Reach(const Circuit& circuit, const std::vector<Role>& roles, bool withOpen,
               IndexSet start, bool forwards)
{
    for (bool grew = true; grew;) {
        grew = false;
        for (int k = 1; k <= circuit.elementCount; ++k) {
            if (roles[k] == Role::None || (roles[k] == Role::Open && !withOpen))
                continue;
            Influence influences[3];
            const int count = Influences(circuit, circuit.element(k), influences);
            for (int i = 0; i < count; ++i) {
                const IndexSet& from = forwards ? influences[i].from : influences[i].to;
                const IndexSet& to = forwards ? influences[i].to : influences[i].from;
                if ((start & from).any() && (to & ~start).any()) {
                    start |= to;
                    grew = true;
                }
            }
        }
    }
    return start;
}

} // namespace

AmplifierFeedback FindFeedback(const Circuit& circuit, FailedSystem& system, int amplifier)
{
    const Element& o = circuit.element(amplifier);
    const IndexSet output = NodesOf(o.a, o.b), inputs = NodesOf(o.c, o.d);
    AmplifierFeedback feedback;
    if ((output & inputs).any()) {
        feedback.kind = AmplifierFeedback::Kind::Follower;
        return feedback;
    }
    // Elements that stamp nothing here carry nothing; capacitors among them are open only at
    // this point (DC with Eg0 = 0, or f = 0).
    std::vector<Role> roles(static_cast<size_t>(circuit.elementCount) + 1, Role::None);
    for (int k = 1; k <= circuit.elementCount; ++k) {
        if (k == amplifier)
            continue;
        if (system.StampsAnything(k))
            roles[k] = Role::Conducts;
        else if (circuit.element(k).Type() == 'C')
            roles[k] = Role::Open;
    }
    if ((Reach(circuit, roles, false, output, true) & inputs).any()) {
        feedback.kind = AmplifierFeedback::Kind::Conducting;
        return feedback;
    }
    const IndexSet forwards = Reach(circuit, roles, true, output, true);
    if (!(forwards & inputs).any())
        return feedback;
    feedback.kind = AmplifierFeedback::Kind::OnlyThroughOpen;
    const IndexSet backwards = Reach(circuit, roles, true, inputs, false);
    for (int k = 1; k <= circuit.elementCount; ++k) {
        const IndexSet ends = TerminalNodes(circuit.element(k));
        if (roles[k] == Role::Open && (ends & forwards).any() && (ends & backwards).any())
            feedback.open.push_back(k);
    }
    return feedback;
}

} // namespace talvor
