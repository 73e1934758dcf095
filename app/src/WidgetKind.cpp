// Widget kinds by the class each widget reports.
#include "WidgetKind.h"

#include <algorithm>
#include <iterator>

namespace moldbom {
namespace {

struct KnownKind {
  const char* className;
  WidgetKind kind;
  const char* name;
};

const KnownKind kKinds[] = {
    {QORDlgDialog::ClassName(), WidgetKind::Dialog, "dialog"},
    {QORDlgFrame::ClassName(), WidgetKind::Frame, "frame"},
    {QORDlgLabel::ClassName(), WidgetKind::Label, "label"},
    {QORDlgEditor::ClassName(), WidgetKind::Editor, "editor"},
    {QORDlgPushButton::ClassName(), WidgetKind::PushButton, "push-button"},
    {QORDlgCheckButton::ClassName(), WidgetKind::CheckButton, "check-button"},
    {QORDlgRadioButton::ClassName(), WidgetKind::RadioButton, "radio-button"},
    {QORDlgCombo::ClassName(), WidgetKind::Combo, "combo"},
    {QORDlgMultiList::ClassName(), WidgetKind::MultiList, "multi-list"},
};

const KnownKind* Known(const QORDialog& widget) {
  const char* reported = widget.GetImplClassName();
  const auto it = std::find_if(std::begin(kKinds), std::end(kKinds),
                               [&](const KnownKind& k) { return std::strcmp(k.className, reported) == 0; });
  return it == std::end(kKinds) ? nullptr : it;
}

bool HasStyle(const QORDialog& widget, int style) { return (widget.GetStyle() & style) == style; }

}  // namespace

WidgetKind KindOf(const QORDialog& widget) {
  const KnownKind* known = Known(widget);
  return known ? known->kind : WidgetKind::Other;
}

std::string KindName(const QORDialog& widget) {
  const KnownKind* known = Known(widget);
  return known ? known->name : widget.GetImplClassName();
}

std::string WithArticle(const std::string& kindName) {
  const bool vowel = !kindName.empty() && std::strchr("aeiou", kindName.front()) != nullptr;
  return (vowel ? "an " : "a ") + kindName;
}

WidgetStyles StylesOf(const QORDialog& widget) {
  WidgetStyles styles;
  // Style bits mean different things on different kinds, so each is read only where it applies.
  switch (KindOf(widget)) {
    case WidgetKind::Editor:
      styles.readOnly = HasStyle(widget, QORDlgEdtReadOnly);
      styles.integer = HasStyle(widget, QORDlgEdtInteger);
      styles.real = HasStyle(widget, QORDlgEdtFloat);
      break;
    case WidgetKind::PushButton:
      styles.repetitive = HasStyle(widget, QORDlgPushBRepetitive);
      break;
    default:
      break;
  }
  return styles;
}

}  // namespace moldbom
