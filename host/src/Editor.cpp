// The current editor with its highlighted set of objects and its context path.
#include "QOREditor.h"

namespace {

// The editor showing the current document; the host holds a reference while it is current.
QORVar<QORFrmEditor>& CurrentEditorSlot() {
  static QORVar<QORFrmEditor> editor;
  return editor;
}

std::string ElementName(const QORBaseUnknown_var& element) {
  if (const QORIProduct_var product = element) {
    QORUnicodeString name;
    if (SUCCEEDED(product->GetPrdInstanceName(name))) return name.Utf8();
  }
  if (const QORIAlias_var alias = element) return alias->GetAlias().Utf8();
  return element ? element->GetImplClassName() : "?";
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// QORHSO
// ---------------------------------------------------------------------------------------------
void QORHSO::Empty() {
  elements_.clear();
  adding_ = false;
}

void QORHSO::AddElements(QORPathElement* path) {
  if (!path) return;
  elements_.emplace_back(path);
  adding_ = true;
}

void QORHSO::EndAddElements() { adding_ = false; }

std::vector<std::string> QORHSO::RenderedPaths() const {
  std::vector<std::string> paths;
  for (const QORPathElement_var& path : elements_) paths.push_back(RenderPath(*path.Get()));
  return paths;
}

std::string QORHSO::RenderPath(const QORPathElement& path) {
  std::string text;
  for (const QORBaseUnknown_var& element : path.Elements()) {
    if (!text.empty()) text += '/';
    text += ElementName(element);
  }
  return text;
}

// ---------------------------------------------------------------------------------------------
// QORFrmEditor
// ---------------------------------------------------------------------------------------------
QORFrmEditor::QORFrmEditor() {
  if (QORHSO* hso = new QORHSO()) {
    hso_ = hso;
    hso->Release();
  }
}

QORFrmEditor* QORFrmEditor::GetCurrentEditor() { return CurrentEditorSlot().Get(); }

void QORFrmEditor::SetCurrentEditor(QORFrmEditor* editor) { CurrentEditorSlot() = editor; }

QORPathElement* QORFrmEditor::GetContextPath() {
  if (!context_) return nullptr;
  context_->AddRef();
  return context_.Get();
}
