// Base vocabulary of the host platform: result codes, Unicode strings, 1-based value lists and
// reference-counted objects with typed interface handles.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <initializer_list>
#include <type_traits>
#include <typeinfo>
#include <unordered_map>
#include <utility>
#include <vector>

#if defined(__GNUC__)
#define QOR_EXPORT __attribute__((visibility("default")))
#else
#define QOR_EXPORT
#endif

// ---------------------------------------------------------------------------------------------
// Result codes and bytes
// ---------------------------------------------------------------------------------------------
using HRESULT = int32_t;
using ULONG = uint32_t;
using QORBoolean = unsigned char;

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
inline constexpr QORBoolean TRUE = 1;
inline constexpr QORBoolean FALSE = 0;

inline constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
inline constexpr bool FAILED(HRESULT hr) { return hr < 0; }

// Reports a broken programming assumption of the host (index out of range and the like). The
// message names the place; the process stops, since continuing would corrupt the user's data.
[[noreturn]] QOR_EXPORT void QORHostFatal(const char* file, int line, const char* what);

// Calls made into the host's product, parameter, table-cell, tokenizer and tooling services since
// the process started: tests read it to show that the work per instance of a mold stays fixed.
QOR_EXPORT long long& QORHostCallCount();
#define QOR_HOST_CALL() (++QORHostCallCount())

// ---------------------------------------------------------------------------------------------
// QORString: the narrow string some host entry points take.
// ---------------------------------------------------------------------------------------------
using QORString = std::string;

// ---------------------------------------------------------------------------------------------
// QORUnicodeString: the host's Unicode string. Text is held as UTF-8; lengths and positions are
// counted in characters (code points), as a user would count them.
// ---------------------------------------------------------------------------------------------
class QOR_EXPORT QORUnicodeString {
 public:
  QORUnicodeString() = default;
  QORUnicodeString(const char* utf8) : text_(utf8 ? utf8 : "") {}
  QORUnicodeString(std::string utf8) : text_(std::move(utf8)) {}

  // Replaces the content by a narrow (UTF-8) text; null empties it.
  void BuildFromChar(const char* utf8) { text_ = utf8 ? utf8 : ""; }
  // The narrow (UTF-8) form; valid until the string changes.
  const char* ConvertToChar() const { return text_.c_str(); }
  const std::string& Utf8() const { return text_; }

  bool IsEmpty() const { return text_.empty(); }
  int GetLengthInChar() const;
  // Byte length of the narrow form.
  int GetLengthInByte() const { return static_cast<int>(text_.size()); }

  // Position (in characters) of the first occurrence of sub at or after start, or -1.
  int SearchSubString(const QORUnicodeString& sub, int start = 0) const;
  // Characters [start, start + count); count < 0 means up to the end.
  QORUnicodeString SubString(int start, int count = -1) const;
  // The text without any blank (' ').
  QORUnicodeString RemoveBlanks() const;

  void Append(const QORUnicodeString& other) { text_ += other.text_; }
  QORUnicodeString& operator+=(const QORUnicodeString& other) {
    text_ += other.text_;
    return *this;
  }
  friend QORUnicodeString operator+(QORUnicodeString a, const QORUnicodeString& b) {
    a += b;
    return a;
  }
  void Empty() { text_.clear(); }

  // Decimal text of an integer.
  static QORUnicodeString FromInt(int value);

  friend bool operator==(const QORUnicodeString& a, const QORUnicodeString& b) {
    return a.text_ == b.text_;
  }
  friend bool operator!=(const QORUnicodeString& a, const QORUnicodeString& b) {
    return a.text_ != b.text_;
  }
  friend bool operator<(const QORUnicodeString& a, const QORUnicodeString& b) {
    return a.text_ < b.text_;
  }

 private:
  std::string text_;
};

// ---------------------------------------------------------------------------------------------
// QORList: the host's value list. Indices count from 1, as everywhere in the host's API.
// ---------------------------------------------------------------------------------------------
template <class T>
class QORList {
 public:
  QORList() = default;
  QORList(std::initializer_list<T> init) : items_(init) {}

