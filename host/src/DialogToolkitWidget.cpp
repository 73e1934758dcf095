// The widget tree: ownership of children, visibility and sensitivity, texts from the dialog's
// resources, dialogs, frames and labels.
#include "QORDialogToolkit.h"

#include <algorithm>
#include <cstdarg>
#include <string>

#include "MainWindow.h"
#include "RunningCommand.h"
#include "QORMessages.h"

namespace {

bool IsShownAndEnabled(const QORDialog& widget) {
  return widget.GetVisibility() == QORDlgShow && widget.GetSensitivity() == QORDlgEnable;
}

bool IsDialogWindow(const QORDialog* widget) { return dynamic_cast<const QORDlgDialog*>(widget) != nullptr; }

void VisitFrom(const QORDialog& widget, int depth,
               const std::function<void(const QORDialog& widget, int depth)>& visit) {
  visit(widget, depth);
  for (const QORDialog* child : widget.GetChildren()) VisitFrom(*child, depth + 1, visit);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// QORDialog
// ---------------------------------------------------------------------------------------------
QORDialog::QORDialog(QORDialog* parent, const QORString& identifier, int style)
    : QORCommand(identifier), parent_(parent), style_(style) {
  SetFather(parent);
  if (parent) parent->children_.push_back(this);
}

QORDialog::~QORDialog() {
  // Children hold no reference to their parent: they must not reach it once it is gone.
  std::vector<QORDialog*> children = std::move(children_);
  children_.clear();
  for (QORDialog* child : children) {
    child->parent_ = nullptr;
    if (child->GetFather() == this) child->SetFather(nullptr);
    child->Release();
  }
  DetachFromParent();
}

const char* QORDialog::GetResourceFilename(int level) const {
  return level <= 0 ? "QORDialog" : QORCommand::GetResourceFilename(level - 1);
}

void QORDialog::RequestDelayedDestruction() {
  if (IsDestructionRequested()) return;
  SetVisibility(QORDlgHide);
  QORCommand::RequestDelayedDestruction();
}

QORUnicodeString QORDialog::GetTitle() const {
  if (titleSet_) return title_;
  if (const QORDlgDialog* dialog = GetDialog()) {
    if (const char* resources = dialog->GetResourceFilename(0)) {
      std::string text = QORDialogResources::Text(resources, GetName());
      if (!text.empty()) return QORUnicodeString(std::move(text));
    }
  }
  return QORUnicodeString(GetName());
}

// No notification kind exists for visibility or sensitivity: the notify flag has nothing to send.
void QORDialog::SetVisibility(int visibility, int /*notify*/) { visibility_ = visibility; }

void QORDialog::SetSensitivity(int sensitivity, int /*notify*/) { sensitivity_ = sensitivity; }

bool QORDialog::IsUsable() const {
  for (const QORDialog* widget = this; widget; widget = widget->parent_) {
    if (!IsShownAndEnabled(*widget)) return false;
    if (IsDialogWindow(widget)) return true;
  }
  return true;
}

void QORDialog::SetGridConstraints(int row, int column, int columnSpan, int rowSpan, int justification) {
  grid_ = Grid{true, row, column, columnSpan, rowSpan, justification};
}

// Only the main icon has a meaning without a screen; the alternatives are accepted and dropped.
void QORDialog::SetIconName(const QORUnicodeString& icon, const QORUnicodeString& /*pressed*/,
                            const QORUnicodeString& /*disabled*/, const QORUnicodeString& /*focus*/, int /*flag*/) {
  icon_ = icon;
}

QORDialog* QORDialog::FindWidget(const QORString& identifier) {
  if (GetName() == identifier) return this;
  for (QORDialog* child : children_)
    if (QORDialog* found = child->FindWidget(identifier)) return found;
  return nullptr;
}

QORDlgDialog* QORDialog::GetDialog() const {
  for (const QORDialog* widget = this; widget; widget = widget->parent_)
    if (auto* dialog = dynamic_cast<const QORDlgDialog*>(widget)) return const_cast<QORDlgDialog*>(dialog);
  return nullptr;
}

void QORDialog::VisitTree(const std::function<void(const QORDialog& widget, int depth)>& visit) const {
  VisitFrom(*this, 0, visit);
}

void QORDialog::DetachFromParent() {
  if (!parent_) return;
  std::erase(parent_->children_, this);
  if (GetFather() == parent_) SetFather(nullptr);
  parent_ = nullptr;
}

// ---------------------------------------------------------------------------------------------
// QORDlgDialog
// ---------------------------------------------------------------------------------------------

// A top-level window stays hidden until its command shows it. Its father is the command that
// created it, so that what it sends up reaches that command.
QORDlgDialog::QORDlgDialog(QORDialog* parent, const QORString& identifier, int style)
    : QORDialog(parent ? parent : qorhost::MainWindow(), identifier, style),
      close_(new QORNotification("QORDiaCLOSENotification")),
      windowClose_(new QORNotification("QORWindCloseNotification")),
      ok_(new QORNotification("QORDiaOKNotification")),
      cancel_(new QORNotification("QORDiaCANCELNotification")),
      creator_(qorhost::CurrentCommand()) {
  SetVisibility(QORDlgHide);
  if (creator_) SetFather(creator_);
}

QORDlgDialog::~QORDlgDialog() {
  QORRelease(close_);
  QORRelease(windowClose_);
  QORRelease(ok_);
  QORRelease(cancel_);
}

const char* QORDlgDialog::GetResourceFilename(int level) const {
  return level <= 0 ? "QORDlgDialog" : QORDialog::GetResourceFilename(level - 1);
}

void QORDlgDialog::Attach4Sides(QORDialog* child) {
  if (child) allSides_.push_back(child);
}

// ---------------------------------------------------------------------------------------------
// QORDlgFrame and QORDlgLabel
// ---------------------------------------------------------------------------------------------
QORDlgFrame::QORDlgFrame(QORDialog* parent, const QORString& identifier, int style)
    : QORDialog(parent, identifier, style) {}

void QORDlgFrame::Attach4Sides(QORDialog* child) {
  if (child) allSides_.push_back(child);
}

void QORDlgFrame::SetVerticalAttachment(int tab, int mode, QORDialog* child, ...) {
  va_list more;
  va_start(more, child);
  for (QORDialog* next = child; next; next = va_arg(more, QORDialog*))
    attachments_.push_back({true, tab, mode, next});
  va_end(more);
}

void QORDlgFrame::SetHorizontalAttachment(int tab, int mode, QORDialog* child, ...) {
  va_list more;
  va_start(more, child);
  for (QORDialog* next = child; next; next = va_arg(more, QORDialog*))
    attachments_.push_back({false, tab, mode, next});
  va_end(more);
}

QORDlgLabel::QORDlgLabel(QORDialog* parent, const QORString& identifier, int style)
    : QORDialog(parent, identifier, style) {}
