// Letter labels of the BOM numbering: index to label, label to index, and the successor rule.
#include "QORMldBOMFixture.h"

namespace bomtest {
namespace {

class BomLabelTest : public BomCommandTest {
 protected:
  std::string Label(int index) {
    QORUnicodeString label("stale");
    Command().ComputeLabelFromIndex(index, label);
    return label.Utf8();
  }
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

TEST_F(BomLabelTest, IndexGivesLabelWithTheFourLettersShownAsTheNextOne) {
  const std::vector<std::pair<int, std::string>> cases = {
      {0, "A"},   {7, "H"},   {8, "J"},   {9, "J"},   {13, "N"},  {14, "P"},  {15, "P"},   {16, "R"},   {17, "R"},
      {22, "W"},  {23, "Y"},  {24, "Y"},  {25, "Z"},  {26, "AA"}, {27, "BB"}, {34, "JJ"},  {51, "ZZ"},  {52, "AAA"},
      {-1, ""},   {-26, ""}};
  for (const auto& [index, label] : cases) EXPECT_EQ(Label(index), label) << "index " << index;
}

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

TEST_F(BomLabelTest, EveryGeneratedLabelReadsBackToAnIndexGivingTheSameLabel) {
  for (int index = 0; index < 26 * 4; ++index) {
    const std::string label = Label(index);
    EXPECT_EQ(Label(Index(label)), label) << "index " << index;
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
