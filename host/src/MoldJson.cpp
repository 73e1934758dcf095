// Strict JSON parsing through nlohmann's SAX interface, recording where every value starts.
#include "MoldJson.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <iterator>
#include <unordered_set>

namespace qorhost {
namespace {

// Where the parse stopped, as a byte offset until the text is at hand to place it.
struct MoldJsonError {
  std::size_t offset = 0;
  std::string what;
};

// A character iterator that records how far the parser has read: SAX events carry no position,
// but at each event the parser has just read the end of the token (plus one character after a
// number).
class TrackingIterator {
 public:
  using iterator_category = std::input_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char*;
  using reference = const char&;

  TrackingIterator(const char* at, const char** furthest) : at_(at), furthest_(furthest) {}
  reference operator*() const { return *at_; }
  TrackingIterator& operator++() {
    ++at_;
    if (at_ > *furthest_) *furthest_ = at_;
    return *this;
  }
  TrackingIterator operator++(int) {
    TrackingIterator before = *this;
    ++*this;
    return before;
  }
  friend bool operator==(const TrackingIterator& a, const TrackingIterator& b) { return a.at_ == b.at_; }
  friend bool operator!=(const TrackingIterator& a, const TrackingIterator& b) { return a.at_ != b.at_; }

 private:
  const char* at_;
  const char** furthest_;
};

bool IsNumberChar(char c) {
  return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E';
}
bool IsLiteralChar(char c) { return IsNumberChar(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// The opening quote of the string whose closing quote is at close: the nearest earlier quote not
// escaped by an odd run of backslashes (backslashes never occur outside strings).
std::size_t OpeningQuoteBefore(const std::string& text, std::size_t close) {
  std::size_t i = close;
  while (i > 0) {
    --i;
    if (text[i] != '"') continue;
    std::size_t backslashes = 0;
    while (backslashes < i && text[i - 1 - backslashes] == '\\') ++backslashes;
    if (backslashes % 2 == 0) return i;
  }
  return 0;
}

std::size_t NumberStartBefore(const std::string& text, std::size_t end) {
  std::size_t i = end;
  if (i > 0 && !IsNumberChar(text[i - 1])) --i;  // the character read after the number
  while (i > 0 && IsNumberChar(text[i - 1])) --i;
  return i;
}

// Length of the well-formed UTF-8 sequence at text[i], or 0.
std::size_t Utf8SequenceAt(const std::string& text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  const std::size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                             : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
  if (length == 0 || i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k)
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  return length;
}

// The parser quotes what it last read, which may be a broken byte sequence; the message must stay
// printable, so such bytes are written as \xNN.
std::string PrintableUtf8(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = Utf8SequenceAt(text, i);
    if (length > 0) {
      out.append(text, i, length);
      i += length;
      continue;
    }
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(text[i]));
    out += escaped;
    ++i;
  }
  return out;
}

// nlohmann's messages start with "[json.exception…] parse error at line L, column C: "; the
// position is given separately, so only the explanation is kept.
std::string ExplanationOf(const std::string& message) {
  const std::size_t column = message.find("column ");
  const std::size_t colon = message.find(": ", column == std::string::npos ? 0 : column);
  if (colon == std::string::npos) return PrintableUtf8(message);
  return PrintableUtf8(message.substr(colon + 2));
}

// Names and values end up in one-line records of the profile and the report, where a line break
// would start a record of its own and a NUL would end the file early.
constexpr const char* TextRule = " (\\r, \\n and \\u0000 have no place in the texts of a mold)";

const char* LineBreakOrNul(const std::string& text) {
  for (const char c : text) {
    if (c == '\r') return "a carriage return";
    if (c == '\n') return "a line feed";
    if (c == '\0') return "a NUL character";
  }
  return nullptr;
}

class TreeBuilder : public nlohmann::json_sax<nlohmann::json> {
 public:
  TreeBuilder(const std::string& text, const char** furthest, const MoldJsonStream* stream)
      : text_(text), furthest_(furthest), stream_(stream) {}

