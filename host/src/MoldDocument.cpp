// The mold document: loading a mold assembly file into reference products, declared instances
// and the occurrence tree, and the queries the application and the host's services make on it.
#include "FileConfinement.h"
#include "MoldJson.h"
#include "MoldLoader.h"
#include "PartsCatalog.h"
#include "StepMold.h"
#include "ProductDefinition.h"
#include "ProductOccurrence.h"
#include "ProductReference.h"
#include "QORProductStructure.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <unordered_map>

using qorhost::MakeHostObject;
using qorhost::ProductDefinition;
using qorhost::ProductOccurrence;
using qorhost::ProductReference;

struct QORMoldDocument::Impl {
  std::string fileName;
  std::vector<QORVar<ProductReference>> references;  // in file order
  std::unordered_map<std::string, std::size_t> referenceIndex;
  QORVar<ProductOccurrence> root;
  std::vector<std::string> notes;
};

namespace {

QORMoldDocument* currentDocument = nullptr;

void AddOccurrencesBelow(const QORVar<ProductOccurrence>& occurrence) {
  for (const QORVar<ProductDefinition>& definition : occurrence->Product()->Definitions()) {
    QORVar<ProductOccurrence> child = MakeHostObject<ProductOccurrence>(definition, occurrence.Get());
    AddOccurrencesBelow(child);
    occurrence->AppendChild(std::move(child));
  }
}

std::unique_ptr<QORMoldDocument::Impl> Build(const qorhost::MoldDescription& description, const std::string& fileName) {
  auto impl = std::make_unique<QORMoldDocument::Impl>();
  impl->fileName = fileName;
  impl->notes = description.notes;
  for (const qorhost::MoldProduct& product : description.products) {
    impl->referenceIndex.emplace(product.id, impl->references.size());
    impl->references.push_back(MakeHostObject<ProductReference>(product));
  }
  for (std::size_t i = 0; i < description.products.size(); ++i) {
    const qorhost::MoldProduct& product = description.products[i];
    if (!product.instances) continue;
    const QORVar<ProductReference>& owner = impl->references[i];
    for (const qorhost::MoldInstance& instance : *product.instances) {
      const QORVar<ProductReference>& of = impl->references[impl->referenceIndex.at(instance.of)];
      owner->AddDefinition(MakeHostObject<ProductDefinition>(instance, owner.Get(), of));
    }
  }
  impl->root = MakeHostObject<ProductOccurrence>(impl->references[impl->referenceIndex.at(description.root)]);
  AddOccurrencesBelow(impl->root);
  return impl;
}

void WalkBelow(const QORVar<ProductOccurrence>& occurrence, int depth,
               const std::function<void(const QORIProduct_var&, int)>& visit) {
  visit(QORIProduct_var(occurrence.Get()), depth);
  for (const QORVar<ProductOccurrence>& child : occurrence->Children()) WalkBelow(child, depth + 1, visit);
}

ProductOccurrence* ChildNamed(const ProductOccurrence& parent, std::string_view name) {
  for (const QORVar<ProductOccurrence>& child : parent.Children())
    if (child->Name() == name) return child.Get();
  return nullptr;
}

}  // namespace

// ---- loading -----------------------------------------------------------------------------------

namespace {

// Read through the workspace confinement, so that a page that names a mold reaches only the
// workspace.
QORExpected<std::string> ReadWholeFile(const std::string& path) {
  const int fd = qorhost::ConfinedOpen(path.c_str(), O_RDONLY | O_CLOEXEC, 0);
  if (fd < 0) return QORError(path, 0, 0, std::string("cannot open the file: ") + std::strerror(errno));
  std::string content;
  char buffer[1 << 16];
  ssize_t got = 0;
  while ((got = ::read(fd, buffer, sizeof buffer)) > 0 || (got < 0 && errno == EINTR))
    if (got > 0) content.append(buffer, static_cast<std::size_t>(got));
  const int readError = got < 0 ? errno : 0;
  ::close(fd);
  if (readError) return QORError(path, 0, 0, std::string("cannot read the file: ") + std::strerror(readError));
  return content;
}

// Either format, told apart by the exchange file's fixed first keyword.
QORExpected<qorhost::MoldDescription> ReadDescription(const std::string& text, const std::string& fileName) {
  if (qorhost::LooksLikeStep(text)) {
    auto read = qorhost::ReadStepMold(text, std::filesystem::path(fileName).stem().string());
    if (auto* description = std::get_if<qorhost::MoldDescription>(&read)) return std::move(*description);
    const qorhost::StepError& error = std::get<qorhost::StepError>(read);
    const std::string entity = error.entity ? "#" + std::to_string(error.entity) + ": " : "";
    return qorhost::MoldErrorAt(fileName, text, error.offset, entity + error.what);
  }
  return qorhost::ReadMoldFile(text, fileName);
}

}  // namespace

