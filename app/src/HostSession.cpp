// The host session: module loading, the current mold and editor, and shutdown.
#include "HostSession.h"

#include "QORCommandEngine.h"
#include "QOREditor.h"
#include "QORFileBoxes.h"
#include "QORProductStructure.h"

namespace moldbom {

HostSession::HostSession() {
  SetRecorderMode(QORRecord::Mode::Off);
  SetDocChooserAvailable(true);
}

HostSession::~HostSession() {
  QORCommandHost::CancelRunningCommand();
  ReleaseMold();
  QORCommandHost::Shutdown();
  SetRecorderMode(QORRecord::Mode::Off);
  SetDocChooserAvailable(true);
}

Outcome HostSession::LoadModule() {
  static const std::string path = QORInstallation::Current().moduleDirectory + "/" MOLDBOM_MODULE_FILE;
  static const Outcome loaded = QORLoadModule(path);
  if (loaded) return {};
  return Failure{"cannot load the module " + path + ": " + loaded.Why()};
}

Outcome HostSession::LoadMold(const std::string& path, const std::string& catalogPath) {
  auto result = QORMoldDocument::LoadFile(path, catalogPath);
  if (!result) return result.Error();
  ReleaseMold();
  Install(std::move(result).Value());
  return {};
}

Outcome HostSession::ReplaceMold(const std::string& path, const std::string& catalogPath) {
  auto result = QORMoldDocument::LoadFile(path, catalogPath);
  if (!result) return result.Error();
  QORCommandHost::CancelRunningCommand();
  ReleaseMold();
  Install(std::move(result).Value());
  return {};
}

void HostSession::Install(std::unique_ptr<QORMoldDocument> document) {
  document_ = std::move(document);
  QORMoldDocument::SetCurrent(document_.get());
  editor_ = new QORFrmEditor();
  editor_->SetContextPath(document_->ContextPath());
  QORFrmEditor::SetCurrentEditor(editor_);
}

void HostSession::ReleaseMold() {
  if (editor_) {
    if (QORFrmEditor::GetCurrentEditor() == editor_) QORFrmEditor::SetCurrentEditor(nullptr);
    QORRelease(editor_);
  }
  if (document_) {
    QORMoldDocument::SetCurrent(nullptr);
    document_.reset();
  }
}

void HostSession::SetRecorderMode(QORRecord::Mode mode) {
  if (QORRecord* recorder = QORRecord::GetMain()) recorder->SetMode(mode);
}

void HostSession::SetDocChooserAvailable(bool available) {
  QORFmuProtectedServices::SetDocChooserAvailable(available);
}

QORStateCommand* HostSession::RunningCommand() { return QORCommandHost::RunningCommand(); }

QORDlgDialog* HostSession::CommandDialog() {
  const QORStateCommand* command = RunningCommand();
  if (!command || !command->GetCurrentState()) return nullptr;
  for (QORDialogAgent* agent : command->GetCurrentState()->GetAgents())
    if (const auto* panel = dynamic_cast<const QORPanelAcquisition*>(agent)) return panel->GetPanel();
  return nullptr;
}

}  // namespace moldbom
