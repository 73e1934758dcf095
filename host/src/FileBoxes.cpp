// File boxes and the document chooser: modeless boxes a user answers with a path or a cancel.
#include "QORFileBoxes.h"

#include <algorithm>
#include <optional>

#include "FileBoxDialog.h"
#include "MainWindow.h"

namespace {

// Documents of the chooser live in a plain-file environment: an identifier is its own path.
class FileEnvironment : public QORIDocEnvironment {
 public:
  QORUnicodeString GetType() override { return "File"; }
  HRESULT ConvertIdToPath(const QORUnicodeString& identifier, QORUnicodeString& path) override {
    path = identifier;
    return S_OK;
  }
};

class FileDocId : public QORIDocId {
 public:
  explicit FileDocId(QORUnicodeString identifier) : identifier_(std::move(identifier)) {}
  QORUnicodeString GetIdentifier() override { return identifier_; }
  HRESULT GetDocEnvironment(QORIDocEnvironment*& environment) override {
    environment = new FileEnvironment();
    return environment ? S_OK : E_FAIL;
  }

 private:
  QORUnicodeString identifier_;
};

class FileDocument : public QORIDocument {
 public:
  explicit FileDocument(QORUnicodeString path) : path_(std::move(path)) {}
  QORUnicodeString GetPath() override { return path_; }

 private:
  QORUnicodeString path_;
};

// What a file box and a chooser share: a hidden dialog that publishes OK and cancel, the presets
// a user sees, and the path the user gave.
class HostBox : public virtual QORBaseUnknown {
 public:
  HostBox(QORDialog* father, const QORString& name, const char* kind);
  ~HostBox() override;
  HostBox(const HostBox&) = delete;
  HostBox& operator=(const HostBox&) = delete;

  const std::string& Name() const { return info_.name; }
  const QOROpenBoxInfo& Info() const { return info_; }
  void SetSaving(bool saving) { info_.saving = saving; }
  long ShowOrder() const { return showOrder_; }
  bool IsOpen() const { return dialog_ && !closed_ && dialog_->GetVisibility() == QORDlgShow; }
  QORDlgDialog* BoxDialog() const { return dialog_.Get(); }
  // An empty path on OK selects nothing, as does a cancel.
  void Choose(bool ok, const std::string& path) {
    selection_.reset();
    if (ok && !path.empty()) selection_ = path;
  }

 protected:
  HRESULT ApplyTitle(const QORUnicodeString& title);
  HRESULT ApplyFilter(const QORUnicodeString& description, const QORUnicodeString& pattern);
  HRESULT ApplyVisibility(int visibility);
  HRESULT CloseBox();
  HRESULT BoxCommand(QORCommand*& command) const;
  QORNotification* OkNotification() const { return dialog_ ? dialog_->GetDiaOKNotification() : nullptr; }
  QORNotification* CancelNotification() const { return dialog_ ? dialog_->GetDiaCANCELNotification() : nullptr; }
  const std::optional<std::string>& Selection() const { return selection_; }
  QOROpenBoxInfo& MutableInfo() { return info_; }
  bool IsUsable() const { return dialog_ && !closed_; }

 private:
  QORVar<QORDlgDialog> dialog_;
  QOROpenBoxInfo info_;
  std::optional<std::string> selection_;
  long showOrder_ = 0;
  bool closed_ = false;
};

std::vector<HostBox*>& LiveBoxes() {
  static std::vector<HostBox*> boxes;
  return boxes;
}

long NextShowOrder() {
  static long order = 0;
  return ++order;
}

// The box keeps a reference of its own on its dialog, so the dialog outlives a main window torn
// down before the module releases the box.
HostBox::HostBox(QORDialog* father, const QORString& name, const char* kind) {
  info_.name = name;
  info_.kind = kind;
  QORDialog* parent = father ? father : qorhost::MainWindow();
  auto* dialog = new qorhost::FileBoxDialog(parent, name);
  if (dialog) {
    dialog_ = dialog;
    if (!dialog->GetParent()) dialog->Release();
    dialog->SetVisibility(QORDlgHide);
  }
  LiveBoxes().push_back(this);
}

// The dialog may be publishing the very notification whose handler releases the box, so it goes
// after the event; when its window is already gone, this box holds the last reference.
HostBox::~HostBox() {
  std::erase(LiveBoxes(), this);
  if (!dialog_) return;
  const bool parentHoldsIt = dialog_->GetParent() && dialog_->RefCount() > 1;
  if (parentHoldsIt && !dialog_->IsDestructionRequested()) dialog_->RequestDelayedDestruction();
}

HRESULT HostBox::ApplyTitle(const QORUnicodeString& title) {
  if (!IsUsable()) return E_FAIL;
  info_.title = title.Utf8();
  dialog_->SetTitle(title);
  return S_OK;
}

HRESULT HostBox::ApplyFilter(const QORUnicodeString& description, const QORUnicodeString& pattern) {
  if (!IsUsable()) return E_FAIL;
  info_.filters.emplace_back(description.Utf8(), pattern.Utf8());
  return S_OK;
}

// Showing again starts a new question: the previous answer is forgotten.
HRESULT HostBox::ApplyVisibility(int visibility) {
  if (!IsUsable()) return E_FAIL;
  dialog_->SetVisibility(visibility);
  if (visibility == QORDlgShow) {
    showOrder_ = NextShowOrder();
    selection_.reset();
  }
  return S_OK;
}

HRESULT HostBox::CloseBox() {
  if (!dialog_) return E_FAIL;
  dialog_->SetVisibility(QORDlgHide);
  closed_ = true;
  return S_OK;
}

HRESULT HostBox::BoxCommand(QORCommand*& command) const {
  command = dialog_.Get();
  return command ? S_OK : E_FAIL;
}

class HostFileBox : public HostBox, public QORIFmuDialogBox {
 public:
  HostFileBox(QORDialog* father, const QORString& name, bool saving) : HostBox(father, name, "file box") {
    SetSaving(saving);
  }

