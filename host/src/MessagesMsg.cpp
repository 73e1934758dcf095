// Messages of the host's catalogs: parameter substitution, QORMsg and QORMsgCatalog.
#include "QORMessages.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The number of the slot "/pN" at position, or 0 when none starts there.
int SlotNumberAt(std::string_view text, std::size_t position, std::size_t& slotLength) {
  if (text.substr(position, 2) != "/p") return 0;
  std::size_t end = position + 2;
  int number = 0;
  while (end < text.size() && IsDigit(text[end]) && number < 100000)
    number = number * 10 + (text[end++] - '0');
  slotLength = end - position;
  return number;
}

}  // namespace

std::string QORSubstituteParameters(std::string_view text, const QORUnicodeString* params,
                                    int count) {
  if (!params || count < 0) count = 0;
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t slotLength = 0;
    const int number = SlotNumberAt(text, i, slotLength);
    if (number < 1 || number > count) {
      out += text[i++];
      continue;
    }
    out += params[number - 1].Utf8();
    i += slotLength;
  }
  return out;
}

HRESULT QORMsg::BuildMessage(QORUnicodeString& out, const QORUnicodeString* params,
                             int count) const {
  out.Empty();
  if (!isSet_) return E_FAIL;
  out.BuildFromChar(QORSubstituteParameters(text_, params, count).c_str());
  return S_OK;
}

HRESULT QORMsgCatalog::LoadMsgCatalog(const char* catalogName) {
  texts_.reset();
  if (!catalogName) return E_FAIL;
  auto loaded = QORLoadCatalog(catalogName);
  if (!loaded) return E_FAIL;
  texts_ = loaded.Value();
  return S_OK;
}

HRESULT QORMsgCatalog::GetCatalogMsg(const char* key, QORMsg& msg) const {
  msg = QORMsg();
  if (!texts_ || !key) return E_FAIL;
  const std::string* text = texts_->Find(key);
  if (!text) return E_FAIL;
  msg = QORMsg(*text);
  return S_OK;
}

QORUnicodeString QORMsgCatalog::BuildMessage(const char* catalogName, const char* key,
                                             const QORUnicodeString* params, int count,
                                             const char* defaultText) {
  QORMsgCatalog catalog;
  QORMsg msg;
  QORUnicodeString out;
  if (SUCCEEDED(catalog.LoadMsgCatalog(catalogName)) &&
      SUCCEEDED(catalog.GetCatalogMsg(key, msg)) && SUCCEEDED(msg.BuildMessage(out, params, count)))
    return out;
  return QORUnicodeString(QORSubstituteParameters(defaultText ? defaultText : "", params, count));
}
