// Letter labels of the BOM numbering: which texts are labels, and the successor rule.
#include "QORMldBOMFixture.h"

namespace bomtest {
namespace {

class BomLabelTest : public BomCommandTest {
 protected:
  int Index(const std::string& label) { return Command().ComputeIndexFromLabel(QORUnicodeString(label)); }
  // The labels the successor rule hands out from a counter, and the counter after each.
  std::vector<std::pair<std::string, int>> Successors(int counter, int count) {
    std::vector<std::pair<std::string, int>> labels;
    for (int i = 0; i < count; ++i) {
      QORUnicodeString label;
      QORMldBOMComTestAccess::NextLetterLabel(Command(), counter, label);
      labels.emplace_back(label.Utf8(), counter);
    }
    return labels;
  }
};

TEST_F(BomLabelTest, LabelGivesIndexAndRefusesWhatIsNoLabel) {
  const std::vector<std::pair<std::string, int>> cases = {
      {"A", 0},    {"Z", 25},  {"AA", 26}, {"ZZ", 51}, {"J", 9},  {"I", 8},  {"XX", 49}, {"AAA", 52},
      {"", -1},    {"a", -1},  {"AB", -1}, {"A1", -1}, {"7", -1}, {" A", -1}, {"A ", -1}, {"É", -1}};
  for (const auto& [label, index] : cases) {
    EXPECT_EQ(Index(label), index) << "label '" << label << "'";
    const HRESULT expected = index >= 0 ? S_OK : E_FAIL;
    EXPECT_EQ(Command().CheckThatLabelIsAuthorized(QORUnicodeString(label)), expected) << "label '" << label << "'";
  }
}

// From a fresh counter the rule skips I, O, Q and X; it passes over the twin index of J, P, R and Y.
TEST_F(BomLabelTest, SuccessorsSkipIOQXAndTheTwinIndexOfJPRAndY) {
  Strings labels;
  for (const auto& [label, counter] : Successors(-1, 25)) labels.push_back(label);
  EXPECT_EQ(labels, (Strings{"A", "B", "C", "D", "E", "F", "G", "H", "J", "K", "L", "M", "N", "P", "R", "S", "T", "U",
                             "V", "W", "Y", "Z", "AA", "BB", "CC"}));
  const std::vector<std::pair<int, std::vector<std::pair<std::string, int>>>> cases = {
      {7, {{"J", 9}, {"K", 10}}},
      {13, {{"P", 15}, {"R", 17}, {"S", 18}}},
      {22, {{"Y", 24}, {"Z", 25}, {"AA", 26}}},
      {33, {{"JJ", 35}, {"KK", 36}}},
  };
  for (const auto& [counter, expected] : cases)
    EXPECT_EQ(Successors(counter, static_cast<int>(expected.size())), expected) << "from " << counter;
}

}  // namespace
}  // namespace bomtest