  int Size() const { return static_cast<int>(items_.size()); }
  T& operator[](int index) { return items_[Checked(index)]; }
  const T& operator[](int index) const { return items_[Checked(index)]; }

  void Append(const T& item) { items_.push_back(item); }
  void Append(T&& item) { items_.push_back(std::move(item)); }
  // Inserts before position index (1 to Size() + 1).
  void InsertAt(int index, const T& item) {
    if (index < 1 || index > Size() + 1) QORHostFatal(__FILE__, __LINE__, "list insert out of range");
    items_.insert(items_.begin() + (index - 1), item);
  }
  void RemovePosition(int index) { items_.erase(items_.begin() + Checked(index)); }
  void RemoveAll() { items_.clear(); }
  void Reserve(std::size_t count) { items_.reserve(count); }
  // Position of the first element equal to item, or 0.
  int Locate(const T& item) const {
    for (std::size_t i = 0; i < items_.size(); ++i)
      if (items_[i] == item) return static_cast<int>(i) + 1;
    return 0;
  }

  // For the host's own code: iteration and access to the storage.
  auto begin() { return items_.begin(); }
  auto end() { return items_.end(); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }
  const std::vector<T>& Items() const { return items_; }

  friend bool operator==(const QORList& a, const QORList& b) { return a.items_ == b.items_; }

 private:
  std::size_t Checked(int index) const {
    if (index < 1 || index > Size()) QORHostFatal(__FILE__, __LINE__, "list index out of range");
    return static_cast<std::size_t>(index - 1);
  }
  std::vector<T> items_;
};

using QORListOfQORUnicodeString = QORList<QORUnicodeString>;
using QORListOfInt = QORList<int32_t>;

// ---------------------------------------------------------------------------------------------
// QORBaseUnknown: every host object. Reference counted; a new object holds one reference, owned
// by its creator. Interfaces derive virtually from it, so a handle of one interface can be asked
// for another (null when the object lacks it).
// ---------------------------------------------------------------------------------------------
class QOR_EXPORT QORBaseUnknown {
 public:
  QORBaseUnknown() = default;
  QORBaseUnknown(const QORBaseUnknown&) : refs_(1) {}
  QORBaseUnknown& operator=(const QORBaseUnknown&) { return *this; }
  virtual ~QORBaseUnknown() = default;

