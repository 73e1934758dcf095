// Reads of product properties, shared by every kind of product object: an absent value fails.
#pragma once

#include "MoldDescription.h"
#include "QORBase.h"

#include <memory>
#include <optional>

namespace qorhost {

// Instances without properties of their own share their product's.
using SharedProperties = std::shared_ptr<const MoldProperties>;

inline HRESULT ReadBOMFlag(const MoldProperties* properties, QORBoolean& inBOM) {
  if (!properties || !properties->bom) return E_FAIL;
  inBOM = *properties->bom ? TRUE : FALSE;
  return S_OK;
}

inline HRESULT ReadText(const std::optional<std::string>& value, QORUnicodeString& out) {
  if (!value) return E_FAIL;
  out = QORUnicodeString(*value);
  return S_OK;
}

inline HRESULT ReadReference(const MoldProperties* properties, QORUnicodeString& reference) {
  return properties ? ReadText(properties->reference, reference) : E_FAIL;
}

inline HRESULT ReadSupplier(const MoldProperties* properties, QORUnicodeString& supplier) {
  return properties ? ReadText(properties->supplier, supplier) : E_FAIL;
}

inline HRESULT ReadSource(const MoldProperties* properties, int& source) {
  if (!properties || !properties->source) return E_FAIL;
  source = *properties->source;
  return S_OK;
}

}  // namespace qorhost
