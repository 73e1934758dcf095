// Interface tests by name, the live-object count, and the part test of products.
#include "ProductSupport.h"

#include "ProductReference.h"
#include "QORKnowledge.h"
#include "QORMoldComponents.h"
#include "QORProductStructure.h"

#include <atomic>
#include <cstring>

namespace qorhost {
namespace {

std::atomic<long> liveObjects{0};

template <class I>
bool Offers(QORBaseUnknown* object) {
  return static_cast<bool>(QORVar<I>(object));
}

struct InterfaceTest {
  const char* name;
  bool (*offers)(QORBaseUnknown*);
};

template <class I>
InterfaceTest TestFor() {
  return {I::ClassName(), &Offers<I>};
}

const InterfaceTest* FindTest(const char* interfaceName) {
  static const InterfaceTest tests[] = {
      TestFor<QORBaseUnknown>(),   TestFor<QORIProduct>(),       TestFor<QORISpecObject>(),
      TestFor<QORIPrdProperties>(), TestFor<QORIAlias>(),        TestFor<QORIPathAccess>(),
      TestFor<QORIBuildPath>(),    TestFor<QORPathElement>(),    TestFor<QORIParmPublisher>(),
      TestFor<QORICkeParm>(),      TestFor<QORIType>(),          TestFor<QORIValue>(),
      TestFor<QORIExtension>(),    TestFor<QORIMldPlate>(),      TestFor<QORIMldComponent>(),
  };
  if (!interfaceName) return nullptr;
  for (const InterfaceTest& test : tests)
    if (std::strcmp(test.name, interfaceName) == 0) return &test;
  return nullptr;
}

}  // namespace

LiveObjectToken::LiveObjectToken() { ++liveObjects; }
LiveObjectToken::LiveObjectToken(const LiveObjectToken&) { ++liveObjects; }
LiveObjectToken::~LiveObjectToken() { --liveObjects; }

std::optional<bool> OffersInterfaceNamed(QORBaseUnknown* object, const char* interfaceName) {
  const InterfaceTest* test = FindTest(interfaceName);
  if (!test) return std::nullopt;
  return object && test->offers(object);
}

}  // namespace qorhost

long QORMoldLiveObjectCount() { return qorhost::liveObjects; }

bool QORPrdIsAProductFromQORPart(const QORIProduct_var& product) {
  if (!product) return false;
  const QORIProduct_var reference = product->GetReferenceProduct();
  const auto* ours = dynamic_cast<const qorhost::ProductReference*>(reference.Get());
  return ours && !ours->IsAssembly();
}
