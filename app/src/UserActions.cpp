// User events on the running command's dialog, its boxes and the product tree.
#include "UserActions.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

#include "HostSession.h"
#include "QORCommandEngine.h"
#include "QORDialogToolkit.h"
#include "QORFileBoxes.h"
#include "QORProductStructure.h"
#include "QORSystemServices.h"
#include "JournalSyntax.h"
#include "WidgetKind.h"

namespace moldbom {
namespace {

// Why a user could not act on the widget: it, or the frame or dialog around it, is hidden or
// greyed out. Empty when it is usable.
std::string WhyNotUsable(const QORDialog& widget) {
  for (const QORDialog* w = &widget; w; w = w->GetParent()) {
    const char* state = w->GetVisibility() != QORDlgShow      ? "hidden"
                        : w->GetSensitivity() != QORDlgEnable ? "disabled"
                                                              : nullptr;
    if (state) {
      if (w == &widget) return widget.GetName() + " is " + state;
      return widget.GetName() + " is in " + w->GetName() + ", which is " + state;
    }
    if (KindOf(*w) == WidgetKind::Dialog) break;
  }
  return {};
}

Expected<QORDialog*> FindWidget(const std::string& id) {
  QORDlgDialog* dialog = HostSession::CommandDialog();
  if (!dialog) return Failure{"no command is running"};
  QORDialog* widget = id == dialog->GetName() ? dialog : dialog->FindWidget(id);
  if (!widget) return Failure{"the dialog has no widget " + id};
  return widget;
}

// The usable widget of that identifier and kind.
template <class Widget>
Expected<Widget*> FindUsable(const std::string& id, const char* kind) {
  Expected<QORDialog*> found = FindWidget(id);
  if (!found) return Failure{found.Why()};
  auto* widget = As<Widget>(found.Value());
  if (!widget)
    return Failure{id + " is " + WithArticle(KindName(*found.Value())) + ", not " + WithArticle(kind)};
  if (std::string why = WhyNotUsable(*widget); !why.empty()) return Failure{why};
  return widget;
}

bool IsRealNumber(const std::string& text) {
  const char* first = text.data();
  const char* last = text.data() + text.size();
  if (first != last && *first == '+') ++first;
  double value = 0;
  const auto [end, error] = std::from_chars(first, last, value);
  return first != last && error == std::errc() && end == last && std::isfinite(value);
}

Outcome CheckColumn(const QORDlgMultiList& list, int position) {
  if (position < 0 || position >= list.GetColumnCount())
    return Failure{list.GetName() + " has no column at display position " + std::to_string(position) +
                   " (0 to " + std::to_string(list.GetColumnCount() - 1) + ")"};
  if (list.GetColumnVisibility(position) != QORDlgShow)
    return Failure{"the column at display position " + std::to_string(position) + " of " + list.GetName() +
                   " is hidden"};
  return {};
}

Outcome CheckRow(const QORDlgMultiList& list, int row) {
  if (row >= 0 && row < list.GetLineCount()) return {};
  return Failure{list.GetName() + " has no row " + std::to_string(row) + " (rows 0 to " +
                 std::to_string(list.GetLineCount() - 1) + ")"};
}

template <class T, class... Args>
QORVar<T> MakeHostObject(Args&&... args) {
  T* created = new T(std::forward<Args>(args)...);
  QORVar<T> handle(created);
  if (created) created->Release();
  return handle;
}

// The path of a product in the product tree, from the root occurrence down to it.
QORPathElement_var PathFromRoot(const QORIProduct_var& product) {
  std::vector<QORBaseUnknown_var> chain;
  for (QORIProduct_var p = product; p; p = p->GetFatherProduct()) chain.emplace_back(p.Get());
  QORListValQORBaseUnknown_var elements;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) elements.Append(*it);
  return MakeHostObject<QORPathElement>(std::move(elements));
}

std::optional<QOROpenBoxInfo> OpenBoxNamed(const std::string& name) {
  const std::vector<QOROpenBoxInfo> boxes = QORFileBoxHost::OpenBoxes();
  const auto it =
      std::find_if(boxes.rbegin(), boxes.rend(), [&](const QOROpenBoxInfo& b) { return b.name == name; });
  if (it == boxes.rend()) return std::nullopt;
  return *it;
}

std::string PresetPath(const QOROpenBoxInfo& box) {
  if (box.directory.empty() || box.fileName.empty()) return box.directory + box.fileName;
  return box.directory + (box.directory.back() == '/' ? "" : "/") + box.fileName;
}

// The character of set that text holds, named for a refusal; empty when it holds none.
std::string ForbiddenCharacter(const std::string& text, std::string_view set) {
  const std::size_t at = text.find_first_of(set);
  if (at == std::string::npos) return {};
  switch (text[at]) {
    case ';': return "a semicolon";
    case '\r': return "a carriage return";
    case '\n': return "a line feed";
    default: return "a NUL character";
  }
}

// Every text typed ends up in a one-line record of the profile or the report: a line break would
// split it and a NUL cut it. Cells are also split at ";" when the profile is read back.
constexpr std::string_view kLineBreaksAndNul("\r\n\0", 3);
constexpr std::string_view kCellSeparators(";\r\n\0", 4);

Outcome Accepted() {
  QORCommandHost::EndOfUserEvent();
  // The files a command read and wrote stay locked against other runs until it ends.
  if (!QORCommandHost::RunningCommand()) QORFReleaseLocks();
  return {};
}

}  // namespace

