// Which instance names stand for a line, checked against a plain reference on random molds whose
// names are substrings and prefixes of one another.
#include "QORMldBOMFixture.h"

#include <algorithm>
#include <random>
#include <set>

#include "QORMldBOMLookup.h"

namespace bomtest {
namespace {

using Names = std::set<std::string>;

Strings Tokens(const std::string& group) {
  Strings tokens;
  std::string token;
  for (const char c : group + ";") {
    if (c != ';') {
      token += c;
    } else if (!token.empty()) {
      tokens.push_back(token);
      token.clear();
    }
  }
  return tokens;
}

bool IsToken(const std::string& group, const std::string& name) {
  const Strings tokens = Tokens(group);
  return std::find(tokens.begin(), tokens.end(), name) != tokens.end();
}

std::string ReferenceSearch(const std::string& name, const Strings& known, const Strings& groupsA,
                            const Strings& groupsB) {
  for (const std::string& group : groupsA)
    if (IsToken(group, name))
      for (const std::string& entry : known)
        if (IsToken(group, entry)) return entry;
  for (const std::string& group : groupsB)
    if (IsToken(group, name))
      for (const std::string& token : Tokens(group))
        if (token != name && std::find(known.begin(), known.end(), token) != known.end()) return token;
  return "";
}

int ReferenceFirstRecord(const std::string& name, const Strings& known, const Strings& groupsA,
                         const Strings& groupsB) {
  const std::string found = ReferenceSearch(name, known, groupsA, groupsB);
  for (std::size_t k = 0; k < known.size(); ++k)
    if (known[k] == name || (!found.empty() && known[k] == found)) return static_cast<int>(k) + 1;
  return 0;
}

// Rows as (number, part number) cells; data row k shows parts[k - 1].
struct Table {
  std::vector<std::pair<std::string, std::string>> rows;
  Strings parts;
  Strings groups;
};

Names ReferenceLine(const Table& table, std::size_t row) {
  if (table.rows[row].first.empty() || table.rows[row].second.empty()) return {};
  const auto end = table.rows.begin() + static_cast<long>(row) + 1;
  const auto isData = [](const auto& cells) { return !cells.first.empty(); };
  const auto k = static_cast<std::size_t>(std::count_if(table.rows.begin(), end, isData));
  const std::string& name = table.parts[k - 1];
  for (const std::string& group : table.groups)
    if (IsToken(group, name)) {
      const Strings tokens = Tokens(group);
      return {tokens.begin(), tokens.end()};
    }
  return {name};
}

class MatchingTest : public BomTest {
 protected:
  QORMldBOMDlg& Dlg() override { return *dialog_; }
  int Random(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

  // Distinct names over a few characters, many of them extensions of others, in random order.
  Strings RandomNames(std::size_t count) {
    Names names;
    while (names.size() < count) {
      const int last = static_cast<int>(names.size()) - 1;
      std::string name = last < 0 || Random(0, 1) ? "" : *std::next(names.begin(), Random(0, last));
      for (int i = Random(1, 3); i > 0; --i) name += "C.194"[Random(0, 4)];
      names.insert(name);
    }
    Strings shuffled(names.begin(), names.end());
    std::shuffle(shuffled.begin(), shuffled.end(), random_);
    return shuffled;
  }

  // Groups of one to three names from part of the pool (at least one group), some ending in ";".
  Strings RandomGroups(Strings pool) {
    std::shuffle(pool.begin(), pool.end(), random_);
    pool.resize(static_cast<std::size_t>(Random(1, static_cast<int>(pool.size()))));
    Strings groups;
    for (std::size_t at = 0; at < pool.size();) {
      std::string group = pool[at++];
      for (int more = Random(0, 2); more > 0 && at < pool.size(); --more) group += ";" + pool[at++];
      groups.push_back(group + (Random(0, 1) ? ";" : ""));
    }
    return groups;
  }

  // Shows the table in a dialog over a mold of these instances and selects each row in turn.
  std::vector<Names> HighlightEachRow(const Strings& instances, const Table& table) {
    std::string words;
    for (const std::string& name : instances) words += name + ":part ";
    auto loaded = QORMoldDocument::LoadText(MoldFile(words, R"("part": {"partNumber": "PN"})"), "x.json");
    EXPECT_TRUE(loaded.Ok());
    std::unique_ptr<QORMoldDocument> document = std::move(loaded).Value();
    QORMoldDocument::SetCurrent(document.get());
    auto* editor = new QORFrmEditor();
    editor->SetContextPath(document->ContextPath());
    QORFrmEditor::SetCurrentEditor(editor);
    editor->Release();
    dialog_ = new QORMldBOMDlg();
    dialog_->Build();

    auto instance = [&](const std::string& name) { return document->FindByPath("MOLD/" + name); };
    std::size_t part = 0;
    for (const auto& [number, partNumber] : table.rows) {
      if (number.empty()) {
        Dlg().AddBlankLine();
        continue;
      }
      Dlg().DisplayReport(UnicodeList({number, "1", partNumber, "", "", "", "", "", ""}), QORListOfInt{});
      Dlg().SetAssociatedPart(instance(table.parts[part++]));
    }
    QORListValQORBaseUnknown_var all;
    QORListValQORISpecObject_var prices;
    for (const std::string& name : instances) {
      all.Append(QORBaseUnknown_var(instance(name)));
      prices.Append(QORISpecObject_var());
    }
    Dlg().SetAllParts(all, UnicodeList(table.groups), prices);

    std::vector<Names> highlighted;
    for (int row = 1; row <= static_cast<int>(table.rows.size()); ++row) {
      SelectRows({row});
      Names names;
      for (const std::string& path : editor->GetHSO()->RenderedPaths()) names.insert(path.substr(path.rfind('/') + 1));
      highlighted.push_back(names);
    }
    dialog_->RequestDelayedDestruction();
    QORCommandHost::EndOfUserEvent();
    QORFrmEditor::SetCurrentEditor(nullptr);
    QORMoldDocument::SetCurrent(nullptr);
    return highlighted;
  }

  std::mt19937 random_{20261205};
  QORMldBOMDlg* dialog_ = nullptr;
};

TEST_F(MatchingTest, SearchInstanceNameAgreesWithTheReference) {
  dialog_ = new QORMldBOMDlg();
  for (int round = 0; round < 300; ++round) {
    const Strings pool = RandomNames(8);
    const Strings known(pool.begin(), pool.begin() + Random(0, 4));
    const Strings groupsA = RandomGroups(pool), groupsB = RandomGroups(pool);
    const std::string& name = pool[static_cast<std::size_t>(Random(0, 7))];
    ASSERT_EQ(Dlg().SearchInstanceName(name, UnicodeList(known), UnicodeList(groupsA), UnicodeList(groupsB)).Utf8(),
              ReferenceSearch(name, known, groupsA, groupsB))
        << "round " << round;
  }
  dialog_->RequestDelayedDestruction();
  QORCommandHost::EndOfUserEvent();
}

// Known names repeat and may be empty, and a group may hold a name twice: the index must still give
// the first record a walk of the lists finds.
TEST_F(MatchingTest, ProfileRecordIndexAgreesWithTheReference) {
  for (int round = 0; round < 300; ++round) {
    const Strings pool = RandomNames(6);
    Strings known;
    for (int k = Random(0, 6); k > 0; --k) known.push_back(Random(0, 5) ? pool[static_cast<std::size_t>(Random(0, 5))] : "");
    Strings doubled = pool;
    doubled.insert(doubled.end(), pool.begin(), pool.begin() + Random(0, 3));
    const Strings groupsA = RandomGroups(doubled), groupsB = RandomGroups(doubled);
    const QORListOfQORUnicodeString knownList = UnicodeList(known);
    const QORMldBOMNameLookup lookup(knownList, UnicodeList(groupsA), UnicodeList(groupsB));
    for (const std::string& name : pool)
      ASSERT_EQ(lookup.FirstRecord(QORUnicodeString(name)), ReferenceFirstRecord(name, known, groupsA, groupsB))
          << "round " << round << " name " << name;
    ASSERT_EQ(lookup.FirstRecord(QORUnicodeString("")), ReferenceFirstRecord("", known, groupsA, groupsB));
  }
}

// Components are taken in their own order, at most as many as the line has names, duplicates
// included: a typed price reaches exactly those.
TEST_F(MatchingTest, ComponentsOfALineAreTheFirstOnesNamed) {
  auto loaded = QORMoldDocument::LoadText(MoldFile("A:p B:p C:p", R"("p": {"partNumber": "PN"})"), "x.json");
  ASSERT_TRUE(loaded.Ok());
  std::unique_ptr<QORMoldDocument> document = std::move(loaded).Value();
  // Names repeat in the list as they do where sub-assemblies are used twice.
  QORListValQORBaseUnknown_var components;
  for (const char* name : {"A", "B", "A", "C", "B", "A"})
    components.Append(QORBaseUnknown_var(document->FindByPath(std::string("MOLD/") + name)));
  const QORMldBOMPartLookup lookup(UnicodeList({"A;B", "C;", "B;A;A"}), components);
  const struct { Strings names; int limit; std::vector<int> positions; } cases[] = {
      {{"A", "B"}, 2, {1, 2}},       {{"B", "A"}, -1, {1, 2, 3, 5, 6}}, {{"A", "A", "C"}, 3, {1, 3, 4}},
      {{"C"}, 1, {4}},               {{"D"}, 5, {}},                    {{"B"}, 0, {}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(lookup.ComponentsNamed(UnicodeList(c.names), c.limit), c.positions) << c.names.front();
  EXPECT_EQ(lookup.GroupOf(QORUnicodeString("A")), 1);
  EXPECT_EQ(lookup.GroupOf(QORUnicodeString("C")), 2);
  EXPECT_EQ(lookup.GroupOf(QORUnicodeString("")), 0);
}

// Blank lines and rows without a part number lie between the data rows.
TEST_F(MatchingTest, EachRowHighlightsTheNamesOfItsOwnLine) {
  for (int round = 0; round < 200; ++round) {
    Table table;
    const Strings instances = RandomNames(6);
    table.groups = RandomGroups(instances);
    table.parts = instances;
    std::shuffle(table.parts.begin(), table.parts.end(), random_);
    for (std::size_t part = 0; part < table.parts.size();) {
      const int kind = Random(0, 5);
      table.rows.emplace_back(kind == 0 ? "" : std::to_string(++part), kind <= 1 ? "" : "PN");
    }
    const std::vector<Names> highlighted = HighlightEachRow(instances, table);
    for (std::size_t row = 0; row < table.rows.size(); ++row)
      ASSERT_EQ(highlighted[row], ReferenceLine(table, row)) << "row " << row + 1 << " round " << round;
  }
}

}  // namespace
}  // namespace bomtest
