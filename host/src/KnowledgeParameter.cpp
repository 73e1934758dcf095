// Knowledge parameters: typed values, their texts, and the type dictionary they are compared with.
#include "KnowledgeParameter.h"

#include <charconv>
#include <cmath>
#include <climits>
#include <cstdio>

namespace qorhost {
namespace {

class KnowledgeTypeObject : public QORIType {
 public:
  explicit KnowledgeTypeObject(const char* name) : name_(name) {}
  const char* GetImplClassName() const override { return "KnowledgeType"; }
  QORUnicodeString GetTypeName() const override { return QORUnicodeString(name_); }

 private:
  const char* name_;
};

// Types are singletons compared by identity; each lives as long as the host.
QORIType_var SingletonType(const char* name) { return MakeHostObject<KnowledgeTypeObject>(name); }

class KnowledgeValueObject : public QORIValue {
 public:
  explicit KnowledgeValueObject(std::string text) : text_(std::move(text)) {}
  const char* GetImplClassName() const override { return "KnowledgeValue"; }
  QORUnicodeString Show() const override { return QORUnicodeString(text_); }

 private:
  std::string text_;
  LiveObjectToken live_;
};

std::string RealText(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::string LastPathSegment(const std::string& name) {
  const std::size_t slash = name.rfind('\\');
  return slash == std::string::npos ? name : name.substr(slash + 1);
}

}  // namespace

std::string KnowledgeValueText(const KnowledgeValue& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  if (const auto* real = std::get_if<double>(&value)) return RealText(*real);
  if (const auto* integer = std::get_if<int>(&value)) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%d", *integer);
    return buffer;
  }
  return std::get<bool>(value) ? "true" : "false";
}

KnowledgeParameter::KnowledgeParameter(MoldParameter definition, QORISpecObject* publisher)
    : name_(std::move(definition.name)), value_(std::move(definition.value)), publisher_(publisher) {}

QORIType_var KnowledgeParameter::GetType() const {
  QOR_HOST_CALL();
  switch (value_.index()) {
    case 0: return QORParmDictionary::StringType();
    case 1: return QORParmDictionary::RealType();
    case 2: return QORParmDictionary::IntegerType();
    default: return QORParmDictionary::BooleanType();
  }
}

// A name is relative only to the publisher that holds the parameter; for any other the whole
// name is the only meaningful one.
QORUnicodeString KnowledgeParameter::GetRelativeName(QORIParmPublisher* publisher) const {
  QOR_HOST_CALL();
  const bool isOwnPublisher = publisher && publisher_ && QORBaseUnknown::IsSameObject(publisher, publisher_);
  return QORUnicodeString(isOwnPublisher ? LastPathSegment(name_) : name_);
}

QORIValue_var KnowledgeParameter::GetValue() const {
  QOR_HOST_CALL();
  return MakeHostObject<KnowledgeValueObject>(KnowledgeValueText(value_));
}

void KnowledgeParameter::Valuate(double value) {
  QOR_HOST_CALL();
  switch (value_.index()) {
    case 0: value_.emplace<std::string>(RealText(value)); return;
    case 1: value_.emplace<double>(value); return;
    case 2: {
      const double rounded = std::round(value);
      if (std::isfinite(rounded) && rounded >= INT_MIN && rounded <= INT_MAX) value_.emplace<int>(static_cast<int>(rounded));
      return;
    }
    default: value_.emplace<bool>(value != 0); return;
  }
}

QORISpecObject* KnowledgeParameter::GetFather() {
  QOR_HOST_CALL();
  if (publisher_) publisher_->AddRef();
  return publisher_;
}

}  // namespace qorhost

QORIType_var QORParmDictionary::StringType() {
  static const QORIType_var type = qorhost::SingletonType("String");
  return type;
}
QORIType_var QORParmDictionary::RealType() {
  static const QORIType_var type = qorhost::SingletonType("Real");
  return type;
}
QORIType_var QORParmDictionary::IntegerType() {
  static const QORIType_var type = qorhost::SingletonType("Integer");
  return type;
}
QORIType_var QORParmDictionary::BooleanType() {
  static const QORIType_var type = qorhost::SingletonType("Boolean");
  return type;
}
