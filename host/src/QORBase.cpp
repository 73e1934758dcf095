// Base vocabulary of the host: character counting over UTF-8 and the fatal-error report.
#include "QORBase.h"

#include <cstdio>

namespace {

bool IsContinuationByte(unsigned char c) { return (c & 0xC0) == 0x80; }

// Byte offset of the character at position index, or the byte length when index is past the end.
std::size_t ByteOffsetOfChar(const std::string& s, int index) {
  std::size_t byte = 0;
  int chars = 0;
  while (byte < s.size() && chars < index) {
    ++byte;
    while (byte < s.size() && IsContinuationByte(static_cast<unsigned char>(s[byte]))) ++byte;
    ++chars;
  }
  return byte;
}

int CharCountBefore(const std::string& s, std::size_t byteEnd) {
  int chars = 0;
  for (std::size_t i = 0; i < byteEnd && i < s.size(); ++i)
    if (!IsContinuationByte(static_cast<unsigned char>(s[i]))) ++chars;
  return chars;
}

}  // namespace

void QORHostFatal(const char* file, int line, const char* what) {
  std::fprintf(stderr, "host: fatal: %s (%s:%d)\n", what, file, line);
  std::fflush(stderr);
  std::abort();
}

long long& QORHostCallCount() {
  static long long count = 0;
  return count;
}

int QORUnicodeString::GetLengthInChar() const { return CharCountBefore(text_, text_.size()); }

int QORUnicodeString::SearchSubString(const QORUnicodeString& sub, int start) const {
  if (start < 0) start = 0;
  const std::size_t from = ByteOffsetOfChar(text_, start);
  const std::size_t at = text_.find(sub.text_, from);
  if (at == std::string::npos) return -1;
  return CharCountBefore(text_, at);
}

QORUnicodeString QORUnicodeString::SubString(int start, int count) const {
  if (start < 0) start = 0;
  const std::size_t from = ByteOffsetOfChar(text_, start);
  if (count < 0) return QORUnicodeString(text_.substr(from));
  const std::size_t to = ByteOffsetOfChar(text_, start + count);
  return QORUnicodeString(text_.substr(from, to - from));
}

QORUnicodeString QORUnicodeString::RemoveBlanks() const {
  std::string out;
  out.reserve(text_.size());
  for (char c : text_)
    if (c != ' ') out += c;
  return QORUnicodeString(std::move(out));
}

QORUnicodeString QORUnicodeString::FromInt(int value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%d", value);
  return QORUnicodeString(buffer);
}
