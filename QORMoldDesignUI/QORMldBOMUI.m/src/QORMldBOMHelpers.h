// Constants of the BOM table and helpers shared by the command, the dialog and the file functions.
#ifndef QORMldBOMHelpers_H
#define QORMldBOMHelpers_H

#include <cstdio>
#include <cstdlib>

#include "QORBase.h"
#include "QORSystemServices.h"

namespace QORMldBOM {

// The table always has this many columns; the first ones are the fixed columns.
inline constexpr int ColumnSlotCount = 61;
inline constexpr int FixedColumnCount = 11;
// A hidden column keeps its display position in its descriptor, raised by this offset.
inline constexpr int HiddenOffset = 1000;
inline constexpr int HighestPosition = ColumnSlotCount - 1;

// Column kinds, as the descriptors hold them and the profile writes them.
inline constexpr int KindFixed = 0;
inline constexpr int KindEditable = -1;
inline constexpr int KindReadOnly = 1;
inline constexpr int KindUserProperty = 2;
inline constexpr int KindSpare = -2;

inline QORUnicodeString IntegerText(int value) {
  char text[32];
  std::snprintf(text, sizeof(text), "%d", value);
  return QORUnicodeString(text);
}

// Reads a number as sscanf's "%le" does, which decides what users' files hold. A plain decimal,
// by far the most frequent, goes to strtod, which the scan itself uses and so agrees with.
inline bool ScanDouble(const char* text, double& value) {
  const char* p = text;
  if (*p == '-' || *p == '+') ++p;
  bool digits = false;
  for (; *p >= '0' && *p <= '9'; ++p) digits = true;
  if (*p == '.')
    for (++p; *p >= '0' && *p <= '9'; ++p) digits = true;
  if (digits && *p == '\0') {
    value = std::strtod(text, nullptr);
    return true;
  }
  return std::sscanf(text, "%le", &value) == 1;
}

// The kind as a profile's column definition line spells it.
inline bool IsKindText(const QORUnicodeString& text, int kind) { return text == IntegerText(kind); }

inline bool IsHiddenCode(int code) { return code >= HiddenOffset; }
inline int PositionOfCode(int code) { return IsHiddenCode(code) ? code - HiddenOffset : code; }
// A position code a profile may hold: a display position, or one with the hidden offset.
inline bool IsValidPositionCode(int code) {
  return code <= HighestPosition || (code >= HiddenOffset && code <= HiddenOffset + HighestPosition);
}

template <class T>
T EntryOr(const QORList<T>& list, int index, const T& fallback) {
  if (index < 1 || index > list.Size()) return fallback;
  return list[index];
}

// A variable counts as set when the host gives it with a value; the copy the host made is freed here.
inline bool ReadEnvironment(const char* name, QORUnicodeString& value) {
  char* text = nullptr;
  const HRESULT result = QORGetEnvValue(name, &text);
  const bool isSet = result == S_OK && text != nullptr;
  if (isSet) value = QORUnicodeString(text);
  if (text) std::free(text);
  return isSet;
}

// The instance names of a group, in order.
inline void GroupNames(const QORUnicodeString& group, QORListOfQORUnicodeString& names) {
  QORToken tokens(group);
  const QORUnicodeString separator(";");
  for (QORUnicodeString name = tokens.GetNextToken(separator); !name.IsEmpty(); name = tokens.GetNextToken(separator))
    names.Append(name);
}

// Membership is by whole name: molds hold Pin.1 beside Pin.10, and a name found inside another
// would give one component's number and price to the other.
inline bool IsGroupMember(const QORUnicodeString& group, const QORUnicodeString& name) {
  if (name.IsEmpty()) return false;
  QORListOfQORUnicodeString names;
  GroupNames(group, names);
  return names.Locate(name) > 0;
}

}  // namespace QORMldBOM

#endif
