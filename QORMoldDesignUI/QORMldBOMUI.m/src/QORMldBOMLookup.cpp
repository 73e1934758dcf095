// Indexes over instance names and groups; see QORMldBOMLookup.h.
#include "QORMldBOMLookup.h"

#include <algorithm>
#include <string_view>
#include <unordered_set>

#include "QORMldBOMHelpers.h"
#include "QORProductStructure.h"

using namespace QORMldBOM;

QORMldBOMNameLookup::QORMldBOMNameLookup(const QORListOfQORUnicodeString& known,
                                         const QORListOfQORUnicodeString& groupsA,
                                         const QORListOfQORUnicodeString& groupsB)
    : known_(known) {
  for (int k = known.Size(); k >= 1; --k) firstKnown_[known[k].Utf8()] = k;

  QORListOfQORUnicodeString tokens;
  // A name in a group of A stands for the first known name, in known's order, that the group holds.
  for (const QORUnicodeString& group : groupsA) {
    tokens.RemoveAll();
    GroupNames(group, tokens);
    int first = 0;
    for (const QORUnicodeString& token : tokens) {
      const int k = FirstKnown(token.Utf8());
      if (k > 0 && (first == 0 || k < first)) first = k;
    }
    if (first == 0) continue;
    for (const QORUnicodeString& token : tokens) throughGroupsA_.try_emplace(token.Utf8(), first);
  }
  // A name in a group of B stands for the group's first known token other than itself: the first
  // known token, or for that token itself the first known token that differs from it.
  for (const QORUnicodeString& group : groupsB) {
    tokens.RemoveAll();
    GroupNames(group, tokens);
    int first = 0;
    int second = 0;
    for (const QORUnicodeString& token : tokens) {
      const int k = FirstKnown(token.Utf8());
      if (k == 0) continue;
      if (first == 0) {
        first = k;
      } else if (known[k] != known[first]) {
        second = k;
        break;
      }
    }
    if (first == 0) continue;
    for (const QORUnicodeString& token : tokens) {
      const int k = token == known[first] ? second : first;
      if (k > 0) throughGroupsB_.try_emplace(token.Utf8(), k);
    }
  }
}

int QORMldBOMNameLookup::FirstKnown(const std::string& name) const {
  const auto found = firstKnown_.find(name);
  return found == firstKnown_.end() ? 0 : found->second;
}

QORUnicodeString QORMldBOMNameLookup::Search(const QORUnicodeString& name) const {
  if (name.IsEmpty()) return QORUnicodeString();
  for (const auto* through : {&throughGroupsA_, &throughGroupsB_}) {
    const auto found = through->find(name.Utf8());
    if (found != through->end()) return known_[found->second];
  }
  return QORUnicodeString();
}

int QORMldBOMNameLookup::FirstRecord(const QORUnicodeString& name) const {
  int record = FirstKnown(name.Utf8());
  const QORUnicodeString found = Search(name);
  if (!found.IsEmpty()) {
    const int other = FirstKnown(found.Utf8());
    if (other > 0 && (record == 0 || other < record)) record = other;
  }
  return record;
}

QORMldBOMPartLookup::QORMldBOMPartLookup(const QORListOfQORUnicodeString& groups,
                                         const QORListValQORBaseUnknown_var& components) {
  QORListOfQORUnicodeString tokens;
  for (int g = 1; g <= groups.Size(); ++g) {
    tokens.RemoveAll();
    GroupNames(groups[g], tokens);
    for (const QORUnicodeString& token : tokens) groupOf_.try_emplace(token.Utf8(), g);
  }
  for (int i = 1; i <= components.Size(); ++i) {
    QORUnicodeString name;
    QORIProduct_var product(components[i]);
    if (product) product->GetPrdInstanceName(name);
    if (!name.IsEmpty()) componentsOf_[name.Utf8()].positions.push_back(i);
  }
}

int QORMldBOMPartLookup::GroupOf(const QORUnicodeString& name) const {
  const auto found = groupOf_.find(name.Utf8());
  return found == groupOf_.end() ? 0 : found->second;
}

std::vector<int> QORMldBOMPartLookup::ComponentsNamed(const QORListOfQORUnicodeString& names, int limit) const {
  std::vector<int> positions;
  const unsigned long call = ++calls_;
  for (const QORUnicodeString& name : names) {
    const auto found = componentsOf_.find(name.Utf8());
    if (found == componentsOf_.end() || found->second.takenBy == call) continue;
    found->second.takenBy = call;
    positions.insert(positions.end(), found->second.positions.begin(), found->second.positions.end());
  }
  if (!std::is_sorted(positions.begin(), positions.end())) std::sort(positions.begin(), positions.end());
  if (limit >= 0 && static_cast<int>(positions.size()) > limit) positions.resize(static_cast<std::size_t>(limit));
  return positions;
}
