// Shared helpers of the host's product and knowledge objects: creation with one owned reference,
// the live-object count behind leak checks, and interface tests by name.
#pragma once

#include "QORBase.h"

#include <optional>
#include <utility>

namespace qorhost {

// Counts the objects of the product structure that are alive; each such class holds one.
class LiveObjectToken {
 public:
  LiveObjectToken();
  LiveObjectToken(const LiveObjectToken&);
  LiveObjectToken& operator=(const LiveObjectToken&) { return *this; }
  ~LiveObjectToken();
};

// Creates a host object and hands its creator's reference to the returned handle.
template <class T, class... Args>
QORVar<T> MakeHostObject(Args&&... args) {
  T* raw = new T(std::forward<Args>(args)...);
  if (!raw) QORHostFatal(__FILE__, __LINE__, "out of memory");
  QORVar<T> handle(raw);
  raw->Release();
  return handle;
}

// Whether object offers the host interface named interfaceName; nullopt when the name is not
// one of the host's interfaces.
std::optional<bool> OffersInterfaceNamed(QORBaseUnknown* object, const char* interfaceName);

}  // namespace qorhost
