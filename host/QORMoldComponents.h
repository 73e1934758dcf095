// Mold components and tooling services: plates, component extensions, work modes, the list of
// products whose work mode changed, the instances of a product and the tooling-type names.
#pragma once

#include "QORBase.h"
#include "QORProductStructure.h"

// The tooling extension of a plate or component; it knows the component's tooling type.
class QOR_EXPORT QORIExtension : public virtual QORBaseUnknown {
 public:
  static const char* ClassName() { return "QORIExtension"; }
  virtual QORUnicodeString GetTypeName() = 0;
};
QOR_DECLARE_HANDLE(QORIExtension);

// A mold plate; it may carry a tooling extension (QORIExtension).
class QOR_EXPORT QORIMldPlate : public virtual QORBaseUnknown {
 public:
  static const char* ClassName() { return "QORIMldPlate"; }
};
QOR_DECLARE_HANDLE(QORIMldPlate);

// A mold component (standard or user component); it carries a tooling extension.
class QOR_EXPORT QORIMldComponent : public virtual QORBaseUnknown {
 public:
  static const char* ClassName() { return "QORIMldComponent"; }
};
QOR_DECLARE_HANDLE(QORIMldComponent);

class QOR_EXPORT QORMldServicesComponents {
 public:
  // 0 or more, and component set with a reference the caller releases, when object is a mold
  // component; a negative code otherwise.
  static HRESULT CastToQORIMldComponent(const QORBaseUnknown_var& object, QORIMldComponent*& component);
};

class QOR_EXPORT QORTlgServicesFunction {
 public:
  // Puts product in the given work mode (1: work) and enters it in the cache list.
  static HRESULT ModifyWorkMode(const QORIProduct_var& product, int mode);
};

// The list of products whose work mode the running command changed.
class QOR_EXPORT QORTlgServicesCacheList {
 public:
  static HRESULT Init();
  // Returns every product of the list to visualisation mode (0).
  static HRESULT GoToVisuMode();
  static HRESULT Close();

  // For the host's own views: the work mode of a product (0 visualisation, 1 work) and the
  // instance paths of the products in work mode, in the order they changed.
  static int WorkModeOf(const QORIProduct_var& product);
  static QORListOfQORUnicodeString ProductsInWorkMode();
};

class QOR_EXPORT QORTlgServicesProduct {
 public:
  // Every instance in the loaded structure whose reference product is product's reference.
  static HRESULT GetAllInstanceFromProduct(const QORIProduct_var& product, QORListValQORBaseUnknown_var& instances);
};

// The tooling-type names; each text is the constant's name without "str".
QOR_EXPORT extern const QORUnicodeString strAnglePin;
QOR_EXPORT extern const QORUnicodeString strBaffle;
QOR_EXPORT extern const QORUnicodeString strBushing;
QOR_EXPORT extern const QORUnicodeString strCapScrew;
QOR_EXPORT extern const QORUnicodeString strCorePin;
QOR_EXPORT extern const QORUnicodeString strCountScrew;
QOR_EXPORT extern const QORUnicodeString strDowelPin;
QOR_EXPORT extern const QORUnicodeString strEjector;
QOR_EXPORT extern const QORUnicodeString strEjectorPin;
QOR_EXPORT extern const QORUnicodeString strEjectorSleeve;
QOR_EXPORT extern const QORUnicodeString strEyeBolt;
QOR_EXPORT extern const QORUnicodeString strFlatEjector;
QOR_EXPORT extern const QORUnicodeString strInsert;
QOR_EXPORT extern const QORUnicodeString strKnockOut;
QOR_EXPORT extern const QORUnicodeString strLeaderPin;
QOR_EXPORT extern const QORUnicodeString strLocatingRing;
QOR_EXPORT extern const QORUnicodeString strLockScrew;
QOR_EXPORT extern const QORUnicodeString strORing;
QOR_EXPORT extern const QORUnicodeString strPlug;
QOR_EXPORT extern const QORUnicodeString strRetainer;
QOR_EXPORT extern const QORUnicodeString strSleeve;
QOR_EXPORT extern const QORUnicodeString strSlider;
QOR_EXPORT extern const QORUnicodeString strSpring;
QOR_EXPORT extern const QORUnicodeString strSprueBushing;
QOR_EXPORT extern const QORUnicodeString strSpruePuller;
QOR_EXPORT extern const QORUnicodeString strStopPin;
QOR_EXPORT extern const QORUnicodeString strSupportPillar;
QOR_EXPORT extern const QORUnicodeString strUserComponent;
