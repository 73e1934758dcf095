// Reads of product properties, shared by every kind of product object: an absent value fails.
#pragma once

#include "MoldDescription.h"
#include "QORBase.h"

#include <optional>

namespace qorhost {

inline HRESULT ReadBOMFlag(const std::optional<MoldProperties>& properties, QORBoolean& inBOM) {
  if (!properties || !properties->bom) return E_FAIL;
  inBOM = *properties->bom ? TRUE : FALSE;
  return S_OK;
}

inline HRESULT ReadText(const std::optional<std::string>& value, QORUnicodeString& out) {
  if (!value) return E_FAIL;
  out = QORUnicodeString(*value);
  return S_OK;
}

inline HRESULT ReadReference(const std::optional<MoldProperties>& properties, QORUnicodeString& reference) {
  return properties ? ReadText(properties->reference, reference) : E_FAIL;
}

inline HRESULT ReadSupplier(const std::optional<MoldProperties>& properties, QORUnicodeString& supplier) {
  return properties ? ReadText(properties->supplier, supplier) : E_FAIL;
}

inline HRESULT ReadSource(const std::optional<MoldProperties>& properties, int& source) {
  if (!properties || !properties->source) return E_FAIL;
  source = *properties->source;
  return S_OK;
}

}  // namespace qorhost
