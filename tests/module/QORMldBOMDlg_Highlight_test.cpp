// A row selection in a dialog without an editor or components: nothing to highlight, nothing fails.
#include "QORMldBOMFixture.h"

namespace bomtest {
namespace {

TEST_F(DialogTest, WithoutAnEditorOrComponentsNothingIsHighlighted) {
  AddRow({"1", "1", "PN"});
  SelectRows({1});
  EXPECT_EQ(List().GetSelectCount(), 1);
}

}  // namespace
}  // namespace bomtest
