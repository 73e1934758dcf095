// The host session: the module library, the loaded mold made current, the host's settings, and a
// clean end of everything when the session goes.
#pragma once

#include <memory>
#include <string>

#include "Expected.h"
#include "QORInstallation.h"
#include "QORRecorder.h"

class QORDlgDialog;
class QORFrmEditor;
class QORMoldDocument;
class QORStateCommand;

namespace moldbom {

// Exit code of a host that cannot run at all (the module library failed to load).
inline constexpr int kExitHostFailure = 1;

// Where a session takes its mold when nobody named one.
inline const std::string kSampleMoldPath = QORInstallation::Current().sampleDirectory + "/sample-mold.json";

class HostSession {
 public:
  HostSession();
  // Cancels a running command (nothing more is written) and releases the mold, the editor and
  // the host's windows.
  ~HostSession();
  HostSession(const HostSession&) = delete;
  HostSession& operator=(const HostSession&) = delete;

  // Loads the module library once per process; its registration stays in the class dictionary.
  static Outcome LoadModule();

  // Reads a mold assembly file and makes it the document the host and its editor work on. The
  // error names the file, line and column.
  // A parts catalogue, when named, fills what the mold file does not say.
  Outcome LoadMold(const std::string& path, const std::string& catalogPath = {});
  // Opens another mold in place of the current one: the running command is cancelled (it writes
  // nothing) before the old mold goes. A file that cannot be read changes nothing.
  Outcome ReplaceMold(const std::string& path, const std::string& catalogPath = {});
  bool HasMold() const { return document_ != nullptr; }
  const QORMoldDocument* Document() const { return document_.get(); }

  void SetRecorderMode(QORRecord::Mode mode);
  void SetDocChooserAvailable(bool available);

  // Once a command was started the mold stays: later commands work on what earlier ones changed.
  void NoteCommandStarted(std::string className) { lastCommandClass_ = std::move(className); }
  bool WasCommandStarted() const { return !lastCommandClass_.empty(); }
  // The class of the command started last, empty before the first start.
  const std::string& LastCommandClass() const { return lastCommandClass_; }

  static QORStateCommand* RunningCommand();
  // The dialog of the running command (the panel its agents listen to), null when none.
  static QORDlgDialog* CommandDialog();

 private:
  void ReleaseMold();
  void Install(std::unique_ptr<QORMoldDocument> document);

  std::unique_ptr<QORMoldDocument> document_;
  QORFrmEditor* editor_ = nullptr;
  std::string lastCommandClass_;
};

}  // namespace moldbom
