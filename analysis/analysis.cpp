#include "analysis/analysis.h"

#include "analysis/analysis_host.h"

const AnalysisSettings& Analysis::Settings() const { return host.Settings(); }
