// The host's main window, parent of top-level dialogs and file boxes; the application frame owns it.
#pragma once

#include "QORDialogToolkit.h"

namespace qorhost {

// Made on first use.
QORDialog* MainWindow();
// Releases the main window and everything still under it (host shutdown).
void ReleaseMainWindow();

}  // namespace qorhost
