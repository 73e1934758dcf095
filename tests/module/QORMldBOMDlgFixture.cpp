// Test support for the BOM dialog: building, driving and reading a dialog, and the tiny mold.
#include "QORMldBOMDlgFixture.h"

#include <stdexcept>

namespace dlgtest {

Texts ToTexts(const QORListOfQORUnicodeString& list) {
  Texts texts;
  for (const QORUnicodeString& text : list) texts.push_back(text.Utf8());
  return texts;
}

QORListOfQORUnicodeString ToList(const Texts& texts) {
  QORListOfQORUnicodeString list;
  for (const std::string& text : texts) list.Append(QORUnicodeString(text));
  return list;
}

void DialogTest::SetUp() {
  scope_ = std::make_unique<QORPresenterScope>(&presenter_);
  dialog_ = new QORMldBOMDlg();
  dialog_->Build();
}

// The dialog goes the way a closed dialog goes: delayed destruction at the end of the event.
void DialogTest::TearDown() {
  dialog_->RequestDelayedDestruction();
  QORCommandHost::EndOfUserEvent();
  scope_.reset();
}

QORDlgMultiList& DialogTest::List() { return W<QORDlgMultiList>("ListBOM"); }

void DialogTest::Press(const char* button) {
  auto& push = W<QORDlgPushButton>(button);
  push.Dispatch(push.GetPushBActivateNotification());
}

void DialogTest::SelectColumn(int position) {
  List().SetSelectedColumn(position);
  List().Dispatch(List().GetListColumnActivateNotification());
}

void DialogTest::SelectRows(const std::vector<int>& rows) {
  List().SetSelect(rows);
  List().Dispatch(List().GetListSelectNotification());
}

void DialogTest::EditCell(int row, int position, const std::string& text) {
  List().SetColumnItem(position, text, row, QORDlgDataModify);
  List().SetModifiedCell(row, position);
  List().Dispatch(List().GetListCellModifyNotification());
}

void DialogTest::Type(const char* editor, const std::string& text) { W<QORDlgEditor>(editor).SetLine(text, -1, 1); }

std::string DialogTest::Cell(int position, int row) {
  QORUnicodeString text;
  List().GetColumnItem(position, text, row);
  return text.Utf8();
}

Texts DialogTest::ShownTitles() {
  Texts titles;
  for (int p = 0; p < List().GetColumnCount(); ++p)
    if (List().GetColumnVisibility(p) == QORDlgShow) titles.push_back(List().GetColumnTitle(p).Utf8());
  return titles;
}

void DialogTest::AddRow(const Texts& cells) {
  Texts values = cells;
  values.resize(std::max<std::size_t>(values.size(), 9));
  QORListOfInt widths;
  for (int i = 0; i < 8; ++i) widths.Append(0);
  Dlg().DisplayReport(ToList(values), widths);
}

std::vector<int> DialogTest::Positions() {
  const QORListOfInt& all = QORMldBOMDlgTestAccess::Positions(Dlg());
  return {all.begin(), all.begin() + Dlg().GetNumberOfItems()};
}

namespace {

const char* const TinyMold = R"({"format": "moldbom-assembly", "version": 1, "root": "mold", "products": {
  "mold": {"partNumber": "M-1", "instances": [
    {"name": "Pin.1", "of": "pin"}, {"name": "Pin.2", "of": "pin"}, {"name": "Pin.3", "of": "pin"},
    {"name": "Pin.4", "of": "pin"}, {"name": "Plate.1", "of": "plate"},
    {"name": "Screw.1", "of": "screw"}, {"name": "Screw.2", "of": "screw"}]},
  "pin": {"partNumber": "PIN-4", "properties": {"bom": true},
          "parameters": [{"name": "UnitPrice", "type": "real", "value": 2.5}],
          "userProperties": [{"name": "Material", "type": "string", "value": "1.2344"},
                             {"name": "Coating", "type": "string", "value": "TiN"}]},
  "plate": {"partNumber": "PL-1", "properties": {"bom": true},
            "parameters": [{"name": "UnitPrice", "type": "real", "value": 100}],
            "userProperties": [{"name": "SurfaceCoating", "type": "string", "value": "none"}]},
  "screw": {"partNumber": "SC-8", "parameters": [{"name": "UnitPrice", "type": "string", "value": "0.4"}]}}})";

}  // namespace

// The editor must be current before the dialog is made: the dialog takes it at construction.
void MoldDialogTest::SetUp() {
  QORMoldLoadResult loaded = QORMoldDocument::LoadText(TinyMold, "tiny.json");
  ASSERT_TRUE(loaded.Ok()) << loaded.Error().Message();
  document_ = loaded.TakeDocument();
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
  Dlg().SetAllParts(instances, ToList({"Pin.1;Pin.2;Pin.3;Pin.4", "Screw.1;Screw.2"}), prices);
}

void MoldDialogTest::TearDown() {
  DialogTest::TearDown();
  QORFrmEditor::SetCurrentEditor(nullptr);
  QORMoldDocument::SetCurrent(nullptr);
  document_.reset();
}

QORIProduct_var MoldDialogTest::Instance(const std::string& name) { return document_->FindByPath("M-1/" + name); }

QORICkeParm_var MoldDialogTest::UnitPrice(const std::string& name) {
  QORIParmPublisher_var publisher(Instance(name)->GetReferenceProduct());
  QORListValQORISpecObject_var parameters;
  if (publisher) publisher->GetAllChildren(QORICkeParm::ClassName(), parameters);
  for (const QORISpecObject_var& object : parameters)
    if (QORICkeParm_var parameter(object); parameter && parameter->GetName() == "UnitPrice") return parameter;
  return nullptr;
}

std::vector<std::string> MoldDialogTest::Highlighted() {
  QORFrmEditor* editor = QORFrmEditor::GetCurrentEditor();
  return editor && editor->GetHSO() ? editor->GetHSO()->RenderedPaths() : std::vector<std::string>{};
}

}  // namespace dlgtest
