// One process may run many inputs: the module is loaded once, files go to a scratch folder that the
// host's file services may not leave, and a broken assumption of the module aborts the run.
#include "FuzzTargets.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "DuplicateNames.h"
#include "HostSession.h"
#include "Journal.h"
#include "JournalPresenter.h"
#include "QORCommandEngine.h"
#include "QORMessages.h"
#include "QORProductStructure.h"
#include "QORSystemServices.h"
#include "StepMold.h"
#include "UserEvents.h"

namespace moldbom::fuzz {
namespace {

const char* const kSampleRoot = "TM-2417";
// Molds are read through the confinement too, so the sample is copied into the scratch folder.
const char* const kScratchSample = "sample-mold.json";

class FuzzPresenter : public QORPresenter {
 public:
  void ShowWarning(const QORMessageBox&) override {}
  bool AskConfirmation(const QORMessageBox&) override { return true; }
  void ReportCheckFailure(const std::string& expression, const std::string& file, int line) override {
    std::cerr << "check failed: " << expression << " at " << file << ":" << line << std::endl;
    std::abort();
  }
  // Failed or refused writes are outcomes a hostile profile may cause, not faults.
  void ReportFileProblem(const QORFileProblem&) override {}
};

// A scratch folder, made the current one and the only place the host's file services reach.
void EnterScratchFolder() {
  static const bool entered = [] {
    std::string folder = (std::filesystem::temp_directory_path() / "moldbom-fuzz-XXXXXX").string();
    if (!::mkdtemp(folder.data()) || ::chdir(folder.c_str()) != 0 || FAILED(QORSetFileConfinement(folder.c_str()))) {
      std::cerr << "cannot set up the scratch folder " << folder << std::endl;
      std::abort();
    }
    return true;
  }();
  (void)entered;
}

void LoadModuleOnce() {
  static const bool loaded = [] {
    if (Outcome module = HostSession::LoadModule(); !module) {
      std::cerr << module.Why() << std::endl;
      std::abort();
    }
    return true;
  }();
  (void)loaded;
}

void WriteFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

// The events of one command run; a refused event only ends the run early.
void RunCommand(UserEvents& events, const std::string& field, const std::string& name) {
  if (!events.Perform({"start", "QORMldBOMCom"}) || !events.Perform({"type", field, name})) return;
  if (field == "RefProfName" && !events.Perform({"type", "ReportName", "./seeded"})) return;
  // Keep mode is what reads the profile's records during the analysis; a profile that left it
  // unavailable has the choice refused, and the run goes on without it.
  (void)events.Perform({"check", "RadioKeep", "on"});
  if (!events.Perform({"select", kSampleRoot})) return;
  (void)events.Perform({"close", "dialog"});
}

// The journals' molds and profiles, fresh for every input, so that what one input wrote cannot
// change what the next one reads.
void ResetScratchFolder() {
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(".", ignored)) std::filesystem::remove_all(entry.path(), ignored);
  for (const char* folder : {"molds", "profiles"})
    std::filesystem::copy(std::filesystem::path(MOLDBOM_JOURNAL_DATA) / folder, folder, std::filesystem::copy_options::recursive,
                          ignored);
  std::filesystem::copy_file(kSampleMoldPath, kScratchSample, ignored);
}

bool NamesDeviceFiles(std::string_view text) {
  for (const char* prefix : {"/dev", "/proc", "/sys"})
    if (text.find(prefix) != std::string_view::npos) return true;
  return false;
}

}  // namespace

int MoldJson(const std::uint8_t* data, std::size_t size) {
  auto result = QORMoldDocument::LoadText(std::string(reinterpret_cast<const char*>(data), size), "fuzz.json");
  if (!result.Ok()) return 0;
  const QORMoldDocument& document = *result.Value();
  document.Walk([](const QORIProduct_var& instance, int) { (void)QORMoldDocument::InstancePath(instance); });
  (void)DuplicateInstanceNames(document);
  return 0;
}

int Profile(const std::uint8_t* data, std::size_t size) {
  EnterScratchFolder();
  LoadModuleOnce();
  FuzzPresenter presenter;
  QORPresenterScope presenting(&presenter);
  ResetScratchFolder();
  HostSession session;
  if (!session.LoadMold(kScratchSample)) std::abort();
  UserEvents events(session);
  WriteFile("reference.bom", data, size);
  std::remove("seeded.bom");
  RunCommand(events, "RefProfName", "./reference");
  QORCommandHost::CancelRunningCommand();
  WriteFile("profile.bom", data, size);
  RunCommand(events, "ReportName", "./profile");
  return 0;
}

int Journal(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  // Device files could hang a read whatever the confinement says of their names.
  if (NamesDeviceFiles(text)) return -1;
  EnterScratchFolder();
  LoadModuleOnce();
  ResetScratchFolder();
  std::ostringstream shown;
  JournalPresenter presenter(shown);
  QORPresenterScope presenting(&presenter);
  HostSession session;
  JournalReplay replay(session, presenter, shown, kScratchSample);
  std::istringstream journal(text);
  std::ostringstream errors;
  replay.Run(journal, errors);
  return 0;
}

int Step(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  auto read = qorhost::ReadStepMold(text, "fuzz");
  if (auto* description = std::get_if<qorhost::MoldDescription>(&read)) qorhost::SetDefaultBomFlags(*description);
  return 0;
}

Target FindTarget(std::string_view name) {
  if (name == "mold-json") return &MoldJson;
  if (name == "profile") return &Profile;
  if (name == "journal") return &Journal;
  if (name == "step") return &Step;
  return nullptr;
}

}  // namespace moldbom::fuzz
