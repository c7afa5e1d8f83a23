// Each step of the analysis passed on to the device that the element's type letter names.
#include "analysis/devices.h"

#include "analysis/bipolar.h"
#include "analysis/diode.h"
#include "analysis/mos.h"
#include "analysis/piecewise_linear.h"

namespace talvor {

bool IsDevice(char type) { return type == 'D' || type == 'N' || type == 'Q' || type == 'M'; }

void StampDevice(const DeviceContext& context, Element& element)
{
    switch (element.Type()) {
    case 'D':
        StampDiode(context, element);
        break;
    case 'N':
        StampPiecewiseLinear(context, element);
        break;
    case 'Q':
        StampBipolar(context, element);
        break;
    case 'M':
        StampMos(context, element);
        break;
    default:
        break;
    }
}

void StoreDeviceCapacitances(Element& element, const double* V)
{
    switch (element.Type()) {
    case 'D':
        StoreDiodeCapacitance(element, V);
        break;
    case 'Q':
        StoreBipolarCapacitances(element, V);
        break;
    case 'M':
        MosCapacitances(element);
        break;
    default:
        break;
    }
}

bool LogDeviceConditions(const Element& element, const double* V, MessageLog& log)
{
    switch (element.Type()) {
    case 'D':
        return LogDiode(element, V, log);
    case 'Q':
        return LogBipolar(element, V, log);
    case 'M':
        return LogMos(element, V, log);
    default:
        return true;
    }
}

void StampDeviceAc(const Element& element, double omega, const AnalysisSettings& settings,
                   MnaSystem& mna)
{
    switch (element.Type()) {
    case 'D':
        StampDiodeAc(element, omega, settings, mna);
        break;
    case 'N':
        StampPiecewiseLinearAc(element, mna);
        break;
    case 'Q':
        StampBipolarAc(element, omega, settings, mna);
        break;
    case 'M':
        StampMosAc(element, omega, settings, mna);
        break;
    default:
        break;
    }
}

} // namespace talvor