  HRESULT SetTitle(const QORUnicodeString& title) override { return ApplyTitle(title); }
  QORDlgDialog* GetDialog() override { return BoxDialog(); }
  HRESULT GetCommand(QORCommand*& command) override { return BoxCommand(command); }
  QORNotification* GetOKNotification() override { return OkNotification(); }
  QORNotification* GetCancelNotification() override { return CancelNotification(); }
  HRESULT AddFileFilter(const QORUnicodeString& description, const QORUnicodeString& pattern, int) override {
    return ApplyFilter(description, pattern);
  }
  HRESULT SetDirectory(const QORUnicodeString& directory) override {
    if (!IsUsable()) return E_FAIL;
    MutableInfo().directory = directory.Utf8();
    return S_OK;
  }
  HRESULT SetFileName(const QORUnicodeString& name) override {
    if (!IsUsable()) return E_FAIL;
    MutableInfo().fileName = name.Utf8();
    return S_OK;
  }
  HRESULT SetVisibility(int visibility) override { return ApplyVisibility(visibility); }
  HRESULT GetSelectedDocument(QORIDocument*& document) override {
    document = Selection() ? new FileDocument(*Selection()) : nullptr;
    return document ? S_OK : E_FAIL;
  }
  QORUnicodeString GetSelectedPath() override { return Selection().value_or(""); }
  HRESULT Close() override { return CloseBox(); }
};

class HostDocChooser : public HostBox, public QORIFmuDocChooser {
 public:
  HostDocChooser(QORDialog* father, const QORString& name) : HostBox(father, name, "document chooser") {}

  HRESULT SetTitle(const QORUnicodeString& title) override { return ApplyTitle(title); }
  HRESULT AddFileFilter(const QORUnicodeString& description, const QORUnicodeString& pattern, int) override {
    return ApplyFilter(description, pattern);
  }
  HRESULT SetVisibility(int visibility) override { return ApplyVisibility(visibility); }
  HRESULT GetCommand(QORCommand*& command) override { return BoxCommand(command); }
  HRESULT GetOKNotification(QORNotification*& notification) override {
    notification = OkNotification();
    return notification ? S_OK : E_FAIL;
  }
  HRESULT GetCancelNotification(QORNotification*& notification) override {
    notification = CancelNotification();
    return notification ? S_OK : E_FAIL;
  }
  HRESULT GetSelectedDocuments(QORListValQORIDocId_var& documents) override {
    if (!Selection()) return S_OK;
    FileDocId* id = new FileDocId(*Selection());
    if (!id) return E_FAIL;
    documents.Append(QORIDocId_var(id));
    id->Release();
    return S_OK;
  }
};

// The most recently shown of the open boxes named name.
HostBox* FindOpenBox(const std::string& name) {
  HostBox* found = nullptr;
  for (HostBox* box : LiveBoxes()) {
    if (box->Name() != name || !box->IsOpen()) continue;
    if (!found || box->ShowOrder() > found->ShowOrder()) found = box;
  }
  return found;
}

bool& DocChooserAvailable() {
  static bool available = true;
  return available;
}

}  // namespace

// The style's save-as bit: the box names a file to be written.
constexpr int kSaveAsStyle = 0x800000;

HRESULT QORFileMenuMethods::CreateCurrentDocEnvDialogBox(QORDialog* father, const QORString& name, int style,
                                                         QORIFmuDialogBox*& box, const void* /*document*/) {
  box = new HostFileBox(father, name, (style & kSaveAsStyle) != 0);
  return box ? S_OK : E_FAIL;
}

HRESULT QORFileMenuMethods::CreateDocChooser(QORDialog* father, const QORString& name, int /*flags*/,
                                             int /*style*/, const char* /*documentId*/,
                                             QORIFmuDocChooser*& chooser) {
  chooser = new HostDocChooser(father, name);
  return chooser ? S_OK : E_FAIL;
}

bool QORFmuProtectedServices::IsNormalOrRecordGE(int /*level*/) { return DocChooserAvailable(); }
void QORFmuProtectedServices::SetDocChooserAvailable(bool available) { DocChooserAvailable() = available; }

std::vector<QOROpenBoxInfo> QORFileBoxHost::OpenBoxes() {
  std::vector<HostBox*> open;
  for (HostBox* box : LiveBoxes())
    if (box->IsOpen()) open.push_back(box);
  std::sort(open.begin(), open.end(), [](const HostBox* a, const HostBox* b) { return a->ShowOrder() < b->ShowOrder(); });
  std::vector<QOROpenBoxInfo> infos;
  for (const HostBox* box : open) infos.push_back(box->Info());
  return infos;
}

// The box stays open: hiding it is the module's business, as with a real modeless box.
QOROutcome QORFileBoxHost::Answer(const std::string& name, bool ok, const std::string& path) {
  HostBox* box = FindOpenBox(name);
  if (!box) return QORError("no open box named " + name);
  const QORBaseUnknown_var keepAlive(static_cast<QORBaseUnknown*>(box));
  box->Choose(ok, path);
  QORDlgDialog* dialog = box->BoxDialog();
  dialog->Dispatch(ok ? dialog->GetDiaOKNotification() : dialog->GetDiaCANCELNotification());
  return {};
}

int QORFileBoxHost::LiveBoxCount() { return static_cast<int>(LiveBoxes().size()); }
