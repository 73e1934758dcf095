// Tokenizer of the host: splits a UTF-8 text at any of a set of separator characters.
#include "QORSystemServices.h"

#include <array>
#include <string_view>

namespace {

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Byte length of the character that starts at position.
std::size_t CharLength(const std::string& text, std::size_t position) {
  std::size_t end = position + 1;
  while (end < text.size() && IsContinuationByte(text[end])) ++end;
  return end - position;
}

// UTF-8 is self-synchronising: a whole character's bytes can only match a whole character of the
// separators, so a byte search is a character search.
bool IsSeparator(std::string_view character, std::string_view separators) {
  return separators.find(character) != std::string_view::npos;
}

// Bytes of a multibyte character are all 0x80 or above, so separators that are all ASCII can be
// searched byte by byte.
bool IsAscii(std::string_view text) {
  for (const char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

}  // namespace

QORToken::QORToken(const QORUnicodeString& text) : text_(text.Utf8()) {}

QORUnicodeString QORToken::GetNextToken(const QORUnicodeString& separators) {
  QOR_HOST_CALL();
  const std::string_view all(text_);
  const std::string_view seps(separators.Utf8());
  if (!seps.empty() && IsAscii(seps)) {
    // A table of the separators: a set search per byte calls memchr for every byte of the text.
    std::array<bool, 128> separator{};
    for (const char c : seps) separator[static_cast<unsigned char>(c)] = true;
    const auto isSeparator = [&](char c) {
      return static_cast<unsigned char>(c) < 128 && separator[static_cast<unsigned char>(c)];
    };
    std::size_t start = position_;
    while (start < all.size() && isSeparator(all[start])) ++start;
    position_ = start;
    while (position_ < all.size() && !isSeparator(all[position_])) ++position_;
    return QORUnicodeString(text_.substr(start, position_ - start));
  }
  auto characterAt = [&](std::size_t at) { return all.substr(at, CharLength(text_, at)); };

  while (position_ < text_.size() && IsSeparator(characterAt(position_), seps))
    position_ += CharLength(text_, position_);
  const std::size_t start = position_;
  while (position_ < text_.size() && !IsSeparator(characterAt(position_), seps))
    position_ += CharLength(text_, position_);
  return QORUnicodeString(text_.substr(start, position_ - start));
}
