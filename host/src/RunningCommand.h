// What the toolkit and state commands tell the engine, and ask it, about the running command.
#pragma once

#include "QORCommandEngine.h"
#include "QORDialogToolkit.h"

namespace qorhost {

// Offers a notification to the running state command's current agents; true when one took it.
bool OfferToRunningCommand(QORCommand* publisher, QORNotification* notification);
// True when target is the running state command (notifications sent to it go to its agents).
bool IsRunningStateCommand(QORCommand* target);
// The state command being constructed, or else the running one; null when neither.
QORCommand* CurrentCommand();
// Queues an object for release after the current user event; a dialog waits for the command that
// created it to have ended.
void ScheduleDelayedDestruction(QORCommand* command);

// A state command's constructor announces it, so that dialogs created before its derived
// constructor returns know their creator.
void CommandUnderConstruction(QORStateCommand* command);
// A state command's destructor reports its end (counted for tests, forgotten as running).
void CommandDestroyed(QORStateCommand* command);

}  // namespace qorhost
