// Seams between the host's toolkit and its command engine, for the host's own sources only.
#pragma once

#include "QORCommandEngine.h"
#include "QORDialogToolkit.h"

namespace qorhost {

// Engine side (CommandEngine sources).
// Offers a notification to the running state command's current agents; true when one took it.
bool OfferToRunningCommand(QORCommand* publisher, QORNotification* notification);
// True when target is the running state command (notifications sent to it go to its agents).
bool IsRunningStateCommand(QORCommand* target);
// The state command being constructed, or else the running one; null when neither.
QORCommand* CurrentCommand();
// Queues an object for release after the current user event; a dialog waits for the command that
// created it to have ended.
void ScheduleDelayedDestruction(QORCommand* command);
// The main window: the parent of top-level dialogs.
QORDialog* MainWindow();

// Toolkit side (DialogToolkit sources).
// Drops every registration made by or about a command that is going away.
void ForgetRegistrations(QORCommand* command);

}  // namespace qorhost
