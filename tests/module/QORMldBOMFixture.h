// Test support for the BOM module: a recording presenter, small molds from compact JSON, the BOM
// command running in the host's engine, and a built dialog driven through its widgets.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "QORCommandEngine.h"
#include "QOREditor.h"
#include "QORKnowledge.h"
#include "QORMessages.h"
#include "QORMldBOMCom.h"
#include "QORMldBOMComTestAccess.h"
#include "QORMldBOMDlg.h"
#include "QORMldBOMDlgTestAccess.h"
#include "QORProductStructure.h"
#include "TestFiles.h"

namespace bomtest {

using Strings = std::vector<std::string>;
Strings Texts(const QORListOfQORUnicodeString& list);
std::vector<int> Integers(const QORListOfInt& list);
QORListOfQORUnicodeString UnicodeList(const Strings& texts);

// One warning or confirmation as the user saw it.
struct BomMessage {
  std::string titleKey;
  std::string messageKey;
  std::vector<std::string> params;
  bool confirmation = false;

  friend bool operator==(const BomMessage&, const BomMessage&) = default;
};
std::ostream& operator<<(std::ostream& out, const BomMessage& message);

// Records what the module shows and answers its confirmations from a queue (declines when empty).
class RecordingPresenter : public QORPresenter {
 public:
  void ShowWarning(const QORMessageBox& box) override;
  bool AskConfirmation(const QORMessageBox& box) override;
  void ReportCheckFailure(const std::string& expression, const std::string& file, int line) override;
  void ReportFileProblem(const QORFileProblem& problem) override { fileProblems.push_back(problem); }

  std::vector<BomMessage> messages;
  std::vector<QORFileProblem> fileProblems;
  std::deque<bool> answers;
  Strings checks;
};

// Stands for the command above a dialog: counts the notifications the dialog passes up.
class FatherCommand : public QORCommand {
 public:
  void Heard(QORCommand*, QORNotification*, QORCommandClientData) { ++heard; }
  int heard = 0;
};

// A mold whose root (part number MOLD) holds the instances "Name:product Name:product ..." and
// whose other products are the JSON members given.
std::string MoldFile(const std::string& instances, const std::string& products);

// What every module test shares: the presenter, and the dialog's widgets as a user reaches them.
class BomTest : public ::testing::Test {
 protected:
  void SetUp() override { presenterScope_ = std::make_unique<QORPresenterScope>(&presenter_); }
  void TearDown() override { presenterScope_.reset(); }

  virtual QORMldBOMDlg& Dlg() = 0;
  QORDlgMultiList& List() { return W<QORDlgMultiList>("ListBOM"); }
  template <class Widget>
  Widget& W(const char* identifier) {
    auto* widget = dynamic_cast<Widget*>(Dlg().FindWidget(identifier));
    if (!widget) throw std::runtime_error(std::string("no widget ") + identifier);
    return *widget;
  }
  bool IsEnabled(const char* identifier) { return W<QORDialog>(identifier).GetSensitivity() == QORDlgEnable; }
  bool IsShown(const char* identifier) { return W<QORDialog>(identifier).GetVisibility() == QORDlgShow; }

  void Press(const char* button) {
    auto& push = W<QORDlgPushButton>(button);
    push.Dispatch(push.GetPushBActivateNotification());
  }
  void SelectColumn(int position) {
    List().SetSelectedColumn(position);
    List().Dispatch(List().GetListColumnActivateNotification());
  }
  void SelectRows(const std::vector<int>& rows) {
    List().SetSelect(rows);
    List().Dispatch(List().GetListSelectNotification());
  }
  void EditCell(int row, int position, const std::string& text) {
    List().SetColumnItem(position, text, row, QORDlgDataModify);
    List().SetModifiedCell(row, position);
    List().Dispatch(List().GetListCellModifyNotification());
  }
  void Type(const char* editor, const std::string& text) { W<QORDlgEditor>(editor).SetLine(text, -1, 1); }
  std::string Cell(int position, int row) {
    QORUnicodeString text;
    List().GetColumnItem(position, text, row);
    return text.Utf8();
  }
  // Descriptor positions of the columns in use.
  std::vector<int> Positions();
  std::pair<int, int> StartAndIncrement();

  RecordingPresenter presenter_;
  std::unique_ptr<QORPresenterScope> presenterScope_;
};

// Each test runs one BOM command in the host's engine on a mold of its own, with a folder of its own.
class BomCommandTest : public BomTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  QORMldBOMDlg& Dlg() override;
  void LoadMold(const std::string& json);
  // Starts the command as the host does: factory, graph, activation, initial state.
  QORMldBOMCom& Command();
  // The user picks an occurrence ("MOLD/Sub.1"; the root's name alone for the root).
  void Select(const std::string& instancePath);
  static void EndEvent() { QORCommandHost::EndOfUserEvent(); }
  static void EndCommand() {
    QORCommandHost::CancelRunningCommand();
    QORCommandHost::EndOfUserEvent();
  }

  // The table as the user sees it: every row after the marker row, visible cells left to right.
  std::vector<Strings> Table();

  std::string Path(const std::string& name) const { return (directory_ / name).string(); }
  static std::string ReadFile(const std::string& path) { return testfiles::ReadFile(path); }
  static void WriteFile(const std::string& path, const std::string& content) { testfiles::WriteFile(path, content); }
  static bool Exists(const std::string& path) { return std::filesystem::exists(path); }

  std::unique_ptr<QORMoldDocument> document_;
  std::filesystem::path directory_;
};

// A freshly built dialog without a command; each test acts on it as a user would.
class DialogTest : public BomTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  QORMldBOMDlg& Dlg() override { return *dialog_; }
  // One data row as the command hands it over: number, quantity, part number, then empty texts.
  void AddRow(const Strings& cells);

  QORMldBOMDlg* dialog_ = nullptr;
};

// A dialog showing three BOM lines of a tiny mold, with the editor of that mold current:
// row 1 the four pins (group), row 2 a blank line, row 3 the plate (no group), row 4 the two screws.
class MoldDialogTest : public DialogTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  QORIProduct_var Instance(const std::string& name);
  QORICkeParm_var UnitPrice(const std::string& name);

  std::unique_ptr<QORMoldDocument> document_;
};

}  // namespace bomtest
