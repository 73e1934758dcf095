// Tooling services: the mold-component cast, work modes and the cache list of the running
// command, and all instances of a product.
#include "ProductOccurrence.h"
#include "ProductReference.h"
#include "ProgressMeter.h"
#include "QORMoldComponents.h"

#include <algorithm>
#include <vector>

namespace {

// Work modes are kept by the host, not by the products: only products in work mode are listed,
// in the order they entered it.
struct WorkModes {
  std::vector<QORIProduct_var> inWorkMode;
  std::vector<QORIProduct_var> cacheList;
  bool cacheListOpen = false;
};

WorkModes& State() {
  static WorkModes state;
  return state;
}

bool Holds(const std::vector<QORIProduct_var>& list, const QORIProduct_var& product) {
  return std::any_of(list.begin(), list.end(), [&](const QORIProduct_var& p) { return p == product; });
}

void Remove(std::vector<QORIProduct_var>& list, const QORIProduct_var& product) {
  std::erase_if(list, [&](const QORIProduct_var& p) { return p == product; });
}

// The occurrence tree a product belongs to: its own for an occurrence, the current document's
// otherwise.
qorhost::ProductOccurrence* TreeOf(const QORIProduct_var& product) {
  if (auto* occurrence = dynamic_cast<qorhost::ProductOccurrence*>(product.Get())) return &occurrence->Top();
  QORMoldDocument* document = QORMoldDocument::Current();
  if (!document) return nullptr;
  return dynamic_cast<qorhost::ProductOccurrence*>(document->Root().Get());
}

void CollectInstancesOf(qorhost::ProductOccurrence& occurrence, const QORIProduct_var& reference,
                        QORListValQORBaseUnknown_var& instances) {
  if (occurrence.Product() == reference) instances.Append(QORBaseUnknown_var(&occurrence));
  for (const QORVar<qorhost::ProductOccurrence>& child : occurrence.Children())
    CollectInstancesOf(*child.Get(), reference, instances);
}

}  // namespace

HRESULT QORMldServicesComponents::CastToQORIMldComponent(const QORBaseUnknown_var& object,
                                                         QORIMldComponent*& component) {
  component = nullptr;
  QORIMldComponent_var cast(object.Get());
  if (!cast) return E_FAIL;
  component = cast.Get();
  component->AddRef();
  return S_OK;
}

HRESULT QORTlgServicesFunction::ModifyWorkMode(const QORIProduct_var& product, int mode) {
  if (!product || (mode != 0 && mode != 1)) return E_FAIL;
  // The analysis puts every instance it walks in work mode: that is its progress.
  if (mode == 1) qorhost::ProgressAdvance();
  WorkModes& state = State();
  if (mode == 0) {
    Remove(state.inWorkMode, product);
    return S_OK;
  }
  if (!Holds(state.inWorkMode, product)) state.inWorkMode.push_back(product);
  if (state.cacheListOpen && !Holds(state.cacheList, product)) state.cacheList.push_back(product);
  return S_OK;
}

HRESULT QORTlgServicesCacheList::Init() {
  WorkModes& state = State();
  state.cacheList.clear();
  state.cacheListOpen = true;
  return S_OK;
}

HRESULT QORTlgServicesCacheList::GoToVisuMode() {
  WorkModes& state = State();
  for (const QORIProduct_var& product : state.cacheList) Remove(state.inWorkMode, product);
  state.cacheList.clear();
  return S_OK;
}

HRESULT QORTlgServicesCacheList::Close() {
  WorkModes& state = State();
  state.cacheList.clear();
  state.cacheListOpen = false;
  return S_OK;
}

int QORTlgServicesCacheList::WorkModeOf(const QORIProduct_var& product) {
  return Holds(State().inWorkMode, product) ? 1 : 0;
}

QORListOfQORUnicodeString QORTlgServicesCacheList::ProductsInWorkMode() {
  QORListOfQORUnicodeString paths;
  for (const QORIProduct_var& product : State().inWorkMode) paths.Append(QORMoldDocument::InstancePath(product));
  return paths;
}

HRESULT QORTlgServicesProduct::GetAllInstanceFromProduct(const QORIProduct_var& product,
                                                         QORListValQORBaseUnknown_var& instances) {
  instances.RemoveAll();
  if (!product) return E_FAIL;
  const QORIProduct_var reference = product->GetReferenceProduct();
  qorhost::ProductOccurrence* tree = TreeOf(product);
  if (!reference || !tree) return E_FAIL;
  CollectInstancesOf(*tree, reference, instances);
  return S_OK;
}
