// Seams among the host's engine, file boxes and application frame, for the host's own sources.
#pragma once

#include "QORCommandEngine.h"
#include "QORDialogToolkit.h"

namespace qorhost {

// The dialog of a file box or document chooser. The module releases the box when it is done with
// it, so its dialog goes after the current event rather than with the command that created it.
class FileBoxDialog : public QORDlgDialog {
 public:
  FileBoxDialog(QORDialog* parent, const QORString& identifier) : QORDlgDialog(parent, identifier, 0) {}
  const char* GetImplClassName() const override { return "FileBoxDialog"; }
};

// A state command's constructor announces it, so that dialogs created before its derived
// constructor returns know their creator.
void CommandUnderConstruction(QORStateCommand* command);
// A state command's destructor reports its end (counted for tests, forgotten as running).
void CommandDestroyed(QORStateCommand* command);

// Releases the main window and everything still under it (host shutdown).
void ReleaseMainWindow();

}  // namespace qorhost
