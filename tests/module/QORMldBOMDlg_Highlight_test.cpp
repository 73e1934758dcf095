// Selecting rows highlights the components of their lines in the current editor.
#include "QORMldBOMFixture.h"

namespace bomtest {
namespace {

using HighlightTest = MoldDialogTest;

Strings Highlighted() { return QORFrmEditor::GetCurrentEditor()->GetHSO()->RenderedPaths(); }

// Row 1 is the pins' group, row 3 the plate that heads no group, row 4 the screws; a blank line
// clears both the selection and the highlight.
TEST_F(HighlightTest, EachRowHighlightsItsOwnLineAndABlankLineClearsIt) {
  const std::vector<std::pair<int, Strings>> cases = {
      {1, {"MOLD/Pin.1", "MOLD/Pin.2", "MOLD/Pin.3", "MOLD/Pin.4"}},
      {3, {"MOLD/Plate.1"}},
      {4, {"MOLD/Screw.1", "MOLD/Screw.2"}},
      {2, {}},
  };
  for (const auto& [row, paths] : cases) {
    SelectRows({row});
    EXPECT_EQ(Highlighted(), paths) << "row " << row;
    EXPECT_EQ(List().GetSelectCount(), paths.empty() ? 0 : 1) << "row " << row;
  }
}

}  // namespace
}  // namespace bomtest
