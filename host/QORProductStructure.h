// Product structure services: products and their instances, product properties, feature
// objects, aliases and paths of instances in the loaded assembly.
#pragma once

#include "QORBase.h"
#include "QORExpected.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

class QORIParmPublisher;
class QORPathElement;

// A feature object of the host; its father is the object that aggregates it.
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

// Display name of an object in the product tree.
class QOR_EXPORT QORIAlias : public virtual QORBaseUnknown {
 public:
  static const char* ClassName() { return "QORIAlias"; }
  virtual QORUnicodeString GetAlias() = 0;
};
QOR_DECLARE_HANDLE(QORIAlias);

// A path in the product tree, from the top element down to one object.
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

// Gives the path of an object in the product tree.
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

// =============================================================================================
// Host side: the loaded mold document. The application and the host's own services use it; the
// module never does.
// =============================================================================================

// A mold assembly loaded from a file: its reference products and the tree of instance
// occurrences below the root product. The document owns the whole structure; objects handed out
// stay valid (detached from their parents) when the document goes away before them.
class QOR_EXPORT QORMoldDocument {
 public:
  // Reads a mold assembly file (format "moldbom-assembly", version 1), or an ISO 10303-21 assembly
  // when the text starts with "ISO-10303-21;": the whole document, or the error that stopped it
  // with its line and column (nothing is half-loaded). A parts catalogue, when named, fills what
  // the file does not say.
  static QORExpected<std::unique_ptr<QORMoldDocument>> LoadFile(const std::string& path,
                                                                const std::string& catalogPath = {});
  // Reads the same format from text; fileName only names the source in errors.
  static QORExpected<std::unique_ptr<QORMoldDocument>> LoadText(const std::string& text, const std::string& fileName);

  ~QORMoldDocument();
  QORMoldDocument(const QORMoldDocument&) = delete;
  QORMoldDocument& operator=(const QORMoldDocument&) = delete;

  const std::string& FileName() const;
  // What loading changed or took from elsewhere, one sentence each (names made valid, …).
  const std::vector<std::string>& Notes() const;
  // The root occurrence; its instance name is the root product's part number.
  QORIProduct_var Root() const;
  // The occurrence at an instance path such as "MOLD/SliderUnit.1/Pin.2" (instance names joined
  // by "/", the root's first), or null.
  QORIProduct_var FindByPath(std::string_view instancePath) const;
  // The reference product of a product id of the file, or null.
  QORIProduct_var FindReferenceProduct(std::string_view productId) const;
  // Visits every occurrence depth first, each before its children, in file order; the root has
  // depth 0.
  void Walk(const std::function<void(const QORIProduct_var& instance, int depth)>& visit) const;
  // The path an editor showing this document takes as its context: the root occurrence alone.
  QORPathElement_var ContextPath() const;

  // The instance path of an occurrence of any document; for another product, its instance name.
  static std::string InstancePath(const QORIProduct_var& product);

  // The document that the host's services (all instances of a product, the editor) work on; the
  // application sets it, and a document that goes away stops being current.
  static void SetCurrent(QORMoldDocument* document);
  static QORMoldDocument* Current();

  struct Impl;
  explicit QORMoldDocument(std::unique_ptr<Impl> impl);

 private:
  std::unique_ptr<Impl> impl_;
};

// Number of host product and knowledge objects alive, for leak checks in tests.
QOR_EXPORT long QORMoldLiveObjectCount();
