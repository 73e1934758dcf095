// Knowledge parameters: typed, named values published by products and by user-property sets.
#pragma once

#include "QORBase.h"
#include "QORProductStructure.h"

// Type of a knowledge parameter; types are singletons compared by identity.
class QOR_EXPORT QORIType : public virtual QORBaseUnknown {
 public:
  static const char* ClassName() { return "QORIType"; }
  virtual QORUnicodeString GetTypeName() const = 0;
};
QOR_DECLARE_HANDLE(QORIType);

// The dictionary of parameter types.
class QOR_EXPORT QORParmDictionary {
 public:
  static QORIType_var StringType();
  static QORIType_var RealType();
  static QORIType_var IntegerType();
  static QORIType_var BooleanType();
};

// The value of a parameter as an object.
class QOR_EXPORT QORIValue : public virtual QORBaseUnknown {
 public:
  static const char* ClassName() { return "QORIValue"; }
  virtual QORUnicodeString Show() const = 0;
};
QOR_DECLARE_HANDLE(QORIValue);

// A knowledge parameter. Its value text: a string as given; a real as the shortest text that
// reads back as the same number (100, 12.5, 1e+21); an integer in decimal; a boolean as "true"
// or "false".
class QOR_EXPORT QORICkeParm : public virtual QORBaseUnknown {
 public:
  static const char* ClassName() { return "QORICkeParm"; }
  // The parameter's name as published, possibly a path such as "Body\RefMold".
  virtual QORUnicodeString GetName() const = 0;
  virtual QORIType_var GetType() const = 0;
  // The name relative to a publisher: the last segment of the name.
  virtual QORUnicodeString GetRelativeName(QORIParmPublisher* publisher) const = 0;
  virtual QORIValue_var GetValue() const = 0;
  // The value as text (the same text as the value object's).
  virtual QORUnicodeString Show() const = 0;
  // Sets a real value; a string parameter then holds that real's text, an integer one the nearest
  // integer (a value out of its range changes nothing), a boolean one whether it is not zero.
  virtual void Valuate(double value) = 0;
};
QOR_DECLARE_HANDLE(QORICkeParm);

// An object publishing knowledge parameters.
class QOR_EXPORT QORIParmPublisher : public virtual QORBaseUnknown {
 public:
  static const char* ClassName() { return "QORIParmPublisher"; }
  // Appends to children every published object of the type named typeName (for parameters,
  // QORICkeParm::ClassName()), in publishing order.
  virtual void GetAllChildren(const char* typeName, QORListValQORISpecObject_var& children) = 0;
};
QOR_DECLARE_HANDLE(QORIParmPublisher);
