#pragma once
// Preferences (window 95) and About (window 92).
#include "views/workspace.h"

namespace olv {

void open_preferences(Workspace& ws);
void apply_preferences(Workspace& ws);
void open_about(Workspace& ws);

} // namespace olv
