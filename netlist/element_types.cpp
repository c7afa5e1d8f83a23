// Slot lookup by name, and the checks that keep the table of element types consistent.
#include "netlist/element_types.h"

namespace talvor {

namespace {

constexpr char AsciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t k = 0; k < a.size(); ++k)
        if (AsciiLower(a[k]) != AsciiLower(b[k]))
            return false;
    return true;
}

constexpr int FindSlotIn(const ElementType& type, std::string_view name)
{
    for (int k = 0; k < type.SlotCount(); ++k)
        if (SameName(type.slots[k].name, name))
            return k;
    return -1;
}

// One row per upper-case letter; within a row, slot names that differ in more than case (so a
// name finds its own slot), a main slot among the slots, and currents numbered x before y.
constexpr bool TableIsConsistent()
{
    const auto types = ElementTypes();
    for (size_t t = 0; t < types.size(); ++t) {
        const ElementType& type = types[t];
        if (type.letter < 'A' || type.letter > 'Z' || FindElementType(type.letter) != &type)
            return false;
        if (type.nodes < 0 || type.nodes > 4 || type.mainSlot >= type.SlotCount())
            return false;
        if (type.currents[0].prefix == nullptr && type.currents[1].prefix != nullptr)
            return false;
        for (int k = 0; k < type.SlotCount(); ++k)
            if (FindSlotIn(type, type.slots[k].name) != k)
                return false;
    }
    return true;
}
static_assert(TableIsConsistent());

} // namespace

int FindSlot(const ElementType& type, std::string_view name) { return FindSlotIn(type, name); }

} // namespace talvor