  bool null() override { return AddScalar(Scalar(MoldJsonValue::Kind::Null, 4)); }
  bool boolean(bool value) override {
    MoldJsonValue v = Scalar(MoldJsonValue::Kind::Boolean, value ? 4 : 5);
    v.boolean = value;
    return AddScalar(std::move(v));
  }
  bool number_integer(number_integer_t value) override { return AddInteger(value); }
  bool number_unsigned(number_unsigned_t value) override {
    if (value <= static_cast<number_unsigned_t>(INT64_MAX)) return AddInteger(static_cast<std::int64_t>(value));
    return AddReal(static_cast<double>(value));
  }
  bool number_float(number_float_t value, const string_t&) override { return AddReal(value); }
  bool string(string_t& value) override {
    MoldJsonValue v;
    v.kind = MoldJsonValue::Kind::String;
    v.offset = OpeningQuoteBefore(text_, Consumed() - 1);
    if (const char* what = LineBreakOrNul(value)) return Fail(v.offset, std::string("a text holds ") + what + TextRule);
    v.text = std::move(value);
    return AddScalar(std::move(v));
  }
  bool binary(binary_t&) override { return false; }
  bool start_object(std::size_t) override { return Open(MoldJsonValue::Kind::Object); }
  bool key(string_t& name) override {
    Frame& frame = frames_.back();
    const std::size_t at = OpeningQuoteBefore(text_, Consumed() - 1);
    if (const char* what = LineBreakOrNul(name)) return Fail(at, std::string("a key holds ") + what + TextRule);
    if (!frame.keys.insert(name).second) return Fail(at, "duplicate key \"" + name + "\"");
    frame.pendingKey = std::move(name);
    frame.pendingKeyOffset = at;
    return true;
  }
  bool end_object() override { return Close(); }
  bool start_array(std::size_t) override { return Open(MoldJsonValue::Kind::Array); }
  bool end_array() override { return Close(); }
  bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception& ex) override {
    const std::string explanation = ExplanationOf(ex.what());
    return Fail(SyntaxErrorOffset(position, explanation), explanation);
  }

  bool HasError() const { return failed_; }
  MoldJsonError TakeError() { return std::move(error_); }
  MoldJsonValue TakeRoot() { return std::move(root_); }

 private:
  struct Frame {
    MoldJsonValue value;
    std::string pendingKey;
    std::size_t pendingKeyOffset = 0;
    std::unordered_set<std::string> keys;
    std::size_t streamedItems = 0;
  };

  bool IsStreamedObject(std::size_t depth, const char* key) const {
    return frames_.size() > depth && frames_[depth - 1].value.Is(MoldJsonValue::Kind::Object) &&
           frames_[depth - 1].pendingKey == key && frames_[depth].value.Is(MoldJsonValue::Kind::Object);
  }
  // The parent frame is the "products" object of the top object.
  bool AtProduct() const {
    return stream_ && frames_.size() == 2 && frames_[0].value.Is(MoldJsonValue::Kind::Object) && IsStreamedObject(1, "products");
  }
  // The parent frame is the "instances" array of a product.
  bool AtInstance() const {
    return stream_ && frames_.size() == 4 && frames_[0].value.Is(MoldJsonValue::Kind::Object) &&
           IsStreamedObject(1, "products") && frames_[2].value.Is(MoldJsonValue::Kind::Object) &&
           frames_[2].pendingKey == "instances" && frames_[3].value.Is(MoldJsonValue::Kind::Array);
  }
  static MoldJsonValue Stub(const MoldJsonValue& value) {
    MoldJsonValue stub;
    stub.kind = value.kind;
    stub.offset = value.offset;
    return stub;
  }

  std::size_t Consumed() const { return static_cast<std::size_t>(*furthest_ - text_.data()); }

