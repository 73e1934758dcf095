// Tooling services: the mold-component cast, work modes and the cache list of the running
// command, and all instances of a product.
#include "ProductOccurrence.h"
#include "ProductReference.h"
#include "ProgressMeter.h"
#include "QORMoldComponents.h"

#include <list>
#include <unordered_map>

namespace {

// Products by identity: the address of the whole object, whichever interface designates it.
const void* Identity(const QORIProduct_var& product) { return dynamic_cast<const void*>(product.Get()); }

// Products in the order they entered a list, each once, found by identity without a walk: an
// analysis puts every instance of a large mold through these lists.
class OrderedProducts {
 public:
  bool Holds(const QORIProduct_var& product) const { return positions_.contains(Identity(product)); }
  void Add(const QORIProduct_var& product) {
    const void* key = Identity(product);
    if (positions_.contains(key)) return;
    positions_.emplace(key, order_.insert(order_.end(), product));
  }
  void Remove(const QORIProduct_var& product) {
    const auto found = positions_.find(Identity(product));
    if (found == positions_.end()) return;
    order_.erase(found->second);
    positions_.erase(found);
  }
  void Clear() {
    positions_.clear();
    order_.clear();
  }
  const std::list<QORIProduct_var>& InOrder() const { return order_; }

 private:
  std::list<QORIProduct_var> order_;
  std::unordered_map<const void*, std::list<QORIProduct_var>::iterator> positions_;
};

// Work modes are kept by the host, not by the products: only products in work mode are listed,
// in the order they entered it.
struct WorkModes {
  OrderedProducts inWorkMode;
  OrderedProducts cacheList;
  bool cacheListOpen = false;
};

WorkModes& State() {
  static WorkModes state;
  return state;
}

// The occurrence tree a product belongs to: its own for an occurrence, the current document's
// otherwise.
qorhost::ProductOccurrence* TreeOf(const QORIProduct_var& product) {
  if (auto* occurrence = dynamic_cast<qorhost::ProductOccurrence*>(product.Get())) return &occurrence->Top();
  QORMoldDocument* document = QORMoldDocument::Current();
  if (!document) return nullptr;
  return dynamic_cast<qorhost::ProductOccurrence*>(document->Root().Get());
}

}  // namespace

HRESULT QORMldServicesComponents::CastToQORIMldComponent(const QORBaseUnknown_var& object,
                                                         QORIMldComponent*& component) {
  QOR_HOST_CALL();
  component = nullptr;
  QORIMldComponent_var cast(object.Get());
  if (!cast) return E_FAIL;
  component = cast.Get();
  component->AddRef();
  return S_OK;
}

HRESULT QORTlgServicesFunction::ModifyWorkMode(const QORIProduct_var& product, int mode) {
  QOR_HOST_CALL();
  if (!product || (mode != 0 && mode != 1)) return E_FAIL;
  // The analysis puts every instance it walks in work mode: that is its progress.
  if (mode == 1) qorhost::ProgressAdvance();
  WorkModes& state = State();
  if (mode == 0) {
    state.inWorkMode.Remove(product);
    return S_OK;
  }
  state.inWorkMode.Add(product);
  if (state.cacheListOpen) state.cacheList.Add(product);
  return S_OK;
}

HRESULT QORTlgServicesCacheList::Init() {
  WorkModes& state = State();
  state.cacheList.Clear();
  state.cacheListOpen = true;
  return S_OK;
}

HRESULT QORTlgServicesCacheList::GoToVisuMode() {
  WorkModes& state = State();
  for (const QORIProduct_var& product : state.cacheList.InOrder()) state.inWorkMode.Remove(product);
  state.cacheList.Clear();
  return S_OK;
}

HRESULT QORTlgServicesCacheList::Close() {
  WorkModes& state = State();
  state.cacheList.Clear();
  state.cacheListOpen = false;
  return S_OK;
}

int QORTlgServicesCacheList::WorkModeOf(const QORIProduct_var& product) {
  return State().inWorkMode.Holds(product) ? 1 : 0;
}

QORListOfQORUnicodeString QORTlgServicesCacheList::ProductsInWorkMode() {
  QORListOfQORUnicodeString paths;
  for (const QORIProduct_var& product : State().inWorkMode.InOrder()) paths.Append(QORMoldDocument::InstancePath(product));
  return paths;
}

HRESULT QORTlgServicesProduct::GetAllInstanceFromProduct(const QORIProduct_var& product,
                                                         QORListValQORBaseUnknown_var& instances) {
  QOR_HOST_CALL();
  instances.RemoveAll();
  if (!product) return E_FAIL;
  const QORIProduct_var reference = product->GetReferenceProduct();
  qorhost::ProductOccurrence* tree = TreeOf(product);
  if (!reference || !tree) return E_FAIL;
  const auto* key = dynamic_cast<const qorhost::ProductReference*>(reference.Get());
  for (qorhost::ProductOccurrence* occurrence : tree->InstancesOf(key))
    instances.Append(QORBaseUnknown_var(occurrence));
  return S_OK;
}
