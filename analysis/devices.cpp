// The table of device models, and each step of the analysis passed on to the model that the
// element's type letter names.
#include "analysis/devices.h"

#include <algorithm>
#include <array>

#include "analysis/bipolar.h"
#include "analysis/diode.h"
#include "analysis/mos.h"
#include "analysis/piecewise_linear.h"
#include "netlist/element_types.h"

namespace talvor {

namespace {

constexpr DeviceModel Models[] = {
    {.letter = 'D',
     .stamp = StampDiode,
     .stampAc = StampDiodeAc,
     .storeCapacitances = StoreDiodeCapacitance,
     .logConditions = LogDiode,
     .region = DiodeRegion,
     .regionWords = DiodeRegionWords,
     .voltages = DiodeVoltages,
     .weighing = {{"Gd", DiodeSlot::Gd}},
     .divisors = {{"VT", DiodeSlot::VT}}},
    {.letter = 'N',
     .stamp = StampPiecewiseLinear,
     .stampAc = StampPiecewiseLinearAc,
     .region = PiecewiseLinearRegion,
     .regionWords = PiecewiseLinearRegionWords,
     .voltages = PiecewiseLinearVoltages,
     .numberedRegions = "os trechos",
     .weighing = {{"Gn", PwlSlot::Gn}}},
    {.letter = 'Q',
     .stamp = StampBipolar,
     .stampAc = StampBipolarAc,
     .storeCapacitances = StoreBipolarCapacitances,
     .logConditions = LogBipolar,
     .region = BipolarRegion,
     .regionWords = BipolarRegionWords,
     .voltages = BipolarVoltages,
     .weighing = {{"Gbe", BipolarSlot::Gbe}, {"Gbc", BipolarSlot::Gbc}},
     .divisors = {{"VTbe", BipolarSlot::VTbe},
                  {"VTbc", BipolarSlot::VTbc},
                  {"VA", BipolarSlot::VA}}},
    {.letter = 'M',
     .stamp = StampMos,
     .stampAc = StampMosAc,
     .storeCapacitances = StoreMosCapacitances,
     .logConditions = LogMos,
     .region = MosRegion,
     .regionWords = MosRegionWords,
     .voltages = MosVoltages,
     .weighing = {{"Gm", MosSlot::Gm}, {"Gds", MosSlot::Gds}},
     .divisors = {{"L", MosSlot::L}}},
};

// Every nonlinear type of the element table has exactly one model, and every model belongs to
// such a type: a device left out of this table does not compile. (Its required steps are called
// by the test that walks the table: GCC's null-pointer checks make a comparison of a function's
// address with nullptr non-constant, so they cannot be asserted here.)
constexpr bool EveryDeviceHasItsModel()
{
    for (const ElementType& type : ElementTypes()) {
        int models = 0;
        for (const DeviceModel& model : Models)
            if (model.letter == type.letter)
                ++models;
        if (models != (type.nonlinear ? 1 : 0))
            return false;
    }
    return std::size(Models) == static_cast<std::size_t>(std::count_if(
                                    ElementTypes().begin(), ElementTypes().end(),
                                    [](const ElementType& t) { return t.nonlinear; }));
}
static_assert(EveryDeviceHasItsModel());

// The model of each letter A..Z, so that the stamps of every iteration and every frequency find
// theirs at once.
constexpr std::array<const DeviceModel*, 26> ModelsByLetter()
{
    std::array<const DeviceModel*, 26> byLetter{};
    for (const DeviceModel& model : Models)
        byLetter[model.letter - 'A'] = &model;
    return byLetter;
}
constexpr std::array<const DeviceModel*, 26> ByLetter = ModelsByLetter();

} // namespace

const DeviceModel* DeviceModelFor(char type)
{
    return type >= 'A' && type <= 'Z' ? ByLetter[type - 'A'] : nullptr;
}

void StampDevice(const DeviceContext& context, Element& element)
{
    if (const DeviceModel* model = DeviceModelFor(element.Type()))
        model->stamp(context, element);
}

void StoreDeviceCapacitances(Element& element, const double* V)
{
    const DeviceModel* model = DeviceModelFor(element.Type());
    if (model != nullptr && model->storeCapacitances != nullptr)
        model->storeCapacitances(element, V);
}

bool LogDeviceConditions(const Element& element, const double* V, MessageLog& log)
{
    const DeviceModel* model = DeviceModelFor(element.Type());
    if (model == nullptr || model->logConditions == nullptr)
        return true;
    return model->logConditions(element, V, log);
}

void StampDeviceAc(const Element& element, double omega, const AnalysisSettings& settings,
                   MnaSystem& mna)
{
    if (const DeviceModel* model = DeviceModelFor(element.Type()))
        model->stampAc(element, omega, settings, mna);
}

} // namespace talvor