QORExpected<std::unique_ptr<QORMoldDocument>> QORMoldDocument::LoadFile(const std::string& path,
                                                                        const std::string& catalogPath) {
  QORExpected<std::string> text = ReadWholeFile(path);
  if (!text) return text.Error();
  QORExpected<qorhost::MoldDescription> read = ReadDescription(text.Value(), path);
  if (!read) return read.Error();
  qorhost::MoldDescription& description = read.Value();
  if (!catalogPath.empty()) {
    QORExpected<std::string> catalog = ReadWholeFile(catalogPath);
    if (!catalog) return catalog.Error();
    const std::string name = std::filesystem::path(catalogPath).filename().string();
    if (auto error = qorhost::ApplyPartsCatalog(catalog.Value(), name, description))
      return QORError(catalogPath, error->line, error->column, error->what);
  }
  if (qorhost::LooksLikeStep(text.Value())) qorhost::SetDefaultBomFlags(description);
  return std::make_unique<QORMoldDocument>(Build(description, path));
}

QORExpected<std::unique_ptr<QORMoldDocument>> QORMoldDocument::LoadText(const std::string& text,
                                                                        const std::string& fileName) {
  QORExpected<qorhost::MoldDescription> read = ReadDescription(text, fileName);
  if (!read) return read.Error();
  if (qorhost::LooksLikeStep(text)) qorhost::SetDefaultBomFlags(read.Value());
  return std::make_unique<QORMoldDocument>(Build(read.Value(), fileName));
}

QORMoldDocument::QORMoldDocument(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

QORMoldDocument::~QORMoldDocument() {
  if (currentDocument == this) currentDocument = nullptr;
}

// ---- queries -----------------------------------------------------------------------------------

const std::vector<std::string>& QORMoldDocument::Notes() const { return impl_->notes; }

const std::string& QORMoldDocument::FileName() const { return impl_->fileName; }

QORIProduct_var QORMoldDocument::Root() const { return QORIProduct_var(impl_->root.Get()); }

// The root's name is matched as a whole, since a part number may itself contain "/".
QORIProduct_var QORMoldDocument::FindByPath(std::string_view instancePath) const {
  const std::string& rootName = impl_->root->Name();
  if (instancePath.substr(0, rootName.size()) != rootName) return nullptr;
  std::string_view rest = instancePath.substr(rootName.size());
  ProductOccurrence* at = impl_->root.Get();
  while (!rest.empty()) {
    if (rest.front() != '/') return nullptr;
    rest.remove_prefix(1);
    const std::size_t slash = rest.find('/');
    at = ChildNamed(*at, rest.substr(0, slash));
    if (!at) return nullptr;
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
  }
  return QORIProduct_var(at);
}

QORIProduct_var QORMoldDocument::FindReferenceProduct(std::string_view productId) const {
  const auto found = impl_->referenceIndex.find(std::string(productId));
  if (found == impl_->referenceIndex.end()) return nullptr;
  return QORIProduct_var(impl_->references[found->second].Get());
}

void QORMoldDocument::Walk(const std::function<void(const QORIProduct_var& instance, int depth)>& visit) const {
  WalkBelow(impl_->root, 0, visit);
}

QORPathElement_var QORMoldDocument::ContextPath() const {
  QORListValQORBaseUnknown_var elements;
  elements.Append(QORBaseUnknown_var(impl_->root.Get()));
  return MakeHostObject<QORPathElement>(std::move(elements));
}

std::string QORMoldDocument::InstancePath(const QORIProduct_var& product) {
  if (!product) return {};
  if (const auto* occurrence = dynamic_cast<const ProductOccurrence*>(product.Get())) return occurrence->InstancePath();
  QORUnicodeString name;
  if (FAILED(product->GetPrdInstanceName(name))) return {};
  return name.Utf8();
}

void QORMoldDocument::SetCurrent(QORMoldDocument* document) { currentDocument = document; }
QORMoldDocument* QORMoldDocument::Current() { return currentDocument; }
