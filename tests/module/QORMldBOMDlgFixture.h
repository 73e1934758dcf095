// Test support for the BOM dialog: a built dialog driven by user events, and a tiny priced mold.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "QORCommandEngine.h"
#include "QOREditor.h"
#include "QORKnowledge.h"
#include "QORMessages.h"
#include "QORMldBOMDlg.h"
#include "QORMldBOMDlgTestAccess.h"
#include "QORProductStructure.h"

namespace dlgtest {

// Keeps the message keys of the warnings shown and the check failures reported.
class KeyPresenter : public QORPresenter {
 public:
  void ShowWarning(const QORMessageBox& box) override { warnings.push_back(box.titleKey + "/" + box.messageKey); }
  bool AskConfirmation(const QORMessageBox& box) override {
    warnings.push_back(box.titleKey + "/" + box.messageKey);
    return false;
  }
  void ReportCheckFailure(const std::string& expression, const std::string& file, int line) override {
    checks.push_back(expression + "@" + file + ":" + std::to_string(line));
  }
  std::vector<std::string> warnings;
  std::vector<std::string> checks;
};

// Stands for the command above the dialog: records the notifications the dialog passes up.
class FatherCommand : public QORCommand {
 public:
  void Heard(QORCommand*, QORNotification* notification, QORCommandClientData) {
    heard.push_back(notification->GetImplClassName());
  }
  std::vector<std::string> heard;
};

using Texts = std::vector<std::string>;
Texts ToTexts(const QORListOfQORUnicodeString& list);
QORListOfQORUnicodeString ToList(const Texts& texts);

// A freshly built dialog; each test acts on it as a user would, through its widgets' notifications.
class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  QORMldBOMDlg& Dlg() { return *dialog_; }
  QORDlgMultiList& List();
  template <class Widget>
  Widget& W(const char* identifier) {
    auto* widget = dynamic_cast<Widget*>(dialog_->FindWidget(identifier));
    if (!widget) throw std::runtime_error(std::string("no widget ") + identifier);
    return *widget;
  }
  bool IsEnabled(const char* identifier) { return W<QORDialog>(identifier).GetSensitivity() == QORDlgEnable; }
  bool IsShown(const char* identifier) { return W<QORDialog>(identifier).GetVisibility() == QORDlgShow; }

  void Press(const char* button);
  void SelectColumn(int position);
  void SelectRows(const std::vector<int>& rows);
  void EditCell(int row, int position, const std::string& text);
  void Type(const char* editor, const std::string& text);

  std::string Cell(int position, int row);
  // Titles of the columns the table shows, left to right.
  Texts ShownTitles();
  // One data row as the command hands it over: number, quantity, part number, then empty texts.
  void AddRow(const Texts& cells);

  // Descriptor positions of the columns in use.
  std::vector<int> Positions();

  KeyPresenter presenter_;
  std::unique_ptr<QORPresenterScope> scope_;
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
  std::vector<std::string> Highlighted();

  std::unique_ptr<QORMoldDocument> document_;
};

}  // namespace dlgtest
