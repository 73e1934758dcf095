// Test support for the BOM command: a recording presenter, tiny molds, a running command and files.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "QORCommandEngine.h"
#include "QORMessages.h"
#include "QORMldBOMCom.h"
#include "QORMldBOMComTestAccess.h"
#include "QORMldBOMDlg.h"
#include "QORProductStructure.h"

namespace comtest {

// One warning or confirmation as the user saw it.
struct BomMessage {
  std::string titleKey;
  std::string messageKey;
  std::vector<std::string> params;
  bool confirmation = false;

  friend bool operator==(const BomMessage&, const BomMessage&) = default;
};
std::ostream& operator<<(std::ostream& out, const BomMessage& message);

// Records what the command shows and answers its confirmations from a queue (declines when empty).
class RecordingPresenter : public QORPresenter {
 public:
  void ShowWarning(const QORMessageBox& box) override;
  bool AskConfirmation(const QORMessageBox& box) override;
  void ReportCheckFailure(const std::string& expression, const std::string& file, int line) override;

  std::vector<BomMessage> messages;
  std::deque<bool> answers;
};

// A mold product of a test: its JSON object, keyed by product id.
std::string MoldFile(const std::string& rootInstances, const std::string& products);

// Each test runs one BOM command in the host's engine on a mold of its own.
class BomCommandTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  void LoadMold(const std::string& json);
  // Starts the command as the host does: factory, graph, activation, initial state.
  QORMldBOMCom& Command();
  QORMldBOMDlg& Dialog();
  // The user picks an occurrence ("MOLD/Sub.1"; the root's name alone for the root).
  void Select(const std::string& instancePath);
  void EndEvent();
  void EndCommand();

  // The table as the user sees it: every row after the marker row, visible cells left to right.
  std::vector<std::vector<std::string>> Table();
  // One column of the data rows (blank rows left out), by visible position.
  std::vector<std::string> Column(int position);

  std::string Path(const std::string& name) const;
  static std::string ReadFile(const std::string& path);
  static void WriteFile(const std::string& path, const std::string& content);
  static bool Exists(const std::string& path);

  std::vector<std::string> MessageKeys() const;

  RecordingPresenter presenter_;
  std::unique_ptr<QORPresenterScope> presenterScope_;
  std::unique_ptr<QORMoldDocument> document_;
  std::filesystem::path directory_;
};

// Unicode strings of the module as plain strings, for readable expectations.
std::vector<std::string> Texts(const QORListOfQORUnicodeString& list);
std::vector<int> Integers(const QORListOfInt& list);
QORListOfQORUnicodeString UnicodeList(const std::vector<std::string>& texts);

}  // namespace comtest