  MoldJsonValue Scalar(MoldJsonValue::Kind kind, std::size_t length) const {
    MoldJsonValue v;
    v.kind = kind;
    v.offset = Consumed() - length;
    return v;
  }
  bool AddInteger(std::int64_t value) {
    MoldJsonValue v;
    v.kind = MoldJsonValue::Kind::Integer;
    v.offset = NumberStartBefore(text_, Consumed());
    v.integer = value;
    v.real = static_cast<double>(value);
    return AddScalar(std::move(v));
  }
  bool AddReal(double value) {
    MoldJsonValue v;
    v.kind = MoldJsonValue::Kind::Real;
    v.offset = NumberStartBefore(text_, Consumed());
    v.real = value;
    return AddScalar(std::move(v));
  }
  bool AddScalar(MoldJsonValue value) {
    Attach(std::move(value));
    return true;
  }
  void Attach(MoldJsonValue value) {
    if (frames_.empty()) {
      root_ = std::move(value);
      return;
    }
    Frame& parent = frames_.back();
    if (AtInstance()) {
      if (stream_->instance) stream_->instance(frames_[1].pendingKey, parent.streamedItems, value);
      ++parent.streamedItems;
      return;
    }
    if (AtProduct()) {
      MoldJsonMember member{std::move(parent.pendingKey), parent.pendingKeyOffset, std::move(value)};
      if (stream_->product) stream_->product(member);
      parent.value.members.push_back({std::move(member.key), member.keyOffset, Stub(member.value)});
      return;
    }
    if (parent.value.Is(MoldJsonValue::Kind::Array)) {
      parent.value.items.push_back(std::move(value));
      return;
    }
    parent.value.members.push_back({std::move(parent.pendingKey), parent.pendingKeyOffset, std::move(value)});
  }
  bool Open(MoldJsonValue::Kind kind) {
    const std::size_t at = Consumed() - 1;
    if (frames_.size() >= kMoldJsonMaxDepth)
      return Fail(at, "nesting deeper than " + std::to_string(kMoldJsonMaxDepth) + " levels");
    Frame frame;
    frame.value.kind = kind;
    frame.value.offset = at;
    frames_.push_back(std::move(frame));
    return true;
  }
  bool Close() {
    MoldJsonValue done = std::move(frames_.back().value);
    frames_.pop_back();
    Attach(std::move(done));
    return true;
  }
  // Points at the start of the offending token when there is one, at the end for a truncated
  // file, and otherwise at the last character read.
  std::size_t SyntaxErrorOffset(std::size_t position, const std::string& explanation) const {
    if (explanation.find("unexpected end of input") != std::string::npos) return text_.size();
    std::size_t last = position == 0 ? 0 : position - 1;
    if (last >= text_.size()) return text_.size();
    if (text_[last] == '"' && explanation.find("string literal") != std::string::npos)
      return OpeningQuoteBefore(text_, last);
    // A misspelt literal is noticed only at the character after it.
    const bool endsLiteral = explanation.find("invalid literal") != std::string::npos && last > 0 &&
                             IsLiteralChar(text_[last - 1]);
    if (!IsLiteralChar(text_[last]) && !endsLiteral) return last;
    if (!IsLiteralChar(text_[last])) --last;
    while (last > 0 && IsLiteralChar(text_[last - 1])) --last;
    return last;
  }
  bool Fail(std::size_t offset, std::string what) {
    if (!failed_) error_ = {offset, std::move(what)};
    failed_ = true;
    return false;
  }

  const std::string& text_;
  const char** furthest_;
  const MoldJsonStream* stream_;
  std::vector<Frame> frames_;
  MoldJsonValue root_;
  MoldJsonError error_;
  bool failed_ = false;
};

}  // namespace

const MoldJsonValue* MoldJsonValue::Find(std::string_view key) const {
  for (const MoldJsonMember& member : members)
    if (member.key == key) return &member.value;
  return nullptr;
}

const char* MoldJsonValue::KindName() const {
  switch (kind) {
    case Kind::Null: return "null";
    case Kind::Boolean: return "a boolean";
    case Kind::Integer: return "an integer";
    case Kind::Real: return "a real number";
    case Kind::String: return "a string";
    case Kind::Array: return "an array";
    case Kind::Object: return "an object";
  }
  return "a value";
}

QORExpected<MoldJsonValue> ParseMoldJson(const std::string& text, const std::string& fileName,
                                         const MoldJsonStream* stream) {
  const char* furthest = text.data();
  TreeBuilder builder(text, &furthest, stream);
  TrackingIterator first(text.data(), &furthest);
  TrackingIterator last(text.data() + text.size(), &furthest);
  const bool ok = nlohmann::json::sax_parse(first, last, &builder);
  if (builder.HasError()) {
    MoldJsonError error = builder.TakeError();
    return MoldErrorAt(fileName, text, error.offset, std::move(error.what));
  }
  if (!ok) return MoldErrorAt(fileName, text, text.size(), "the file is not valid JSON");
  return builder.TakeRoot();
}

QORError MoldErrorAt(const std::string& fileName, const std::string& text, std::size_t offset, std::string what) {
  int line = 1;
  int column = 1;
  const std::size_t end = offset < text.size() ? offset : text.size();
  for (std::size_t i = 0; i < end; ++i) {
    if (text[i] == '\n') {
      ++line;
      column = 1;
      continue;
    }
    const bool continuationByte = (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80;
    if (!continuationByte) ++column;
  }
  return QORError(fileName, line, column, std::move(what));
}

}  // namespace qorhost
