// Indexes over instance names, instance groups and component instances, so that looking up one
// BOM line costs the same whatever the size of the mold. Each answers exactly as a walk of the
// lists in their order would.
#ifndef QORMldBOMLookup_H
#define QORMldBOMLookup_H

#include <string>
#include <unordered_map>
#include <vector>

#include "QORBase.h"

// The profile records an instance name leads to: known names (the profile's), and two lists of
// instance groups searched one after the other (the profile's associations, then the analysis's).
class QORMldBOMNameLookup {
 public:
  QORMldBOMNameLookup(const QORListOfQORUnicodeString& known, const QORListOfQORUnicodeString& groupsA,
                      const QORListOfQORUnicodeString& groupsB);

  // The known name standing for name through the groups; empty when none does.
  QORUnicodeString Search(const QORUnicodeString& name) const;
  // The first known record equal to name or to the name Search gives; 0 when there is none.
  int FirstRecord(const QORUnicodeString& name) const;

 private:
  int FirstKnown(const std::string& name) const;

  const QORListOfQORUnicodeString& known_;
  std::unordered_map<std::string, int> firstKnown_;
  // For each name, the record its first yielding group gives.
  std::unordered_map<std::string, int> throughGroupsA_;
  std::unordered_map<std::string, int> throughGroupsB_;
};

// The lines' instance groups and the component instances by name, for one dialog's parts.
class QORMldBOMPartLookup {
 public:
  QORMldBOMPartLookup(const QORListOfQORUnicodeString& groups, const QORListValQORBaseUnknown_var& components);

  // The first group holding name as a whole token, 0 when none does.
  int GroupOf(const QORUnicodeString& name) const;
  // Positions (from 1, ascending) of the first limit components whose name is among names.
  std::vector<int> ComponentsNamed(const QORListOfQORUnicodeString& names, int limit) const;

 private:
  std::unordered_map<std::string, int> groupOf_;
  // The components of a name, and the last call of ComponentsNamed that took them, so that a name
  // given twice is taken once without a set of the names seen.
  struct Named {
    std::vector<int> positions;
    unsigned long takenBy = 0;
  };
  mutable std::unordered_map<std::string, Named> componentsOf_;
  mutable unsigned long calls_ = 0;
};

#endif
