// The runs of a request: its targets found in the circuit, the values stepped or drawn.
#include "steps/step_plan.h"

#include <cmath>
#include <cstdio>

#include "common/c_text.h"
#include "common/message_log.h"
#include "netlist/circuit.h"
#include "netlist/element_types.h"

namespace talvor {

namespace {

// "alfa, alfar, Isbe, ...": the value names of a type, for the message of a wrong name.
std::string SlotNames(const ElementType& type)
{
    std::string names;
    for (int k = 0; k < type.SlotCount(); ++k)
        names.append(k == 0 ? "" : ", ").append(type.slots[k].name);
    return names;
}

// The slot that target names in elements of type; -1, after a log line, when the type has no
// such value or no main one. The line speaks of the element, or of every element of the type
// when the target names a type.
int ResolveSlot(const ValueTarget& target, const ElementType& type, bool namesType, MessageLog& log)
{
    const DisplayText name(target.name);
    const char* who = namesType ? "Os elementos" : "O elemento";
    const char* have = namesType ? "têm" : "tem";
    if (type.SlotCount() == 0) {
        log.AppendLog("%s %s não %s valores a variar.", who, name.c_str(), have);
        return -1;
    }
    if (target.slot.empty()) {
        if (type.mainSlot < 0)
            log.AppendLog("%s %s não %s valor principal: dê o nome do valor, como %s.%s (valores: "
                          "%s).",
                          who, name.c_str(), have, name.c_str(), type.slots[0].name,
                          SlotNames(type).c_str());
        return type.mainSlot;
    }
    const int slot = FindSlot(type, target.slot);
    if (slot < 0)
        log.AppendLog("%s %s não %s o valor %s (valores: %s).", who, name.c_str(), have,
                      DisplayText(target.slot).c_str(), SlotNames(type).c_str());
    return slot;
}

VariedValue Varied(const Element& e, const ElementType& type, int slot, bool slotNamed)
{
    VariedValue varied;
    varied.element = e.name;
    varied.slot = slot;
    varied.label = slotNamed ? varied.element + "." + type.slots[slot].name : varied.element;
    varied.nominal = e.values[slot] / type.slots[slot].storedPerUnit;
    return varied;
}

// The first element of that name, 0 when there is none.
int FindElement(const Circuit& circuit, const std::string& name)
{
    for (int k = 1; k <= circuit.elementCount; ++k)
        if (name == circuit.element(k).name)
            return k;
    return 0;
}

bool PlanValueSteps(const StepRequest& request, const Circuit& circuit, MessageLog& log,
                    StepPlan& plan)
{
    const ValueTarget& target = request.target;
    const int k = FindElement(circuit, target.name);
    if (k == 0) {
        log.AppendLog("Elemento %s não encontrado no netlist.", DisplayText(target.name).c_str());
        return false;
    }
    const Element& e = circuit.element(k);
    const ElementType& type = *FindElementType(e.Type());
    const int slot = ResolveSlot(target, type, false, log);
    if (slot < 0)
        return false;
    plan.varied.push_back(Varied(e, type, slot, !target.slot.empty()));
    for (double value : request.values)
        plan.values.push_back({value});
    return true;
}

// A single letter names a type; anything longer, an element.
bool NamesType(const ValueTarget& target) { return target.name.size() == 1; }

// Checks that every tolerance names something in the netlist; false after a log line.
bool CheckTolerances(const StepRequest& request, const Circuit& circuit, MessageLog& log)
{
    for (const Tolerance& tolerance : request.tolerances) {
        const ValueTarget& target = tolerance.target;
        const DisplayText name(target.name);
        int k = 0;
        if (!NamesType(target)) {
            k = FindElement(circuit, target.name);
            if (k == 0) {
                log.AppendLog("Elemento %s não encontrado no netlist.", name.c_str());
                return false;
            }
        }
        const ElementType* type = FindElementType(target.name[0]);
        if (type == nullptr) {
            log.AppendLog("Tipo de elemento desconhecido: %s.", name.c_str());
            return false;
        }
        for (int p = 1; k == 0 && p <= circuit.elementCount; ++p)
            if (circuit.element(p).Type() == type->letter)
                k = p;
        if (k == 0) {
            log.AppendLog("Nenhum elemento %s no netlist.", name.c_str());
            return false;
        }
        if (ResolveSlot(target, *type, NamesType(target), log) < 0)
            return false;
    }
    return true;
}

// The varied values of a Monte Carlo run, in netlist order and, within an element, in slot
// order. For each element and slot the tolerance that names the element wins over one that names
// its type; between two of the same kind, the later.
void CollectToleranced(const StepRequest& request, const Circuit& circuit, StepPlan& plan,
                       MessageLog& log)
{
    for (int k = 1; k <= circuit.elementCount; ++k) {
        const Element& e = circuit.element(k);
        if (FindElement(circuit, e.name) != k)
            continue; // a repeated name: the runs replace the values of every element of that name
        const ElementType& type = *FindElementType(e.Type());
        const Tolerance* chosen[MaxSlotsPerType] = {};
        bool specific[MaxSlotsPerType] = {};
        for (const Tolerance& tolerance : request.tolerances) {
            const ValueTarget& target = tolerance.target;
            const bool byName = !NamesType(target) && target.name == e.name;
            if (!byName && !(NamesType(target) && target.name[0] == e.Type()))
                continue;
            const int slot = ResolveSlot(target, type, NamesType(target), log); // checked above
            if (slot >= 0 && (byName || !specific[slot])) {
                chosen[slot] = &tolerance;
                specific[slot] = byName;
            }
        }
        for (int slot = 0; slot < MaxSlotsPerType; ++slot) {
            if (chosen[slot] == nullptr)
                continue;
            VariedValue varied = Varied(e, type, slot, !chosen[slot]->target.slot.empty());
            varied.tolerance = chosen[slot]->fraction;
            plan.varied.push_back(varied);
        }
    }
}

bool PlanMonteCarlo(const StepRequest& request, const Circuit& circuit, MessageLog& log,
                    StepPlan& plan)
{
    if (!CheckTolerances(request, circuit, log))
        return false;
    CollectToleranced(request, circuit, plan, log);
    // Drawn run by run, value by value, before any run starts: the same seed gives the same
    // values however the runs are then shared among threads.
    DrawGenerator generator(request.seed);
    for (int run = 0; run < request.runs; ++run) {
        std::vector<double>& values = plan.values.emplace_back();
        for (const VariedValue& varied : plan.varied) {
            const double u = request.distribution == Distribution::Gauss ? generator.Normal()
                                                                         : generator.Uniform();
            values.push_back(DrawnValue(varied.nominal, varied.tolerance, request.distribution, u));
        }
    }
    return true;
}

} // namespace

std::vector<ValueOverride> StepPlan::Overrides(int run) const
{
    std::vector<ValueOverride> overrides;
    for (size_t k = 0; k < varied.size(); ++k)
        overrides.push_back({varied[k].element, varied[k].slot, values[run][k]});
    return overrides;
}

std::string StepPlan::Describe(int run) const
{
    std::string text;
    for (size_t k = 0; k < varied.size(); ++k) {
        char value[64];
        std::snprintf(value, sizeof value, " = %g", values[run][k]);
        text.append(k == 0 ? "" : ", ").append(varied[k].label).append(value);
    }
    return text;
}

bool PlanSteps(const StepRequest& request, const Circuit& circuit, MessageLog& log, StepPlan& plan)
{
    plan = StepPlan{};
    plan.monteCarlo = request.IsMonteCarlo();
    return plan.monteCarlo ? PlanMonteCarlo(request, circuit, log, plan)
                           : PlanValueSteps(request, circuit, log, plan);
}

std::vector<VariableElement> VariableElements(const Circuit& circuit)
{
    std::vector<VariableElement> elements;
    for (int k = 1; k <= circuit.elementCount; ++k) {
        const Element& e = circuit.element(k);
        const ElementType& type = *FindElementType(e.Type());
        if (type.SlotCount() == 0)
            continue;
        VariableElement& element = elements.emplace_back();
        element.name = e.name;
        element.mainSlot = type.mainSlot;
        for (int slot = 0; slot < type.SlotCount(); ++slot) {
            element.valueNames.push_back(type.slots[slot].name);
            element.values.push_back(e.values[slot] / type.slots[slot].storedPerUnit);
        }
    }
    return elements;
}

double DrawnValue(double nominal, double fraction, Distribution distribution, double u)
{
    const double spread = distribution == Distribution::Gauss ? fraction / 3 : fraction;
    return nominal * (1 + spread * u);
}

std::uint64_t DrawGenerator::Next()
{
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15u);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
}

double DrawGenerator::Uniform()
{
    const double unit = static_cast<double>(Next() >> 11) * 0x1.0p-53; // [0, 1)
    return 2 * unit - 1;
}

double DrawGenerator::Normal()
{
    const double u1 = 1 - static_cast<double>(Next() >> 11) * 0x1.0p-53; // (0, 1]: log is finite
    const double u2 = static_cast<double>(Next() >> 11) * 0x1.0p-53;
    return std::sqrt(-2 * std::log(u1)) * std::cos(6.283185307179586 * u2);
}

} // namespace talvor
