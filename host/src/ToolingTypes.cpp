// The 28 tooling-type constants; each text is the constant's name without "str".
#include "ToolingTypes.h"

#include "QORMoldComponents.h"

#include <array>

namespace {

constexpr std::array<const char*, 28> kToolingTypeNames = {
    "AnglePin",   "Baffle",       "Bushing",       "CapScrew",     "CorePin",      "CountScrew",
    "DowelPin",   "Ejector",      "EjectorPin",    "EjectorSleeve", "EyeBolt",     "FlatEjector",
    "Insert",     "KnockOut",     "LeaderPin",     "LocatingRing", "LockScrew",    "ORing",
    "Plug",       "Retainer",     "Sleeve",        "Slider",       "Spring",       "SprueBushing",
    "SpruePuller", "StopPin",     "SupportPillar", "UserComponent"};

}  // namespace

const QORUnicodeString strAnglePin(kToolingTypeNames[0]);
const QORUnicodeString strBaffle(kToolingTypeNames[1]);
const QORUnicodeString strBushing(kToolingTypeNames[2]);
const QORUnicodeString strCapScrew(kToolingTypeNames[3]);
const QORUnicodeString strCorePin(kToolingTypeNames[4]);
const QORUnicodeString strCountScrew(kToolingTypeNames[5]);
const QORUnicodeString strDowelPin(kToolingTypeNames[6]);
const QORUnicodeString strEjector(kToolingTypeNames[7]);
const QORUnicodeString strEjectorPin(kToolingTypeNames[8]);
const QORUnicodeString strEjectorSleeve(kToolingTypeNames[9]);
const QORUnicodeString strEyeBolt(kToolingTypeNames[10]);
const QORUnicodeString strFlatEjector(kToolingTypeNames[11]);
const QORUnicodeString strInsert(kToolingTypeNames[12]);
const QORUnicodeString strKnockOut(kToolingTypeNames[13]);
const QORUnicodeString strLeaderPin(kToolingTypeNames[14]);
const QORUnicodeString strLocatingRing(kToolingTypeNames[15]);
const QORUnicodeString strLockScrew(kToolingTypeNames[16]);
const QORUnicodeString strORing(kToolingTypeNames[17]);
const QORUnicodeString strPlug(kToolingTypeNames[18]);
const QORUnicodeString strRetainer(kToolingTypeNames[19]);
const QORUnicodeString strSleeve(kToolingTypeNames[20]);
const QORUnicodeString strSlider(kToolingTypeNames[21]);
const QORUnicodeString strSpring(kToolingTypeNames[22]);
const QORUnicodeString strSprueBushing(kToolingTypeNames[23]);
const QORUnicodeString strSpruePuller(kToolingTypeNames[24]);
const QORUnicodeString strStopPin(kToolingTypeNames[25]);
const QORUnicodeString strSupportPillar(kToolingTypeNames[26]);
const QORUnicodeString strUserComponent(kToolingTypeNames[27]);

namespace qorhost {

bool IsToolingTypeName(std::string_view name) {
  for (const char* known : kToolingTypeNames)
    if (name == known) return true;
  return false;
}

std::string ToolingTypeNameList() {
  std::string list;
  for (const char* known : kToolingTypeNames) {
    if (!list.empty()) list += ", ";
    list += known;
  }
  return list;
}

}  // namespace qorhost
