// The units a sweep writes its table in, from the options it reads: what talvor-cli and the
// desktop program state for the tables they have just written.
#pragma once

#include "analysis/analysis_settings.h"
#include "plot/response_measures.h"

namespace talvor {

inline ResponseUnits SweepTableUnits(const AnalysisSettings& settings)
{
    return {settings.CBdB ? MagnitudeUnit::Decibel : MagnitudeUnit::Linear,
            settings.CBgraus ? PhaseUnit::Degrees : PhaseUnit::Radians,
            settings.CBHz ? FrequencyUnit::Hertz : FrequencyUnit::RadiansPerSecond};
}

} // namespace talvor
