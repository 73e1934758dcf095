// Which instance names stand for a line, checked against a plain reference on random molds whose
// names are substrings and prefixes of one another.
#include "QORMldBOMFixture.h"

#include <algorithm>
#include <random>
#include <set>

namespace bomtest {
namespace {

using Names = std::set<std::string>;

Strings Tokens(const std::string& group) {
  Strings tokens;
  std::size_t start = 0;
  for (std::size_t end = group.find(';'); ; end = group.find(';', start)) {
    const std::string token = group.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!token.empty()) tokens.push_back(token);
    if (end == std::string::npos) return tokens;
    start = end + 1;
  }
}

bool IsToken(const std::string& group, const std::string& name) {
  const Strings tokens = Tokens(group);
  return !name.empty() && std::find(tokens.begin(), tokens.end(), name) != tokens.end();
}

std::string ReferenceSearch(const std::string& name, const Strings& known, const Strings& groupsA,
                            const Strings& groupsB) {
  if (name.empty()) return "";
  for (const std::string& group : groupsA) {
    if (!IsToken(group, name)) continue;
    for (const std::string& entry : known)
      if (IsToken(group, entry)) return entry;
  }
  for (const std::string& group : groupsB) {
    if (!IsToken(group, name)) continue;
    for (const std::string& token : Tokens(group))
      if (token != name && std::find(known.begin(), known.end(), token) != known.end()) return token;
  }
  return "";
}

// One table: rows as (number, part number) cells, the associated parts' names and the groups.
struct Table {
  std::vector<std::pair<std::string, std::string>> rows;
  Strings parts;
  Strings groups;
};

// The line behind row r: the part of the k-th data row, and the first group holding its name.
Names ReferenceLine(const Table& table, int row) {
  const auto& [number, partNumber] = table.rows[static_cast<std::size_t>(row - 1)];
  if (number.empty() || partNumber.empty()) return {};
  std::size_t k = 0;
  for (int r = 1; r <= row; ++r) k += table.rows[static_cast<std::size_t>(r - 1)].first.empty() ? 0 : 1;
  if (k > table.parts.size()) return {};
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

  // Distinct names over a few characters, many of them extensions of others.
  Strings RandomNames(int count) {
    Names names;
    std::uniform_int_distribution<int> length(1, 4), letter(0, 4), coin(0, 1);
    while (static_cast<int>(names.size()) < count) {
      std::string name;
      if (!names.empty() && coin(random_)) {
        auto at = names.begin();
        std::advance(at, std::uniform_int_distribution<int>(0, static_cast<int>(names.size()) - 1)(random_));
        name = *at;
      }
      for (int i = length(random_); i > 0; --i) name += "C.194"[letter(random_)];
      names.insert(name);
    }
    Strings shuffled(names.begin(), names.end());
    std::shuffle(shuffled.begin(), shuffled.end(), random_);
    return shuffled;
  }

  // Groups of one to three names from a random part of the pool (at least one), some with a closing ";".
  Strings RandomGroups(Strings pool) {
    std::shuffle(pool.begin(), pool.end(), random_);
    pool.resize(std::uniform_int_distribution<std::size_t>(1, pool.size())(random_));
    Strings groups;
    for (std::size_t at = 0; at < pool.size();) {
      std::string group;
      for (int size = std::uniform_int_distribution<int>(1, 3)(random_); size > 0 && at < pool.size(); --size)
        group += (group.empty() ? "" : ";") + pool[at++];
      groups.push_back(group + (std::uniform_int_distribution<int>(0, 1)(random_) ? ";" : ""));
    }
    return groups;
  }

  // Builds a dialog over a mold of these instances, shows the table and selects each row in turn.
  std::vector<Names> HighlightEachRow(const Strings& instances, const Table& table) {
    std::string words;
    for (const std::string& name : instances) words += name + ":part ";
    QORMoldLoadResult loaded = QORMoldDocument::LoadText(
        MoldFile(words, R"("part": {"partNumber": "PN", "parameters": [{"name": "UnitPrice", "type": "real", "value": 1}]})"),
        "random.json");
    if (!loaded.Ok()) {
      ADD_FAILURE() << loaded.Error().Message();
      return {};
    }
    std::unique_ptr<QORMoldDocument> document = loaded.TakeDocument();
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
      if (part < table.parts.size()) Dlg().SetAssociatedPart(instance(table.parts[part++]));
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

TEST_F(MatchingTest, SearchInstanceNameAgreesWithTheReferenceOnNamesInsideNames) {
  dialog_ = new QORMldBOMDlg();
  for (int round = 0; round < 300; ++round) {
    const Strings pool = RandomNames(8);
    Strings known(pool.begin(), pool.begin() + std::uniform_int_distribution<int>(0, 4)(random_));
    const Strings groupsA = RandomGroups(pool), groupsB = RandomGroups(pool);
    const std::string name = pool[static_cast<std::size_t>(std::uniform_int_distribution<int>(0, 7)(random_))];
    const std::string found =
        Dlg().SearchInstanceName(name, UnicodeList(known), UnicodeList(groupsA), UnicodeList(groupsB)).Utf8();
    ASSERT_EQ(found, ReferenceSearch(name, known, groupsA, groupsB))
        << "name " << name << " round " << round;
  }
  dialog_->RequestDelayedDestruction();
  QORCommandHost::EndOfUserEvent();
}

TEST_F(MatchingTest, EachRowHighlightsTheNamesOfItsOwnLine) {
  for (int round = 0; round < 200; ++round) {
    const Strings instances = RandomNames(6);
    Table table;
    table.groups = RandomGroups(instances);
    table.parts = instances;
    std::shuffle(table.parts.begin(), table.parts.end(), random_);
    std::uniform_int_distribution<int> kind(0, 5);
    for (std::size_t part = 0; part < table.parts.size();) {
      const int k = kind(random_);
      if (k == 0) {
        table.rows.emplace_back("", "");
        continue;
      }
      table.rows.emplace_back(std::to_string(++part), k == 1 ? "" : "PN");
    }
    const std::vector<Names> highlighted = HighlightEachRow(instances, table);
    ASSERT_EQ(highlighted.size(), table.rows.size());
    for (int row = 1; row <= static_cast<int>(table.rows.size()); ++row)
      ASSERT_EQ(highlighted[static_cast<std::size_t>(row - 1)], ReferenceLine(table, row))
          << "row " << row << " round " << round;
  }
}

}  // namespace
}  // namespace bomtest
