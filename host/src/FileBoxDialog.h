// The dialog behind a file box or document chooser, told apart by the engine's delayed destruction.
#pragma once

#include "QORDialogToolkit.h"

namespace qorhost {

// The module releases the box when it is done with it, so its dialog goes after the current event
// rather than with the command that created it.
class FileBoxDialog : public QORDlgDialog {
 public:
  FileBoxDialog(QORDialog* parent, const QORString& identifier) : QORDlgDialog(parent, identifier, 0) {}
  const char* GetImplClassName() const override { return "FileBoxDialog"; }
};

}  // namespace qorhost
