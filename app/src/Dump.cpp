// The deterministic state printer behind `dump`.
#include "Dump.h"

#include <algorithm>
#include <vector>

#include "HostSession.h"
#include "JournalSyntax.h"
#include "QORCommandEngine.h"
#include "QORDialogToolkit.h"
#include "QOREditor.h"
#include "QORFileBoxes.h"
#include "QORMoldComponents.h"
#include "WidgetKind.h"

namespace moldbom {
namespace {

std::string Indent(int depth) { return std::string(static_cast<std::size_t>(depth) * 2, ' '); }

std::string Visibility(int value) {
  if (value == QORDlgShow) return "shown";
  if (value == QORDlgHide) return "hidden";
  return "visibility " + std::to_string(value);
}

std::string Sensitivity(int value) {
  if (value == QORDlgEnable) return "enabled";
  if (value == QORDlgDisable) return "disabled";
  return "sensitivity " + std::to_string(value);
}

std::string CheckState(int value) {
  if (value == QORDlgChecked) return "checked";
  if (value == QORDlgUnchecked) return "unchecked";
  return "state " + std::to_string(value);
}

std::string EditorRoles(const WidgetStyles& styles) {
  std::string roles;
  if (styles.readOnly) roles += " read-only";
  if (styles.integer) roles += " integer";
  if (styles.real) roles += " real";
  return roles;
}

std::string WithIcon(const QORDialog& widget) {
  return widget.GetIconName().IsEmpty() ? std::string() : " icon " + QuoteWord(widget.GetIconName().Utf8());
}

// What the user sees of a widget of that kind, after its kind and state.
std::string KindDetails(const QORDialog& widget) {
  const std::string title = " " + QuoteWord(widget.GetTitle().Utf8());
  const WidgetStyles styles = StylesOf(widget);
  switch (KindOf(widget)) {
    case WidgetKind::Dialog:
      return title + " ok-button " + Sensitivity(As<QORDlgDialog>(&widget)->GetOKSensitivity());
    case WidgetKind::Label:
      return title;
    case WidgetKind::Editor:
      return EditorRoles(styles) + " text " + QuoteWord(As<QORDlgEditor>(&widget)->GetLine().Utf8());
    case WidgetKind::PushButton:
      return title + WithIcon(widget) + (styles.repetitive ? " repetitive" : "");
    case WidgetKind::CheckButton:
      return " " + CheckState(As<QORDlgCheckButton>(&widget)->GetState()) + title;
    case WidgetKind::RadioButton:
      return " " + CheckState(As<QORDlgRadioButton>(&widget)->GetState()) + title;
    case WidgetKind::Combo:
      return " chosen " + std::to_string(As<QORDlgCombo>(&widget)->GetSelect());
    default:
      return {};
  }
}

// The kind and what the user sees of a widget, after its identifier.
std::string Describe(const QORDialog& widget) {
  return KindName(widget) + " " + Visibility(widget.GetVisibility()) + " " +
         Sensitivity(widget.GetSensitivity()) + KindDetails(widget);
}

void DumpComboLines(std::ostream& out, const QORDlgCombo& combo, int depth) {
  out << Indent(depth) << "lines";
  if (combo.GetLineCount() == 0) out << " none";
  for (int index = 0; index < combo.GetLineCount(); ++index) {
    QORUnicodeString line;
    combo.GetLine(line, index);
    out << " " << QuoteWord(line.Utf8());
  }
  out << "\n";
}

std::string CellText(const QORDlgMultiList& list, int position, int row) {
  QORUnicodeString text;
  if (list.GetColumnItem(position, text, row) != S_OK) return {};
  return text.Utf8();
}

bool ColumnIsEmpty(const QORDlgMultiList& list, int position) {
  for (int row = 0; row < list.GetLineCount(); ++row)
    if (!CellText(list, position, row).empty() || !list.GetCellIcon(position, row).IsEmpty()) return false;
  return true;
}

std::string ColumnLook(const QORDlgMultiList& list, int position) {
  return "width " + std::to_string(list.GetColumnTextWidth(position)) + " " +
         Visibility(list.GetColumnVisibility(position)) +
         (list.GetColumnEditable(position) ? " editable" : "");
}

// Hidden, empty columns alike in look, such as the spare ones, take one line together.
bool IsFoldable(const QORDlgMultiList& list, int position) {
  return list.GetColumnVisibility(position) != QORDlgShow && ColumnIsEmpty(list, position);
}

void DumpColumns(std::ostream& out, const QORDlgMultiList& list, int depth) {
  out << Indent(depth) << "columns " << list.GetColumnCount() << ", in display order\n";
  for (int position = 0; position < list.GetColumnCount();) {
    int last = position;
    if (IsFoldable(list, position))
      while (last + 1 < list.GetColumnCount() && IsFoldable(list, last + 1) &&
             ColumnLook(list, last + 1) == ColumnLook(list, position))
        ++last;
    out << Indent(depth + 1) << position;
    if (last > position) out << ".." << last;
    for (int p = position; p <= last; ++p) out << " " << QuoteWord(list.GetColumnTitle(p).Utf8());
    out << " " << ColumnLook(list, position) << "\n";
    position = last + 1;
  }
}

// Rows show their cells up to the last column that is shown or holds text.
int CellExtent(const QORDlgMultiList& list) {
  int extent = 0;
  for (int position = 0; position < list.GetColumnCount(); ++position)
    if (list.GetColumnVisibility(position) == QORDlgShow || !ColumnIsEmpty(list, position))
      extent = position + 1;
  return extent;
}

void DumpRows(std::ostream& out, const QORDlgMultiList& list, int depth) {
  const int extent = CellExtent(list);
  for (int row = 0; row < list.GetLineCount(); ++row) {
    out << Indent(depth) << "row " << row << (list.GetRowEditable(row) ? "" : " locked")
        << (list.IsRowSelected(row) ? " selected" : "") << ":";
    for (int position = 0; position < extent; ++position)
      out << " " << QuoteWord(CellText(list, position, row));
    std::string icons;
    for (int position = 0; position < list.GetColumnCount(); ++position) {
      const QORUnicodeString icon = list.GetCellIcon(position, row);
      if (!icon.IsEmpty()) icons += " " + std::to_string(position) + "=" + QuoteWord(icon.Utf8());
    }
    if (!icons.empty()) out << " icons" << icons;
    out << "\n";
  }
}

void DumpSelection(std::ostream& out, const QORDlgMultiList& list, int depth) {
  out << Indent(depth) << "selected column " << list.GetSelectedColumn() << ", rows";
  bool any = false;
  for (int row = 0; row < list.GetLineCount(); ++row)
    if (list.IsRowSelected(row)) {
      out << " " << row;
      any = true;
    }
  out << (any ? "" : " none") << "\n";
}

void DumpTable(std::ostream& out, const QORDlgMultiList& list, int depth) {
  DumpColumns(out, list, depth);
  DumpSelection(out, list, depth);
  DumpRows(out, list, depth);
}

void DumpHighlighted(std::ostream& out) {
  out << "highlighted";
  std::vector<std::string> paths;
  if (QORFrmEditor* editor = QORFrmEditor::GetCurrentEditor())
    if (QORHSO* hso = editor->GetHSO()) paths = hso->RenderedPaths();
  if (paths.empty()) out << " none";
  for (const std::string& path : paths) out << " " << QuoteWord(path);
  out << "\n";
}

void DumpWorkMode(std::ostream& out) {
  const QORListOfQORUnicodeString products = QORTlgServicesCacheList::ProductsInWorkMode();
  out << "work mode " << products.Size() << (products.Size() == 0 ? "\n" : ":\n");
  for (const QORUnicodeString& path : products) out << "  " << QuoteWord(path.Utf8()) << "\n";
}

void DumpOpenBoxes(std::ostream& out) {
  const std::vector<QOROpenBoxInfo> boxes = QORFileBoxHost::OpenBoxes();
  if (boxes.empty()) out << "open boxes none\n";
  for (const QOROpenBoxInfo& box : boxes) {
    out << "open box " << box.name << " (" << box.kind << ") title " << QuoteWord(box.title) << " directory "
        << QuoteWord(box.directory) << " file " << QuoteWord(box.fileName) << " filters";
    for (const auto& [description, pattern] : box.filters)
      out << " " << QuoteWord(description) << " " << QuoteWord(pattern);
    out << "\n";
  }
}

void DumpWidgetTree(std::ostream& out, const QORDialog& widget, int depth) {
  widget.VisitTree([&](const QORDialog& w, int level) {
    const int at = depth + level;
    out << Indent(at) << w.GetName() << " " << Describe(w) << "\n";
    if (const auto* combo = As<QORDlgCombo>(&w)) DumpComboLines(out, *combo, at + 1);
    if (const auto* list = As<QORDlgMultiList>(&w)) DumpTable(out, *list, at + 1);
  });
}

}  // namespace

void DumpSession(std::ostream& out) {
  const QORStateCommand* command = HostSession::RunningCommand();
  if (!command)
    out << "command none\n";
  else
    out << "command " << command->GetName() << " state " << QuoteWord(QORCommandHost::CurrentStateName())
        << "\n";
  if (const QORDlgDialog* dialog = HostSession::CommandDialog()) DumpWidgetTree(out, *dialog, 0);
  DumpHighlighted(out);
  DumpWorkMode(out);
  DumpOpenBoxes(out);
}

Outcome DumpWidget(std::ostream& out, const std::string& id) {
  QORDlgDialog* dialog = HostSession::CommandDialog();
  if (!dialog) return Failure{"no command is running"};
  const QORDialog* widget = id == dialog->GetName() ? dialog : dialog->FindWidget(id);
  if (!widget) return Failure{"the dialog has no widget " + id};
  DumpWidgetTree(out, *widget, 0);
  return {};
}

}  // namespace moldbom