Outcome UserActions::Start(const std::string& className) {
  if (!session_.HasMold()) return Failure{"no mold is loaded"};
  if (Outcome started = QORCommandHost::StartCommand(className); !started) return started;
  session_.NoteCommandStarted(className);
  return Accepted();
}

Outcome UserActions::Select(const std::string& instancePath) {
  if (!HostSession::RunningCommand()) return Failure{"no command is running"};
  const QORMoldDocument* document = session_.Document();
  if (!document) return Failure{"no mold is loaded"};
  const QORIProduct_var product = document->FindByPath(instancePath);
  if (!product)
    return Failure{"no product at " + instancePath + " in the product tree (its root is " +
                   QORMoldDocument::InstancePath(document->Root()) + ")"};
  QORCommandHost::Select(PathFromRoot(product));
  return Accepted();
}

Outcome UserActions::Push(const std::string& id) {
  Expected<QORDlgPushButton*> button = FindUsable<QORDlgPushButton>(id, "push-button");
  if (!button) return Failure{button.Why()};
  button.Value()->Dispatch(button.Value()->GetPushBActivateNotification());
  return Accepted();
}

Outcome UserActions::Hold(const std::string& id) {
  Expected<QORDlgPushButton*> button = FindUsable<QORDlgPushButton>(id, "push-button");
  if (!button) return Failure{button.Why()};
  if (!StylesOf(*button.Value()).repetitive)
    return Failure{id + " does not repeat while held down"};
  button.Value()->Dispatch(button.Value()->GetPushBRepetitiveNotification());
  return Accepted();
}

Outcome UserActions::Check(const std::string& id, bool on) {
  Expected<QORDialog*> found = FindWidget(id);
  if (!found) return Failure{found.Why()};
  if (auto* radio = As<QORDlgRadioButton>(found.Value())) {
    if (std::string why = WhyNotUsable(*radio); !why.empty()) return Failure{why};
    if (!on)
      return Failure{"a click cannot uncheck the radio button " + id + ": check another one of its frame"};
    QORDlgRadioButton::ClickExclusive(radio);
    return Accepted();
  }
  Expected<QORDlgCheckButton*> box = FindUsable<QORDlgCheckButton>(id, "check-button");
  if (!box) return Failure{box.Why()};
  const int state = on ? QORDlgChecked : QORDlgUnchecked;
  // A user clicks only to change the state; asking for the state it has is no click at all.
  if (box.Value()->GetState() != state) {
    box.Value()->SetState(state);
    box.Value()->Dispatch(box.Value()->GetChkBModifyNotification());
  }
  return Accepted();
}

Outcome UserActions::Type(const std::string& id, const std::string& text) {
  Expected<QORDlgEditor*> found = FindUsable<QORDlgEditor>(id, "editor");
  if (!found) return Failure{found.Why()};
  QORDlgEditor& editor = *found.Value();
  const WidgetStyles styles = StylesOf(editor);
  if (styles.readOnly) return Failure{id + " only shows text; it takes no typing"};
  if (std::string what = ForbiddenCharacter(text, kLineBreaksAndNul); !what.empty())
    return Failure{id + " takes one line of text, without " + what};
  if (styles.integer && !WholeNumber(text))
    return Failure{id + " takes a whole number, not \"" + text + "\""};
  if (styles.real && !IsRealNumber(text))
    return Failure{id + " takes a number, not \"" + text + "\""};
  editor.SetLine(text);
  editor.Dispatch(editor.GetEditModifyNotification());
  return Accepted();
}

Outcome UserActions::Column(const std::string& id, int position) {
  Expected<QORDlgMultiList*> found = FindUsable<QORDlgMultiList>(id, "multi-list");
  if (!found) return Failure{found.Why()};
  QORDlgMultiList& list = *found.Value();
  if (Outcome column = CheckColumn(list, position); !column) return column;
  list.SetSelectedColumn(position);
  list.Dispatch(list.GetListColumnActivateNotification());
  return Accepted();
}

