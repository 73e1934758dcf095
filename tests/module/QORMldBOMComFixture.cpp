// Test support for the BOM command: a recording presenter, tiny molds, a running command and files.
#include "QORMldBOMComFixture.h"

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace comtest {

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

void RecordingPresenter::ReportCheckFailure(const std::string& expression, const std::string&, int) {
  ADD_FAILURE() << "check failure: " << expression;
}

std::string MoldFile(const std::string& rootInstances, const std::string& products) {
  std::string json = R"({"format": "moldbom-assembly", "version": 1, "root": "mold", "products": {)";
  json += R"("mold": {"partNumber": "MOLD", "instances": [)" + rootInstances + "]}";
  if (!products.empty()) json += ", " + products;
  json += "}}";
  return json;
}

void BomCommandTest::SetUp() {
  presenterScope_ = std::make_unique<QORPresenterScope>(&presenter_);
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
  presenterScope_.reset();
  std::error_code ignored;
  std::filesystem::permissions(directory_, std::filesystem::perms::owner_all, ignored);
  for (const auto& entry : std::filesystem::directory_iterator(directory_, ignored))
    std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all, ignored);
  std::filesystem::remove_all(directory_, ignored);
}

void BomCommandTest::LoadMold(const std::string& json) {
  QORMoldLoadResult result = QORMoldDocument::LoadText(json, "test-mold.json");
  ASSERT_TRUE(result.Ok()) << result.Error().Message();
  document_ = result.TakeDocument();
  QORMoldDocument::SetCurrent(document_.get());
}

QORMldBOMCom& BomCommandTest::Command() {
  if (!QORCommandHost::RunningCommand()) {
    const std::string error = QORCommandHost::StartCommand("QORMldBOMCom");
    EXPECT_EQ(error, "");
  }
  auto* command = dynamic_cast<QORMldBOMCom*>(QORCommandHost::RunningCommand());
  if (!command) {
    ADD_FAILURE() << "the BOM command is not running";
    std::abort();
  }
  return *command;
}

QORMldBOMDlg& BomCommandTest::Dialog() {
  QORMldBOMDlg* dialog = Command().GetDialog();
  if (!dialog) {
    ADD_FAILURE() << "the BOM command has no dialog";
    std::abort();
  }
  return *dialog;
}

void BomCommandTest::Select(const std::string& instancePath) {
  Command();
  ASSERT_TRUE(document_) << "no mold loaded";
  QORIProduct_var product = document_->FindByPath(instancePath);
  ASSERT_TRUE(product) << instancePath;
  QORIPathAccess_var access(product);
  ASSERT_TRUE(access);
  QORPathElement* raw = nullptr;
  ASSERT_TRUE(SUCCEEDED(access->GetPathElement(raw)) && raw);
  QORPathElement_var path(raw);
  raw->Release();
  QORCommandHost::Select(path);
  EndEvent();
}

void BomCommandTest::EndEvent() { QORCommandHost::EndOfUserEvent(); }

void BomCommandTest::EndCommand() {
  QORCommandHost::CancelRunningCommand();
  QORCommandHost::EndOfUserEvent();
}

std::vector<std::vector<std::string>> BomCommandTest::Table() {
  std::vector<std::vector<std::string>> rows;
  const int count = Dialog().GetNumberOfLines();
  for (int row = 1; row < count; ++row) {
    QORListOfQORUnicodeString cells;
    Dialog().GetLine(row, cells);
    rows.push_back(Texts(cells));
  }
  return rows;
}

std::vector<std::string> BomCommandTest::Column(int position) {
  std::vector<std::string> column;
  for (const std::vector<std::string>& row : Table()) {
    if (row.empty() || row[0].empty()) continue;
    column.push_back(position < static_cast<int>(row.size()) ? row[static_cast<std::size_t>(position)] : "?");
  }
  return column;
}

std::string BomCommandTest::Path(const std::string& name) const { return (directory_ / name).string(); }

std::string BomCommandTest::ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void BomCommandTest::WriteFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

bool BomCommandTest::Exists(const std::string& path) { return std::filesystem::exists(path); }

std::vector<std::string> BomCommandTest::MessageKeys() const {
  std::vector<std::string> keys;
  for (const BomMessage& message : presenter_.messages) keys.push_back(message.messageKey);
  return keys;
}

std::vector<std::string> Texts(const QORListOfQORUnicodeString& list) {
  std::vector<std::string> texts;
  for (const QORUnicodeString& text : list) texts.push_back(text.Utf8());
  return texts;
}

std::vector<int> Integers(const QORListOfInt& list) { return std::vector<int>(list.begin(), list.end()); }

QORListOfQORUnicodeString UnicodeList(const std::vector<std::string>& texts) {
  QORListOfQORUnicodeString list;
  for (const std::string& text : texts) list.Append(QORUnicodeString(text));
  return list;
}

}  // namespace comtest
