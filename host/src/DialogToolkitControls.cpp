// The input widgets: editors, push, check and radio buttons, and combos.
#include "QORDialogToolkit.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace {

bool WantsNotification(int notify) { return notify == 1; }

std::string_view Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

// The number the whole text stands for (blanks around it allowed), in the C locale.
template <class T>
std::optional<T> ParseNumber(const QORUnicodeString& text) {
  std::string_view digits = Trimmed(text.Utf8());
  if (digits.size() > 1 && digits.front() == '+' && digits[1] != '-') digits.remove_prefix(1);
  T value{};
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  return value;
}

bool IsLineIndex(int index, int count) { return index >= 0 && index < count; }

}  // namespace

// ---------------------------------------------------------------------------------------------
// QORDlgEditor
// ---------------------------------------------------------------------------------------------
QORDlgEditor::QORDlgEditor(QORDialog* parent, const QORString& identifier, int style)
    : QORDialog(parent, identifier, style), modify_(new QORNotification("QOREditModifyNotification")) {}

QORDlgEditor::~QORDlgEditor() { QORRelease(modify_); }

// The editor holds one line: every line index addresses the whole text.
void QORDlgEditor::SetLine(const QORUnicodeString& text, int /*line*/, int notify) {
  text_ = text;
  real_ = ParseNumber<double>(text_).value_or(0.0);
  if (WantsNotification(notify)) Dispatch(modify_);
}

void QORDlgEditor::SetIntegerValue(int value, int notify) { SetLine(QORUnicodeString::FromInt(value), -1, notify); }

int QORDlgEditor::GetIntegerValue() const { return ParseNumber<int>(text_).value_or(0); }

// Two decimals whatever the locale: the text is a price, and the value behind it keeps every digit.
void QORDlgEditor::SetFloatValue(double value, int notify) {
  char buffer[512];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
  text_ = QORUnicodeString(std::string(buffer, result.ptr));
  real_ = value;
  if (WantsNotification(notify)) Dispatch(modify_);
}

double QORDlgEditor::GetFloatValue() const { return real_; }

// ---------------------------------------------------------------------------------------------
// Buttons
// ---------------------------------------------------------------------------------------------
QORDlgPushButton::QORDlgPushButton(QORDialog* parent, const QORString& identifier, int style)
    : QORDialog(parent, identifier, style),
      activate_(new QORNotification("QORPushBActivateNotification")),
      repetitive_(new QORNotification("QORPushBRepetitiveNotification")) {}

QORDlgPushButton::~QORDlgPushButton() {
  QORRelease(activate_);
  QORRelease(repetitive_);
}

QORDlgCheckButton::QORDlgCheckButton(QORDialog* parent, const QORString& identifier, int style)
    : QORDialog(parent, identifier, style), modify_(new QORNotification("QORChkBModifyNotification")) {}

QORDlgCheckButton::~QORDlgCheckButton() { QORRelease(modify_); }

void QORDlgCheckButton::SetState(int state, int notify) {
  state_ = state;
  if (WantsNotification(notify)) Dispatch(modify_);
}

QORDlgRadioButton::QORDlgRadioButton(QORDialog* parent, const QORString& identifier, int style)
    : QORDialog(parent, identifier, style), modify_(new QORNotification("QORRadBModifyNotification")) {}

QORDlgRadioButton::~QORDlgRadioButton() { QORRelease(modify_); }

void QORDlgRadioButton::SetState(int state, int notify) {
  state_ = state;
  if (WantsNotification(notify)) Dispatch(modify_);
}

std::vector<QORDlgRadioButton*> QORDlgRadioButton::ClickExclusive(QORDlgRadioButton* button) {
  if (!button) return {};
  std::vector<QORDlgRadioButton*> unchecked;
  if (QORDialog* frame = button->GetParent()) {
    for (QORDialog* sibling : frame->GetChildren()) {
      auto* radio = dynamic_cast<QORDlgRadioButton*>(sibling);
      if (!radio || radio == button || radio->state_ == QORDlgUnchecked) continue;
      radio->state_ = QORDlgUnchecked;
      unchecked.push_back(radio);
    }
  }
  const bool checkedNow = button->state_ != QORDlgChecked;
  button->state_ = QORDlgChecked;
  // Handlers see the whole group in its final state, whichever button they are told about first.
  std::vector<QORDlgRadioButton*> changed = unchecked;
  if (checkedNow) changed.push_back(button);
  for (QORDlgRadioButton* radio : changed) radio->Dispatch(radio->modify_);
  return changed;
}

// ---------------------------------------------------------------------------------------------
// QORDlgCombo
// ---------------------------------------------------------------------------------------------
QORDlgCombo::QORDlgCombo(QORDialog* parent, const QORString& identifier, int style)
    : QORDialog(parent, identifier, style), select_(new QORNotification("QORComboSelectNotification")) {}

QORDlgCombo::~QORDlgCombo() { QORRelease(select_); }

void QORDlgCombo::SetLine(const QORUnicodeString& text, int index, int mode) {
  const int count = GetLineCount();
  if (mode == QORDlgDataModify) {
    if (IsLineIndex(index, count)) lines_[static_cast<std::size_t>(index)] = text;
    return;
  }
  if (mode != QORDlgDataAdd) return;
  if (!IsLineIndex(index, count)) {
    lines_.push_back(text);
    return;
  }
  lines_.insert(lines_.begin() + index, text);
  if (selected_ >= index) ++selected_;
}

void QORDlgCombo::SetLines(const QORListOfQORUnicodeString& lines, int index, int mode) {
  if (mode == QORDlgDataAdd) {
    for (const QORUnicodeString& line : lines) lines_.push_back(line);
    return;
  }
  if (mode != QORDlgDataModify) return;
  const int from = std::clamp(index, 0, GetLineCount());
  lines_.resize(static_cast<std::size_t>(from));
  for (const QORUnicodeString& line : lines) lines_.push_back(line);
  if (from == 0)
    selected_ = lines_.empty() ? -1 : 0;
  else if (!IsLineIndex(selected_, GetLineCount()))
    selected_ = -1;
}

void QORDlgCombo::ClearLine() {
  lines_.clear();
  selected_ = -1;
}

void QORDlgCombo::GetLine(QORUnicodeString& text, int index) const {
  text = IsLineIndex(index, GetLineCount()) ? lines_[static_cast<std::size_t>(index)] : QORUnicodeString();
}

// An index naming no line leaves the choice as it was; -1 chooses none.
void QORDlgCombo::SetSelect(int index, int notify) {
  if (index != -1 && !IsLineIndex(index, GetLineCount())) return;
  selected_ = index;
  if (WantsNotification(notify)) Dispatch(select_);
}
