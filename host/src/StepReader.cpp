// The exchange-file reader: lexical rules in full for the instances kept, a cheap balanced scan
// for the others, and a check of every reference the kept instances make.
#include "StepReader.h"

#include <iconv.h>

#include <algorithm>
#include <charconv>
#include <optional>

namespace qorhost {
namespace {

using Kind = StepValue::Kind;

bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsKeywordChar(char c) { return IsUpper(c) || IsDigit(c) || c == '_' || (c >= 'a' && c <= 'z'); }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// The upper half of ISO 8859-1 to 9 (pages A to I) as UTF-8; page A maps straight to Unicode.
bool AppendPageChar(std::string& out, char page, unsigned char code) {
  if (page == 'A') {
    AppendUtf8(out, code);
    return true;
  }
  const std::string charset = "ISO-8859-" + std::to_string(page - 'A' + 1);
  iconv_t converter = iconv_open("UTF-8", charset.c_str());
  if (converter == reinterpret_cast<iconv_t>(-1)) return false;
  char in[1] = {static_cast<char>(code)};
  char result[8];
  char* inPtr = in;
  char* outPtr = result;
  std::size_t inLeft = 1;
  std::size_t outLeft = sizeof result;
  const bool ok = iconv(converter, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
  iconv_close(converter);
  if (ok) out.append(result, static_cast<std::size_t>(outPtr - result));
  return ok;
}

std::string Shown(std::string_view text) { return "\"" + std::string(text) + "\""; }

class Reader {
 public:
  Reader(std::string_view text, bool (*keepType)(std::string_view)) : text_(text), keepType_(keepType) {}

  std::variant<StepFile, StepError> Read() {
    if (!ReadFile() || !CheckEntityNumbers() || !CheckReferences()) return *error_;
    return std::move(file_);
  }

 private:
  // ---- errors and positions -------------------------------------------------------------------

  bool Fail(std::size_t offset, std::string what) {
    if (!error_) error_ = StepError{std::min(offset, text_.size()), entity_, std::move(what)};
    return false;
  }
  bool FailCutShort(const char* inside) { return Fail(text_.size(), std::string("the file ends inside ") + inside); }

  bool AtEnd() const { return pos_ >= text_.size(); }
  char Peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }

  // Spaces, line ends and comments between tokens.
  bool SkipSpace() {
    while (pos_ < text_.size()) {
      const char c = text_[pos_];
      if (c == ' ' || c == '\n' || c == '\r' || c == '\t') {
        ++pos_;
        continue;
      }
      if (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '*') {
        const std::size_t end = text_.find("*/", pos_ + 2);
        if (end == std::string_view::npos) return Fail(pos_, "comment not closed before the end of the file");
        pos_ = end + 2;
        continue;
      }
      break;
    }
    return true;
  }

  bool Expect(char c, const char* what) {
    if (!SkipSpace()) return false;
    if (AtEnd()) return FailCutShort(what);
    if (Peek() != c) return Fail(pos_, std::string("expected \"") + c + "\" " + what + ", found " + Found());
    ++pos_;
    return true;
  }

  std::string Found() const {
    if (AtEnd()) return "the end of the file";
    const unsigned char c = static_cast<unsigned char>(text_[pos_]);
    if (c < 0x20 || c >= 0x7F) return "byte " + std::to_string(c);
    return "\"" + std::string(1, static_cast<char>(c)) + "\"";
  }

  // A word of the file's framing: keyword characters and "-".
  std::string_view Word() {
    const std::size_t start = pos_;
    while (pos_ < text_.size() && (IsKeywordChar(text_[pos_]) || text_[pos_] == '-')) ++pos_;
    return text_.substr(start, pos_ - start);
  }

  // ---- the file ---------------------------------------------------------------------------

  bool ReadFile() {
    if (!SkipSpace()) return false;
    const std::size_t start = pos_;
    if (Word() != "ISO-10303-21") return Fail(start, "not an ISO 10303-21 file: it does not start with \"ISO-10303-21;\"");
    if (!Expect(';', "after ISO-10303-21")) return false;
    bool sawHeader = false;
    for (;;) {
      if (!SkipSpace()) return false;
      if (AtEnd()) return Fail(pos_, "the file ends before \"END-ISO-10303-21;\"");
      const std::size_t at = pos_;
      const std::string_view word = Word();
      if (word == "END-ISO-10303-21") return Expect(';', "after END-ISO-10303-21");
      if (word == "HEADER") {
        sawHeader = true;
        if (!Expect(';', "after HEADER") || !ReadSection(/*data=*/false)) return false;
        continue;
      }
      if (word == "DATA") {
        if (!sawHeader) return Fail(at, "DATA section before the HEADER section");
        if (!ReadDataStart() || !ReadSection(/*data=*/true)) return false;
        continue;
      }
      if (word.empty()) return Fail(at, "expected a section keyword, found " + Found());
      return Fail(at, "unknown section " + Shown(word) + " (expected HEADER, DATA or END-ISO-10303-21)");
    }
  }

  // "DATA;" or "DATA(parameters);".
  bool ReadDataStart() {
    if (!SkipSpace()) return false;
    if (Peek() == '(' && !SkipBody("the DATA section's parameters")) return false;
    return Expect(';', "after DATA");
  }

  bool ReadSection(bool data) {
    for (;;) {
      if (!SkipSpace()) return false;
      if (AtEnd()) return FailCutShort(data ? "the DATA section" : "the HEADER section");
      const std::size_t at = pos_;
      if (data && Peek() == '#') {
        if (!ReadInstance()) return false;
        continue;
      }
      const std::string_view word = Word();
      if (word == "ENDSEC") return Expect(';', "after ENDSEC");
      if (!data && !word.empty() && IsUpper(word.front())) {
        if (!SkipBody("a header record") || !Expect(';', "after a header record")) return false;
        continue;
      }
      return Fail(at, std::string("expected ") + (data ? "an entity instance \"#n=...;\"" : "a header record") +
                          " or ENDSEC, found " + Found());
    }
  }

  // ---- entity instances ---------------------------------------------------------------------

  std::optional<std::uint64_t> EntityNumber() {
    const std::size_t start = ++pos_;  // past "#"
    while (pos_ < text_.size() && IsDigit(text_[pos_])) ++pos_;
    std::uint64_t number = 0;
    const auto [end, ec] = std::from_chars(text_.data() + start, text_.data() + pos_, number);
    if (pos_ == start) {
      Fail(start - 1, "\"#\" must be followed by an entity number, found " + Found());
      return std::nullopt;
    }
    if (ec != std::errc() || number == 0) {
      Fail(start - 1, "entity number " + std::string(text_.substr(start, pos_ - start)) + " is out of range");
      return std::nullopt;
    }
    return number;
  }

  bool ReadInstance() {
    const std::size_t start = pos_;
    entity_ = 0;
    const std::optional<std::uint64_t> number = EntityNumber();
    if (!number) return false;
    entity_ = *number;
    numbers_.push_back({*number, start});
    if (!Expect('=', "after the entity number")) return false;
    if (!SkipSpace()) return false;
    if (AtEnd()) return FailCutShort("an entity instance");
    StepRecord record{*number, start, {}, {}};
    bool kept = false;
    if (Peek() == '(') {
      ++pos_;
      if (!ReadComplexParts(record, kept)) return false;
    } else if (!ReadPart(record, kept)) {
      return false;
    }
    if (!Expect(';', "at the end of the entity instance")) return false;
    if (kept) {
      file_.records.push_back(std::move(record));
    }
    entity_ = 0;
    return true;
  }

  // One "TYPE(parameters)"; parsed in full when its type is kept and no other part was.
  bool ReadPart(StepRecord& record, bool& kept) {
    if (!SkipSpace()) return false;
    const std::size_t at = pos_;
    if (Peek() == '!') ++pos_;
    const std::string_view type = Word();
    if (type.empty() || !(IsUpper(type.front()) || (type.front() >= 'a' && type.front() <= 'z')))
      return Fail(at, "expected an entity type name, found " + Found());
    if (type.find('-') != std::string_view::npos) return Fail(at, "entity type " + Shown(type) + " holds \"-\"");
    if (!SkipSpace()) return false;
    if (Peek() != '(') return AtEnd() ? FailCutShort("an entity instance") : Fail(pos_, "expected \"(\" after " + Shown(type) + ", found " + Found());
    if (kept || !keepType_(type)) return SkipBody("an entity instance");
    kept = true;
    record.type = std::string(type);
    ++pos_;
    return ReadParameters(record.parameters, 0);
  }

  bool ReadComplexParts(StepRecord& record, bool& kept) {
    bool any = false;
    for (;;) {
      if (!SkipSpace()) return false;
      if (AtEnd()) return FailCutShort("a complex entity instance");
      if (Peek() == ')') {
        if (!any) return Fail(pos_, "a complex entity instance needs at least one part");
        ++pos_;
        return true;
      }
      if (!ReadPart(record, kept)) return false;
      any = true;
    }
  }

  // Skips a parenthesised body, checking strings, comments and the balance of parentheses.
  bool SkipBody(const char* what) {
    int depth = 0;
    std::string scratch;
    while (pos_ < text_.size()) {
      const char c = text_[pos_];
      switch (c) {
        case '(':
          ++depth;
          ++pos_;
          break;
        case ')':
          ++pos_;
          if (--depth == 0) return true;
          break;
        case '\'':
          scratch.clear();
          if (!ReadString(scratch)) return false;
          break;
        case '"':
          if (!ReadBinary(scratch)) return false;
          break;
        case '/':
          if (!SkipSpace()) return false;
          if (pos_ < text_.size() && text_[pos_] == '/') return Fail(pos_, std::string("unexpected \"/\" in ") + what);
          break;
        case ';':
          return Fail(pos_, std::string("\";\" before the parentheses of ") + what + " are closed");
        default:
          if (static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\r' && c != '\t')
            return Fail(pos_, "unexpected control character " + std::to_string(static_cast<int>(c)) + " in " + what);
          ++pos_;
      }
    }
    return FailCutShort(what);
  }

  // ---- parameters ---------------------------------------------------------------------------

  // After "(": parameters separated by "," up to ")".
  bool ReadParameters(std::vector<StepValue>& out, std::size_t depth) {
    if (depth >= kStepMaxDepth) return Fail(pos_, "parameters nested more than " + std::to_string(kStepMaxDepth) + " deep");
    if (!SkipSpace()) return false;
    if (Peek() == ')') {
      ++pos_;
      return true;
    }
    for (;;) {
      if (!ReadValue(out.emplace_back(), depth)) return false;
      if (!SkipSpace()) return false;
      if (AtEnd()) return FailCutShort("a parameter list");
      if (Peek() == ')') {
        ++pos_;
        return true;
      }
      if (Peek() != ',') return Fail(pos_, "expected \",\" or \")\" after a parameter, found " + Found());
      ++pos_;
    }
  }

  bool ReadValue(StepValue& value, std::size_t depth) {
    if (!SkipSpace()) return false;
    if (AtEnd()) return FailCutShort("a parameter list");
    value.offset = pos_;
    const char c = Peek();
    switch (c) {
      case '$':
        ++pos_;
        value.kind = Kind::Unset;
        return true;
      case '*':
        ++pos_;
        value.kind = Kind::Derived;
        return true;
      case '\'':
        value.kind = Kind::String;
        return ReadString(value.text);
      case '"':
        value.kind = Kind::Binary;
        return ReadBinary(value.text);
      case '.':
        return ReadEnumeration(value);
      case '#': {
        const std::optional<std::uint64_t> number = EntityNumber();
        if (!number) return false;
        value.kind = Kind::Reference;
        value.entity = *number;
        references_.push_back({*number, value.offset, entity_});
        return true;
      }
      case '(':
        ++pos_;
        value.kind = Kind::List;
        return ReadParameters(value.items, depth + 1);
      default:
        break;
    }
    if (IsDigit(c) || c == '+' || c == '-') return ReadNumber(value);
    if (IsUpper(c) || c == '!' || (c >= 'a' && c <= 'z')) return ReadTyped(value, depth);
    return Fail(pos_, "expected a parameter, found " + Found());
  }

  bool ReadTyped(StepValue& value, std::size_t depth) {
    if (Peek() == '!') ++pos_;
    value.kind = Kind::Typed;
    value.text = std::string(Word());
    if (value.text.find('-') != std::string::npos) return Fail(value.offset, "type name " + Shown(value.text) + " holds \"-\"");
    if (!Expect('(', "after the type name of a typed parameter")) return false;
    return ReadParameters(value.items, depth + 1);
  }

  bool ReadEnumeration(StepValue& value) {
    const std::size_t start = ++pos_;
    while (pos_ < text_.size() && IsKeywordChar(text_[pos_])) ++pos_;
    if (pos_ == start) return Fail(value.offset, "\".\" must start an enumeration such as .T., found " + Found());
    if (AtEnd()) return FailCutShort("an enumeration");
    if (Peek() != '.') return Fail(pos_, "enumeration not closed by \".\", found " + Found());
    value.kind = Kind::Enumeration;
    value.text = std::string(text_.substr(start, pos_ - start));
    ++pos_;
    return true;
  }

  bool ReadNumber(StepValue& value) {
    const std::size_t start = pos_;
    if (Peek() == '+' || Peek() == '-') ++pos_;
    const std::size_t digits = pos_;
    while (pos_ < text_.size() && IsDigit(text_[pos_])) ++pos_;
    if (pos_ == digits) return Fail(start, "a sign must be followed by digits, found " + Found());
    bool real = false;
    if (Peek() == '.') {
      real = true;
      ++pos_;
      while (pos_ < text_.size() && IsDigit(text_[pos_])) ++pos_;
      if (Peek() == 'E' || Peek() == 'e') {
        ++pos_;
        if (Peek() == '+' || Peek() == '-') ++pos_;
        const std::size_t exponent = pos_;
        while (pos_ < text_.size() && IsDigit(text_[pos_])) ++pos_;
        if (pos_ == exponent) return Fail(pos_, "an exponent needs digits, found " + Found());
      }
    }
    const char* first = text_.data() + start + (text_[start] == '+' ? 1 : 0);
    const char* last = text_.data() + pos_;
    if (real) {
      value.kind = Kind::Real;
      const auto [end, ec] = std::from_chars(first, last, value.real);
      if (ec != std::errc() || end != last) return Fail(start, "number " + std::string(first, last) + " is out of range");
      return true;
    }
    value.kind = Kind::Integer;
    const auto [end, ec] = std::from_chars(first, last, value.integer);
    if (ec != std::errc() || end != last) return Fail(start, "integer " + std::string(first, last) + " is out of range");
    value.real = static_cast<double>(value.integer);
    return true;
  }

  bool ReadBinary(std::string& out) {
    const std::size_t start = pos_++;
    const std::size_t digits = pos_;
    while (pos_ < text_.size() && HexDigit(text_[pos_]) >= 0) ++pos_;
    if (AtEnd()) return FailCutShort("a binary value");
    if (Peek() != '"') return Fail(pos_, "binary value holds " + Found() + ", not a hexadecimal digit");
    if (pos_ == digits || text_[digits] > '3') return Fail(start, "a binary value must start with a digit 0 to 3");
    out = std::string(text_.substr(digits, pos_ - digits));
    ++pos_;
    return true;
  }

  // ---- strings ------------------------------------------------------------------------------

  // Hexadecimal digits at pos_, count of them, as a number.
  std::optional<std::uint32_t> Hex(std::size_t count) {
    if (pos_ + count > text_.size()) return std::nullopt;
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < count; ++i) {
      const int digit = HexDigit(text_[pos_ + i]);
      if (digit < 0) return std::nullopt;
      value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    pos_ += count;
    return value;
  }

  bool StartsWith(std::string_view prefix) const { return text_.substr(pos_, prefix.size()) == prefix; }

  // After "\X2\" or "\X4\": groups of 4 or 8 hexadecimal digits up to "\X0\".
  bool ReadWide(std::string& out, std::size_t width, std::size_t escape) {
    char32_t highSurrogate = 0;  // 0 while no high half waits
    for (;;) {
      if (StartsWith("\\X0\\")) {
        pos_ += 4;
        if (highSurrogate != 0) return Fail(escape, "a UTF-16 high surrogate without its low half in \\X2\\");
        return true;
      }
      const std::size_t at = pos_;
      const std::optional<std::uint32_t> code = Hex(width);
      if (!code) {
        if (pos_ >= text_.size()) return FailCutShort("a string");
        return Fail(at, width == 4 ? "\\X2\\ needs groups of 4 hexadecimal digits ended by \\X0\\"
                                   : "\\X4\\ needs groups of 8 hexadecimal digits ended by \\X0\\");
      }
      if (width == 8) {
        if (*code > 0x10FFFF || (*code >= 0xD800 && *code <= 0xDFFF)) return Fail(at, "\\X4\\ code is no Unicode character");
        AppendUtf8(out, *code);
        continue;
      }
      if (*code >= 0xD800 && *code <= 0xDBFF) {
        if (highSurrogate != 0) return Fail(at, "two UTF-16 high surrogates in a row in \\X2\\");
        highSurrogate = *code;
        continue;
      }
      if (*code >= 0xDC00 && *code <= 0xDFFF) {
        if (highSurrogate == 0) return Fail(at, "a UTF-16 low surrogate without its high half in \\X2\\");
        AppendUtf8(out, 0x10000 + ((highSurrogate - 0xD800) << 10) + (*code - 0xDC00));
        highSurrogate = 0;
        continue;
      }
      if (highSurrogate != 0) return Fail(at, "a UTF-16 high surrogate without its low half in \\X2\\");
      AppendUtf8(out, *code);
    }
  }

  bool ReadEscape(std::string& out, char& page) {
    const std::size_t escape = pos_;
    if (StartsWith("\\\\")) {
      pos_ += 2;
      out += '\\';
      return true;
    }
    if (StartsWith("\\X2\\") || StartsWith("\\X4\\")) {
      const std::size_t width = text_[pos_ + 2] == '2' ? 4 : 8;
      pos_ += 4;
      return ReadWide(out, width, escape);
    }
    if (StartsWith("\\X\\")) {
      pos_ += 3;
      const std::optional<std::uint32_t> code = Hex(2);
      if (!code) return Fail(escape, "\\X\\ must be followed by two hexadecimal digits");
      AppendUtf8(out, *code);
      return true;
    }
    if (StartsWith("\\S\\")) {
      pos_ += 3;
      const unsigned char c = static_cast<unsigned char>(Peek());
      if (c < 0x20 || c > 0x7E) return Fail(escape, "\\S\\ must be followed by a printable character");
      ++pos_;
      if (!AppendPageChar(out, page, static_cast<unsigned char>(c | 0x80)))
        return Fail(escape, "\\S\\ names no character of code page " + std::string(1, page));
      return true;
    }
    if (StartsWith("\\P")) {
      if (pos_ + 3 < text_.size() && text_[pos_ + 2] >= 'A' && text_[pos_ + 2] <= 'I' && text_[pos_ + 3] == '\\') {
        page = text_[pos_ + 2];
        pos_ += 4;
        return true;
      }
      return Fail(escape, "\\P must be followed by a code page A to I and \"\\\"");
    }
    if (pos_ + 1 >= text_.size()) return FailCutShort("a string");
    return Fail(escape, "unknown escape \"\\" + std::string(1, text_[pos_ + 1]) +
                            "\" in a string (a backslash is written \\\\)");
  }

  // At "'": the string, decoded to UTF-8; line breaks inside it are dropped.
  bool ReadString(std::string& out) {
    const std::size_t start = pos_++;
    char page = 'A';
    for (;;) {
      const std::size_t plain = text_.find_first_of("'\\\r\n", pos_);
      const std::size_t stop = plain == std::string_view::npos ? text_.size() : plain;
      for (std::size_t i = pos_; i < stop; ++i) {
        const unsigned char c = static_cast<unsigned char>(text_[i]);
        if ((c < 0x20 && c != '\t') || c == 0x7F)
          return Fail(i, "control character " + std::to_string(c) + " in a string");
      }
      out.append(text_.substr(pos_, stop - pos_));
      pos_ = stop;
      if (AtEnd()) return Fail(start, "string not closed: no \"'\" before the end of the file");
      const char c = text_[pos_];
      if (c == '\r' || c == '\n') {
        ++pos_;
        continue;
      }
      if (c == '\\') {
        if (!ReadEscape(out, page)) return false;
        continue;
      }
      if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '\'') {
        out += '\'';
        pos_ += 2;
        continue;
      }
      ++pos_;
      return true;
    }
  }

  // ---- the whole file -----------------------------------------------------------------------

  struct Number {
    std::uint64_t entity;
    std::size_t offset;
  };
  struct Reference {
    std::uint64_t entity;
    std::size_t offset;
    std::uint64_t from;
  };

  bool CheckEntityNumbers() {
    std::sort(numbers_.begin(), numbers_.end(), [](const Number& a, const Number& b) {
      return a.entity != b.entity ? a.entity < b.entity : a.offset < b.offset;
    });
    for (std::size_t i = 1; i < numbers_.size(); ++i)
      if (numbers_[i].entity == numbers_[i - 1].entity) {
        entity_ = numbers_[i].entity;
        return Fail(numbers_[i].offset, "entity #" + std::to_string(entity_) + " is defined twice");
      }
    file_.index.reserve(file_.records.size());
    for (std::size_t i = 0; i < file_.records.size(); ++i) file_.index.emplace(file_.records[i].entity, i);
    return true;
  }

  bool CheckReferences() {
    for (const Reference& reference : references_) {
      const bool defined = std::binary_search(numbers_.begin(), numbers_.end(), Number{reference.entity, 0},
                                              [](const Number& a, const Number& b) { return a.entity < b.entity; });
      if (defined) continue;
      entity_ = reference.from;
      return Fail(reference.offset, "reference to #" + std::to_string(reference.entity) + ", which the file does not define");
    }
    return true;
  }

  std::string_view text_;
  bool (*keepType_)(std::string_view);
  std::size_t pos_ = 0;
  std::uint64_t entity_ = 0;
  StepFile file_;
  std::vector<Number> numbers_;
  std::vector<Reference> references_;
  std::optional<StepError> error_;
};

}  // namespace

const StepRecord* StepFile::Find(std::uint64_t entity) const {
  const auto found = index.find(entity);
  return found == index.end() ? nullptr : &records[found->second];
}

bool LooksLikeStep(std::string_view text) {
  std::size_t pos = 0;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") pos = 3;
  for (;;) {
    pos = text.find_first_not_of(" \t\r\n", pos);
    if (pos == std::string_view::npos) return false;
    if (text.substr(pos, 2) != "/*") break;
    pos = text.find("*/", pos + 2);
    if (pos == std::string_view::npos) return false;
    pos += 2;
  }
  return text.substr(pos, 13) == "ISO-10303-21;";
}

std::variant<StepFile, StepError> ReadStep(std::string_view text, bool (*keepType)(std::string_view type)) {
  return Reader(text, keepType).Read();
}

}  // namespace qorhost