Outcome UserActions::Rows(const std::string& id, const std::vector<int>& rows) {
  Expected<QORDlgMultiList*> found = FindUsable<QORDlgMultiList>(id, "multi-list");
  if (!found) return Failure{found.Why()};
  QORDlgMultiList& list = *found.Value();
  for (int row : rows)
    if (Outcome valid = CheckRow(list, row); !valid) return valid;
  if (rows.empty())
    list.ClearSelect();
  else
    list.SetSelect(rows);
  list.Dispatch(list.GetListSelectNotification());
  return Accepted();
}

Outcome UserActions::Cell(const std::string& id, int row, int position, const std::string& text) {
  Expected<QORDlgMultiList*> found = FindUsable<QORDlgMultiList>(id, "multi-list");
  if (!found) return Failure{found.Why()};
  QORDlgMultiList& list = *found.Value();
  if (Outcome valid = CheckRow(list, row); !valid) return valid;
  if (Outcome column = CheckColumn(list, position); !column) return column;
  if (!list.IsCellEditable(position, row))
    return Failure{"the cell at row " + std::to_string(row) + ", display position " +
                   std::to_string(position) + " of " + id + " is not editable"};
  if (std::string what = ForbiddenCharacter(text, kCellSeparators); !what.empty())
    return Failure{"a cell of " + id + " takes no " + what.substr(what.find(' ') + 1) +
                   " (the profile keeps each row on one line, its cells separated by \";\")"};
  list.SetColumnItem(position, text, row, QORDlgDataModify);
  list.SetModifiedCell(row, position);
  list.Dispatch(list.GetListCellModifyNotification());
  return Accepted();
}

Outcome UserActions::Combo(const std::string& id, const std::string& text) {
  Expected<QORDlgCombo*> found = FindUsable<QORDlgCombo>(id, "combo");
  if (!found) return Failure{found.Why()};
  QORDlgCombo& combo = *found.Value();
  for (int index = 0; index < combo.GetLineCount(); ++index) {
    QORUnicodeString line;
    combo.GetLine(line, index);
    if (line.Utf8() != text) continue;
    combo.SetSelect(index);
    combo.Dispatch(combo.GetComboSelectNotification());
    return Accepted();
  }
  return Failure{id + " has no line \"" + text + "\""};
}

Outcome UserActions::File(const std::string& boxName, bool ok, const std::optional<std::string>& path) {
  const std::optional<QOROpenBoxInfo> box = OpenBoxNamed(boxName);
  if (!box) return Failure{"no open box named " + boxName};
  const std::string chosen = ok ? path.value_or(PresetPath(*box)) : std::string();
  if (Outcome answered = QORFileBoxHost::Answer(boxName, ok, chosen); !answered) return answered;
  return Accepted();
}

Outcome UserActions::Close(CloseKind kind) {
  QORDlgDialog* dialog = HostSession::CommandDialog();
  if (!dialog) return Failure{"no command is running"};
  if (std::string why = WhyNotUsable(*dialog); !why.empty()) return Failure{why};
  dialog->Dispatch(kind == CloseKind::Window ? dialog->GetWindCloseNotification()
                                             : dialog->GetDiaCLOSENotification());
  return Accepted();
}

namespace {

// The fields naming the profiles, whose texts a new start gets back.
constexpr const char* kProfileFields[] = {"ReportName", "RefProfName"};

}  // namespace

Outcome UserActions::Restart(Outcome (HostSession::*between)(const std::string&, const std::string&),
                             const std::string& path, const std::string& catalogPath) {
  const std::string className = session_.LastCommandClass();
  if (className.empty()) return Failure{"no command was started yet"};
  std::vector<std::pair<std::string, std::string>> names;
  if (QORDlgDialog* dialog = HostSession::CommandDialog())
    for (const char* id : kProfileFields)
      if (const auto* editor = As<QORDlgEditor>(dialog->FindWidget(id)); editor && !editor->GetLine().IsEmpty())
        names.emplace_back(id, editor->GetLine().Utf8());
  if (between) {
    if (Outcome done = (session_.*between)(path, catalogPath); !done) return done;
  }
  QORCommandHost::CancelRunningCommand();
  if (Outcome started = Start(className); !started) return started;
  for (const auto& [id, text] : names)
    if (Outcome typed = Type(id, text); !typed) return typed;
  return Accepted();
}

Outcome UserActions::StartAgain() { return Restart(nullptr, {}, {}); }

Outcome UserActions::OpenMold(const std::string& path, const std::string& catalogPath) {
  return Restart(&HostSession::ReplaceMold, path, catalogPath);
}

}  // namespace moldbom
