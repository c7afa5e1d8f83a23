#include "analysis/analysis.h"

#include "analysis/analysis_host.h"

namespace talvor {

const AnalysisSettings& Analysis::Settings() const { return host.Settings(); }

} // namespace talvor
