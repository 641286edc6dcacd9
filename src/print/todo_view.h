#pragma once
#include "views/workspace.h"

namespace olv {

// The to-do list in the detail list (and on the page while printing).
void show_to_do_list(Workspace& ws);

} // namespace olv
