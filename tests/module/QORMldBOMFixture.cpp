// Test support for the BOM module: presenter, molds, the running command and the built dialog.
#include "QORMldBOMFixture.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <sstream>

namespace bomtest {

Strings Texts(const QORListOfQORUnicodeString& list) {
  Strings texts;
  for (const QORUnicodeString& text : list) texts.push_back(text.Utf8());
  return texts;
}

std::vector<int> Integers(const QORListOfInt& list) { return std::vector<int>(list.begin(), list.end()); }

QORListOfQORUnicodeString UnicodeList(const Strings& texts) {
  QORListOfQORUnicodeString list;
  for (const std::string& text : texts) list.Append(QORUnicodeString(text));
  return list;
}

std::ostream& operator<<(std::ostream& out, const BomMessage& message) {
  out << (message.confirmation ? "confirm " : "warn ") << message.titleKey << "/" << message.messageKey;
  for (const std::string& param : message.params) out << " [" << param << "]";
  return out;
}

void RecordingPresenter::ShowWarning(const QORMessageBox& box) {
  messages.push_back({box.titleKey, box.messageKey, box.params, false});
}

bool RecordingPresenter::AskConfirmation(const QORMessageBox& box) {
  messages.push_back({box.titleKey, box.messageKey, box.params, true});
  if (answers.empty()) return false;
  const bool answer = answers.front();
  answers.pop_front();
  return answer;
}

void RecordingPresenter::ReportCheckFailure(const std::string& expression, const std::string& file, int line) {
  checks.push_back(expression + "@" + file + ":" + std::to_string(line));
}

std::string MoldFile(const std::string& instances, const std::string& products) {
  std::string json = R"({"format": "moldbom-assembly", "version": 1, "root": "mold", "products": {)"
                     R"("mold": {"partNumber": "MOLD", "instances": [)";
  std::istringstream words(instances);
  std::string separator;
  for (std::string word; words >> word; separator = ", ") {
    const std::size_t colon = word.find(':');
    json += separator + R"({"name": ")" + word.substr(0, colon) + R"(", "of": ")" + word.substr(colon + 1) + "\"}";
  }
  return json + "]}" + (products.empty() ? "" : ", " + products) + "}}";
}

// ---- shared ---------------------------------------------------------------------------------

std::vector<int> BomTest::Positions() {
  const QORListOfInt& all = QORMldBOMDlgTestAccess::Positions(Dlg());
  return {all.begin(), all.begin() + Dlg().GetNumberOfItems()};
}

std::pair<int, int> BomTest::StartAndIncrement() {
  int start = 0, increment = 0;
  Dlg().GetStartAndIncrement(start, increment);
  return {start, increment};
}

// ---- the running command --------------------------------------------------------------------

void BomCommandTest::SetUp() {
  BomTest::SetUp();
  static std::atomic<int> sequence{0};
  directory_ = std::filesystem::temp_directory_path() /
               ("moldbom-com-" + std::to_string(::getpid()) + "-" + std::to_string(sequence++));
  std::filesystem::remove_all(directory_);
  std::filesystem::create_directories(directory_);
}

void BomCommandTest::TearDown() {
  EndCommand();
  QORMoldDocument::SetCurrent(nullptr);
  document_.reset();
  EXPECT_EQ(presenter_.checks, Strings{});
  BomTest::TearDown();
  std::error_code ignored;
  std::filesystem::permissions(directory_, std::filesystem::perms::owner_all, ignored);
  for (const auto& entry : std::filesystem::directory_iterator(directory_, ignored))
    std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all, ignored);
  std::filesystem::remove_all(directory_, ignored);
}

QORMldBOMDlg& BomCommandTest::Dlg() {
  QORMldBOMDlg* dialog = Command().GetDialog();
  if (!dialog) {
    ADD_FAILURE() << "the BOM command has no dialog";
    std::abort();
  }
  return *dialog;
}

void BomCommandTest::LoadMold(const std::string& json) {
  auto result = QORMoldDocument::LoadText(json, "test-mold.json");
  ASSERT_TRUE(result.Ok()) << result.Error().Message();
  document_ = std::move(result).Value();
  QORMoldDocument::SetCurrent(document_.get());
}

QORMldBOMCom& BomCommandTest::Command() {
  if (!QORCommandHost::RunningCommand()) {
    EXPECT_TRUE(QORCommandHost::StartCommand("QORMldBOMCom"));
  }
  auto* command = dynamic_cast<QORMldBOMCom*>(QORCommandHost::RunningCommand());
  if (!command) {
    ADD_FAILURE() << "the BOM command is not running";
    std::abort();
  }
  return *command;
}

