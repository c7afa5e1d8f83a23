// Placeholder until the solver lands.
#include "analysis/mna_system.h"

void MnaSystem::Clear(int n) { n_ = n; }
int MnaSystem::SolveMna(MessageLog&) { return 1; }
