// The kind of a widget and the styles that change what a user may do with it, named once for the
// refusals, the dump and the page.
#pragma once

#include <cstring>
#include <string>

#include "QORDialogToolkit.h"

namespace moldbom {

enum class WidgetKind { Dialog, Frame, Label, Editor, PushButton, CheckButton, RadioButton, Combo, MultiList, Other };

WidgetKind KindOf(const QORDialog& widget);

// "push-button", "multi-list"...; a widget of a class no view knows goes by its class name.
std::string KindName(const QORDialog& widget);

// The name of a kind, with "a" or "an" before it.
std::string WithArticle(const std::string& kindName);

// The widget as its own class, null when it reports another. Every widget reports its class, so
// no view needs to guess it from the type hierarchy.
template <class Widget>
Widget* As(QORDialog* widget) {
  if (!widget || std::strcmp(widget->GetImplClassName(), Widget::ClassName()) != 0) return nullptr;
  return static_cast<Widget*>(widget);
}

template <class Widget>
const Widget* As(const QORDialog* widget) {
  return As<Widget>(const_cast<QORDialog*>(widget));
}

// The styles a user meets; each is false on a widget of a kind that does not have it.
struct WidgetStyles {
  bool readOnly = false;    // an editor that only shows text
  bool integer = false;     // an editor that takes whole numbers
  bool real = false;        // an editor that takes numbers
  bool repetitive = false;  // a push button that notifies again while held down
};

WidgetStyles StylesOf(const QORDialog& widget);

}  // namespace moldbom