void BomCommandTest::Select(const std::string& instancePath) {
  Command();
  ASSERT_TRUE(document_) << "no mold loaded";
  QORIProduct_var product = document_->FindByPath(instancePath);
  ASSERT_TRUE(product) << instancePath;
  QORPathElement* raw = nullptr;
  ASSERT_TRUE(SUCCEEDED(QORIPathAccess_var(product)->GetPathElement(raw)) && raw);
  QORPathElement_var path(raw);
  raw->Release();
  QORCommandHost::Select(path);
  EndEvent();
}

std::vector<Strings> BomCommandTest::Table() {
  std::vector<Strings> rows;
  for (int row = 1; row < Dlg().GetNumberOfLines(); ++row) {
    QORListOfQORUnicodeString cells;
    Dlg().GetLine(row, cells);
    rows.push_back(Texts(cells));
  }
  return rows;
}

// ---- the dialog alone -----------------------------------------------------------------------

void DialogTest::SetUp() {
  BomTest::SetUp();
  dialog_ = new QORMldBOMDlg();
  dialog_->Build();
}

// The dialog goes the way a closed dialog goes: delayed destruction at the end of the event.
void DialogTest::TearDown() {
  dialog_->RequestDelayedDestruction();
  QORCommandHost::EndOfUserEvent();
  BomTest::TearDown();
}

void DialogTest::AddRow(const Strings& cells) {
  Strings values = cells;
  values.resize(std::max<std::size_t>(values.size(), 9));
  Dlg().DisplayReport(UnicodeList(values), QORListOfInt{0, 0, 0, 0, 0, 0, 0, 0});
}

const char* const TinyMoldProducts = R"(
  "pin": {"partNumber": "PIN-4", "properties": {"bom": true},
          "parameters": [{"name": "UnitPrice", "type": "real", "value": 2.5}],
          "userProperties": [{"name": "Material", "type": "string", "value": "1.2344"},
                             {"name": "Coating", "type": "string", "value": "TiN"}]},
  "plate": {"partNumber": "PL-1", "properties": {"bom": true},
            "parameters": [{"name": "UnitPrice", "type": "real", "value": 100}],
            "userProperties": [{"name": "SurfaceCoating", "type": "string", "value": "none"}]},
  "screw": {"partNumber": "SC-8", "parameters": [{"name": "UnitPrice", "type": "string", "value": "0.4"}]})";

// The editor must be current before the dialog is made: the dialog takes it at construction.
void MoldDialogTest::SetUp() {
  auto loaded = QORMoldDocument::LoadText(
      MoldFile("Pin.1:pin Pin.2:pin Pin.3:pin Pin.4:pin Plate.1:plate Screw.1:screw Screw.2:screw", TinyMoldProducts),
      "tiny.json");
  ASSERT_TRUE(loaded.Ok()) << loaded.Error().Message();
  document_ = std::move(loaded).Value();
  QORMoldDocument::SetCurrent(document_.get());
  auto* editor = new QORFrmEditor();
  editor->SetContextPath(document_->ContextPath());
  QORFrmEditor::SetCurrentEditor(editor);
  editor->Release();
  DialogTest::SetUp();

  Dlg().InitReport();
  QORListValQORBaseUnknown_var instances;
  QORListValQORISpecObject_var prices;
  for (const char* name : {"Pin.1", "Pin.2", "Pin.3", "Pin.4", "Plate.1", "Screw.1", "Screw.2"}) {
    instances.Append(QORBaseUnknown_var(Instance(name)));
    prices.Append(QORISpecObject_var(UnitPrice(name)));
  }
  AddRow({"1", "4", "PIN-4"});
  Dlg().SetAssociatedPart(Instance("Pin.1"));
  Dlg().AddBlankLine();
  AddRow({"2", "1", "PL-1"});
  Dlg().SetAssociatedPart(Instance("Plate.1"));
  AddRow({"3", "2", "SC-8"});
  Dlg().SetAssociatedPart(Instance("Screw.1"));
  Dlg().SetAllParts(instances, UnicodeList({"Pin.1;Pin.2;Pin.3;Pin.4", "Screw.1;Screw.2"}), prices);
}

void MoldDialogTest::TearDown() {
  DialogTest::TearDown();
  QORFrmEditor::SetCurrentEditor(nullptr);
  QORMoldDocument::SetCurrent(nullptr);
  document_.reset();
}

QORIProduct_var MoldDialogTest::Instance(const std::string& name) { return document_->FindByPath("MOLD/" + name); }

QORICkeParm_var MoldDialogTest::UnitPrice(const std::string& name) {
  QORIParmPublisher_var publisher(Instance(name)->GetReferenceProduct());
  QORListValQORISpecObject_var parameters;
  if (publisher) publisher->GetAllChildren(QORICkeParm::ClassName(), parameters);
  for (const QORISpecObject_var& object : parameters)
    if (QORICkeParm_var parameter(object); parameter && parameter->GetName() == "UnitPrice") return parameter;
  return nullptr;
}

}  // namespace bomtest
