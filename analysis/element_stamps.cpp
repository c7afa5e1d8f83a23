// One element's stamp, passed on to its device model or to the linear stamps.
#include "analysis/element_stamps.h"

#include "analysis/devices.h"
#include "analysis/linear_elements.h"

namespace talvor {

void StampElementDc(const OperatingPoint& op, const AnalysisSettings& settings, Element& element,
                    MnaSystem& mna)
{
    if (const DeviceModel* model = DeviceModelFor(element.Type()))
        model->stamp(DeviceContext{op, settings, mna}, element);
    else
        StampLinearDc(element, op.g0, mna);
}

void StampElementAc(const Element& element, double omega, const AnalysisSettings& settings,
                    double g0, MnaSystem& mna)
{
    if (const DeviceModel* model = DeviceModelFor(element.Type()))
        model->stampAc(element, omega, settings, mna);
    else
        StampLinearAc(element, omega, g0, mna);
}

} // namespace talvor
