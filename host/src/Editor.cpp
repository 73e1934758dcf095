// The current editor with its highlighted set of objects and its context path.
#include "QOREditor.h"

#include <unordered_map>

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
  // The paths of a large set share their upper elements: each element is named once.
  std::unordered_map<const QORBaseUnknown*, std::string> names;
  std::vector<std::string> rendered;
  rendered.reserve(elements_.size());
  for (const QORPathElement_var& path : elements_) {
    std::string text;
    for (const QORBaseUnknown_var& element : path->Elements()) {
      if (!text.empty()) text += '/';
      auto [named, added] = names.try_emplace(element.Get());
      if (added) named->second = ElementName(element);
      text += named->second;
    }
    rendered.push_back(std::move(text));
  }
  return rendered;
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