  ULONG AddRef() { return ++refs_; }
  ULONG Release() {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  ULONG RefCount() const { return refs_; }

  // Class name of the object's most derived host class, for type tests by name.
  virtual const char* GetImplClassName() const { return "QORBaseUnknown"; }
  // An object may implement an interface in C++ yet not offer it for this instance (a product
  // without properties, a plate without extension): handles then come out null.
  virtual bool HidesInterface(const char* /*interfaceName*/) const { return false; }
  static const char* ClassName() { return "QORBaseUnknown"; }

  // Host allocator: returns null instead of throwing when memory runs out.
  static void* operator new(std::size_t size) noexcept { return std::malloc(size); }
  static void operator delete(void* p) noexcept { std::free(p); }

  // Same object, whatever interface each pointer designates.
  static bool IsSameObject(const QORBaseUnknown* a, const QORBaseUnknown* b) {
    return dynamic_cast<const void*>(a) == dynamic_cast<const void*>(b);
  }

 private:
  std::atomic<ULONG> refs_{1};
};

namespace qor_detail {

// A cast's starting point: the class of the whole object and where in it the pointer points.
struct CastOrigin {
  const std::type_info* type;
  std::ptrdiff_t offset;
  bool operator==(const CastOrigin&) const = default;
};

struct CastOriginHash {
  std::size_t operator()(const CastOrigin& origin) const noexcept {
    return std::hash<const void*>()(origin.type) ^ (static_cast<std::size_t>(origin.offset) * 0x9E3779B97F4A7C15ull);
  }
};

inline constexpr std::ptrdiff_t kNoSubobject = PTRDIFF_MIN;

}  // namespace qor_detail

// dynamic_cast<I*>(p), remembered. Across the host's deep virtual hierarchies a cast costs
// thousands of instructions, and analysing a mold asks several per instance; its answer depends
// only on the whole object's class and the subobject p designates, so it is kept per thread as an
// offset in the whole object. Classes are told apart by the address of their type_info, which
// stays put since module libraries are never unloaded.
template <class I, class J>
I* QORInterfaceCast(J* p) {
  if constexpr (std::is_convertible_v<J*, I*>) {
    return p;
  } else {
    if (!p) return nullptr;
    char* whole = static_cast<char*>(dynamic_cast<void*>(p));
    const qor_detail::CastOrigin origin{&typeid(*p), reinterpret_cast<char*>(p) - whole};
    static thread_local std::unordered_map<qor_detail::CastOrigin, std::ptrdiff_t, qor_detail::CastOriginHash> known;
    auto found = known.find(origin);
    if (found == known.end()) {
      I* cast = dynamic_cast<I*>(p);
      found = known.emplace(origin, cast ? reinterpret_cast<char*>(cast) - whole : qor_detail::kNoSubobject).first;
    }
    if (found->second == qor_detail::kNoSubobject) return nullptr;
    return reinterpret_cast<I*>(whole + found->second);
  }
}

// Typed, reference-counted handle on an interface I. Constructing it from any object or handle
// asks for I: the handle is null when the object does not offer it.
template <class I>
class QORVar {
 public:
  QORVar() = default;
  QORVar(std::nullptr_t) {}
  QORVar(I* p) : p_(p) { Acquire(); }
  template <class J, class = std::enable_if_t<!std::is_same_v<I, J>>>
  QORVar(J* p) : p_(Query(p)) {
    Acquire();
  }
  QORVar(const QORVar& other) : p_(other.p_) { Acquire(); }
  QORVar(QORVar&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  template <class J, class = std::enable_if_t<!std::is_same_v<I, J>>>
  QORVar(const QORVar<J>& other) : QORVar(other.operator->()) {}
  ~QORVar() { Drop(); }

  QORVar& operator=(const QORVar& other) {
    if (this != &other) {
      I* p = other.p_;
      if (p) p->AddRef();
      Drop();
      p_ = p;
    }
    return *this;
  }
  QORVar& operator=(QORVar&& other) noexcept {
    if (this != &other) {
      Drop();
      p_ = std::exchange(other.p_, nullptr);
    }
    return *this;
  }
  QORVar& operator=(std::nullptr_t) {
    Drop();
    return *this;
  }

  I* operator->() const { return p_; }
  I* Get() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  bool operator!() const { return p_ == nullptr; }

  // Identity, not value: two handles are equal when they designate the same object.
  template <class J>
  bool operator==(const QORVar<J>& other) const {
    return QORBaseUnknown::IsSameObject(p_, other.Get());
  }
  bool operator==(std::nullptr_t) const { return p_ == nullptr; }

 private:
  template <class J>
  static I* Query(J* p) {
    if (!p) return nullptr;
    I* q = QORInterfaceCast<I>(p);
    // Every object is a QORBaseUnknown: only a narrower interface can be hidden.
    if constexpr (!std::is_same_v<I, QORBaseUnknown>)
      if (q && static_cast<const QORBaseUnknown*>(q)->HidesInterface(I::ClassName())) return nullptr;
    return q;
  }
  void Acquire() {
    if (p_) p_->AddRef();
  }
  void Drop() {
    if (p_) std::exchange(p_, nullptr)->Release();
  }
  I* p_ = nullptr;
};

using QORBaseUnknown_var = QORVar<QORBaseUnknown>;
using QORListValQORBaseUnknown_var = QORList<QORBaseUnknown_var>;

// Declares the handle type I_var and the value list QORListValI_var of an interface I.
#define QOR_DECLARE_HANDLE(I) \
  using I##_var = QORVar<I>;  \
  using QORListVal##I##_var = QORList<QORVar<I>>

// Releases and nulls a raw interface pointer obtained with a reference.
template <class I>
inline void QORRelease(I*& p) {
  if (p) std::exchange(p, nullptr)->Release();
}
