// Product structure services: products and their instances, product properties, specification
// objects, aliases and paths of instances in the loaded assembly.
#pragma once

#include "QORBase.h"

class QORIParmPublisher;
class QORPathElement;

// A specification object of the host; its father is the object that aggregates it.
class QOR_EXPORT QORISpecObject : public virtual QORBaseUnknown {
 public:
  static const char* ClassName() { return "QORISpecObject"; }
  // The father with a reference the caller releases, or null.
  virtual QORISpecObject* GetFather() = 0;
};
QOR_DECLARE_HANDLE(QORISpecObject);

// A product: either a reference product (what a part or assembly is) or an instance of one inside
// an assembly. The loaded structure is a tree of instances below the root product.
class QOR_EXPORT QORIProduct : public virtual QORBaseUnknown {
 public:
  static const char* ClassName() { return "QORIProduct"; }

  // The instances below this product that offer the interface named interfaceName, at every
  // level, depth first, each before its own children, in file order. The caller deletes the
  // list; null for an unknown interface name.
  virtual QORListValQORBaseUnknown_var* GetChildren(const char* interfaceName) = 0;
  // The reference product this product is an instance of (a reference product is its own).
  virtual QORVar<QORIProduct> GetReferenceProduct() = 0;
  // The instance (or root) this instance belongs to; null for the root.
  virtual QORVar<QORIProduct> GetFatherProduct() = 0;
  // This instance's counterpart among the instances that the reference product reference
  // declares directly; null when reference does not declare it.
  virtual QORVar<QORIProduct> FindInstance(const QORVar<QORIProduct>& reference) = 0;

  virtual HRESULT GetPrdInstanceName(QORUnicodeString& name) = 0;
  virtual QORUnicodeString GetPartNumber() = 0;
};
QOR_DECLARE_HANDLE(QORIProduct);

// True when the product is a part's product (its reference declares no instances).
QOR_EXPORT bool QORPrdIsAProductFromQORPart(const QORIProduct_var& product);

// Product properties: each read returns a negative code when the value is absent.
class QOR_EXPORT QORIPrdProperties : public virtual QORBaseUnknown {
 public:
  static const char* ClassName() { return "QORIPrdProperties"; }
  virtual HRESULT GetBOMFlag(QORBoolean& inBOM) = 0;
  virtual HRESULT GetReference(QORUnicodeString& reference) = 0;
  virtual HRESULT GetSupplier(QORUnicodeString& supplier) = 0;
  // 0 unknown, 1 made, 2 bought.
  virtual HRESULT GetSource(int& source) = 0;
  // The user-property publisher, with a reference the caller releases. Succeeds with a null
  // publisher when there is none and create is 0.
  virtual HRESULT GetUserPropertiesPublisher(QORIParmPublisher*& publisher, int create) = 0;
};
QOR_DECLARE_HANDLE(QORIPrdProperties);

// Display name of an object in the specification tree.
class QOR_EXPORT QORIAlias : public virtual QORBaseUnknown {
 public:
  static const char* ClassName() { return "QORIAlias"; }
  virtual QORUnicodeString GetAlias() = 0;
};
QOR_DECLARE_HANDLE(QORIAlias);

// A path in the specification tree, from the top element down to one object.
class QOR_EXPORT QORPathElement : public virtual QORBaseUnknown {
 public:
  static const char* ClassName() { return "QORPathElement"; }
  QORPathElement() = default;
  explicit QORPathElement(QORListValQORBaseUnknown_var elements) : elements_(std::move(elements)) {}

  // Restarts the walk at the top element.
  void InitToTopElement() { cursor_ = 1; }
  // The element at the cursor, then moves down; null past the last element.
  QORBaseUnknown_var NextChildElement() {
    if (cursor_ > elements_.Size()) return nullptr;
    return elements_[cursor_++];
  }
  int GetSize() const { return elements_.Size(); }
  const QORListValQORBaseUnknown_var& Elements() const { return elements_; }

 private:
  QORListValQORBaseUnknown_var elements_;
  int cursor_ = 1;
};
QOR_DECLARE_HANDLE(QORPathElement);

// Gives the path of an object in the specification tree.
class QOR_EXPORT QORIPathAccess : public virtual QORBaseUnknown {
 public:
  static const char* ClassName() { return "QORIPathAccess"; }
  // The path from the root to this object, with a reference the caller releases.
  virtual HRESULT GetPathElement(QORPathElement*& path) = 0;
};
QOR_DECLARE_HANDLE(QORIPathAccess);

// Builds the path element of an object under a context path (the editor's).
class QOR_EXPORT QORIBuildPath : public virtual QORBaseUnknown {
 public:
  static const char* ClassName() { return "QORIBuildPath"; }
  // The path of this object under context, with a reference the caller releases; fails when the
  // object does not lie under context.
  virtual HRESULT ExtractPathElement(QORPathElement* context, QORPathElement*& path) = 0;
};
QOR_DECLARE_HANDLE(QORIBuildPath);
