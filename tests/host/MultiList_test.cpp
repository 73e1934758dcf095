// Tests of the multi-column list as the BOM table uses it: rows built by appending column by
// column, whole-column reordering, hidden columns, editability, selection and refused input.
#include "QORDialogToolkit.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int kColumns = 61;

class MultiListTest : public ::testing::Test {
 protected:
  QORDlgFrame* root = new QORDlgFrame(nullptr, "FrmResults");
  QORDlgMultiList* list = new QORDlgMultiList(root, "ListBOM");

  void SetUp() override {
    QORListOfQORUnicodeString titles;
    for (int p = 0; p < kColumns; ++p) titles.Append("T" + std::to_string(p));
    list->SetColumnTitles(titles);
  }
  void TearDown() override { root->Release(); }

  std::string Cell(int position, int row) const {
    QORUnicodeString text;
    if (list->GetColumnItem(position, text, row) != S_OK) return "<none>";
    return text.Utf8();
  }
  std::string Row(int row, int columns = 3) const {
    std::string cells;
    for (int c = 0; c < columns; ++c) cells += Cell(c, row) + "|";
    return cells;
  }
  void AppendMarkerRow() {
    list->SetColumnItem(0, "", "", -1, QORDlgDataAdd);
    list->SetRowEditable(0, 0);
  }
  void AppendDataRow(const std::vector<std::string>& cells) {
    for (std::size_t c = 0; c < cells.size(); ++c) list->SetColumnItem(static_cast<int>(c), cells[c]);
  }
  void AppendBlankLine() {
    const int row = list->GetLineCount();
    for (int c = 0; c < kColumns; ++c) list->SetColumnItem(c, "", -1, QORDlgDataAdd);
    list->SetRowEditable(row, 0);
  }
};

TEST_F(MultiListTest, AppendingColumnByColumnBuildsOneRowAtATime) {
  AppendMarkerRow();
  AppendDataRow({"1", "2", "P-100"});
  AppendBlankLine();
  AppendDataRow({"2", "4"});
  list->SetColumnEditable(9, 1);
  ASSERT_EQ(list->GetLineCount(), 4);
  EXPECT_EQ(Row(1), "1|2|P-100|");
  EXPECT_EQ(Row(2), "|||");
  EXPECT_EQ(Row(3), "2|4||") << "a cell never written reads empty";
  EXPECT_TRUE(list->IsCellEditable(9, 1));
  EXPECT_FALSE(list->IsCellEditable(9, 0)) << "marker row";
  EXPECT_FALSE(list->IsCellEditable(9, 2)) << "blank line";
  EXPECT_FALSE(list->IsCellEditable(8, 1));
}

TEST_F(MultiListTest, TheLeftmostColumnStartsARowWhicheverColumnReorderingPutThere) {
  AppendMarkerRow();
  const int swap[] = {1, 0};
  list->ReorderColumns(swap, 2, 0);
  AppendDataRow({"1", "2"});
  ASSERT_EQ(list->GetLineCount(), 2) << "the marker row keeps its one cell";
  EXPECT_EQ(Row(0, 2), "||");
  EXPECT_EQ(Row(1, 2), "1|2|");
}

TEST_F(MultiListTest, ModifyWritesExistingCellsOnlyAndEachWriteReplacesTheIcon) {
  AppendMarkerRow();
  AppendDataRow({"1", "2"});
  list->SetColumnItem(1, "3", 1, QORDlgDataModify);
  list->SetColumnItem(1, "lost", 2, QORDlgDataModify);
  list->SetColumnItem(kColumns, "lost", 1, QORDlgDataModify);
  list->SetColumnItem(1, "lost", 1, 0);
  EXPECT_EQ(Row(1), "1|3||");
  EXPECT_EQ(list->GetLineCount(), 2);
  for (const auto& [position, row] : std::vector<std::pair<int, int>>{{0, 2}, {0, -1}, {kColumns, 0}, {-1, 0}})
    EXPECT_EQ(Cell(position, row), "<none>") << position << "," << row;

  list->SetColumnItem(4, "", "I_MoveUp", 0, QORDlgDataModify);
  EXPECT_EQ(list->GetCellIcon(4, 0).Utf8(), "I_MoveUp");
  list->SetColumnItem(4, "", 0, QORDlgDataModify);
  EXPECT_TRUE(list->GetCellIcon(4, 0).IsEmpty());
}

TEST_F(MultiListTest, ReorderMovesWholeColumnsAndLeavesTheRestInPlace) {
  AppendMarkerRow();
  AppendDataRow({"n", "q", "p"});
  list->SetColumnItem(2, "", "I_MoveUp", 0, QORDlgDataModify);
  list->SetColumnTextWidth(2, 20);
  list->SetColumnEditable(2, 1);
  list->SetColumnVisibility(1, QORDlgHide);
  list->SetColumnItem(11, "spare", 1, QORDlgDataModify);

  const int moveLeft[] = {0, 2, 1};
  list->ReorderColumns(moveLeft, 3, 0);

  EXPECT_EQ(Row(1), "n|p|q|");
  EXPECT_EQ(list->GetColumnTitle(1).Utf8() + list->GetColumnTitle(2).Utf8(), "T2T1");
  EXPECT_EQ(list->GetCellIcon(1, 0).Utf8(), "I_MoveUp") << "the marker travels with its column";
  EXPECT_EQ(list->GetColumnTextWidth(1), 20);
  EXPECT_EQ(list->GetColumnEditable(1), 1);
  EXPECT_EQ(list->GetColumnVisibility(1), QORDlgShow);
  EXPECT_EQ(list->GetColumnVisibility(2), QORDlgHide) << "a hidden column stays hidden where it goes";
  EXPECT_EQ(list->GetColumnEditable(2), 0);
  EXPECT_EQ(list->GetColumnTitle(11).Utf8() + Cell(11, 1), "T11spare");

  const int rotate[] = {2, 0, 1};
  list->ReorderColumns(rotate, 3, 0);
  EXPECT_EQ(Row(1), "q|n|p|") << "position i takes the column at entry i, not the inverse";
}

TEST_F(MultiListTest, ReorderIgnoresAnythingButAPermutation) {
  AppendDataRow({"a", "b", "c"});
  const int duplicate[] = {0, 0, 1};
  const int outOfRange[] = {0, 1, 3};
  const int negative[] = {-1, 0, 1};
  std::vector<int> tooMany(kColumns + 1);
  for (int i = 0; i <= kColumns; ++i) tooMany[static_cast<std::size_t>(i)] = kColumns - i;
  struct Case { const char* name; const int* permutation; int count; };
  for (const Case& c : {Case{"duplicate", duplicate, 3}, Case{"out of range", outOfRange, 3},
                        Case{"negative", negative, 3}, Case{"more than the columns", tooMany.data(), kColumns + 1},
                        Case{"null", nullptr, 3}, Case{"negative count", duplicate, -1}}) {
    list->ReorderColumns(c.permutation, c.count, 0);
    EXPECT_EQ(Row(0), "a|b|c|") << c.name;
    EXPECT_EQ(list->GetColumnTitle(0).Utf8(), "T0") << c.name;
  }
}

TEST_F(MultiListTest, RenamingKeepsCellsAndResizingAddsEmptyColumns) {
  AppendDataRow({"a", "b", "c"});
  QORListOfQORUnicodeString titles;
  list->GetColumnTitles(titles);
  ASSERT_EQ(titles.Size(), kColumns);
  titles[3] = "Removed";  // lists count from 1: display position 2
  list->SetColumnTitles(titles);
  EXPECT_EQ(list->GetColumnTitle(2).Utf8(), "Removed");
  EXPECT_EQ(Row(0), "a|b|c|");

  titles.Append("New");
  list->SetColumnTitles(titles);
  EXPECT_EQ(Cell(kColumns, 0), "");
  list->SetColumnTitles(QORListOfQORUnicodeString{"only"});
  EXPECT_EQ(list->GetColumnCount(), 1);
  EXPECT_EQ(Cell(0, 0), "a");
}

TEST_F(MultiListTest, SelectionReplacesAndListsRowsAscending) {
  for (int r = 0; r < 5; ++r) AppendDataRow({std::to_string(r)});
  list->SetSelect({3, 1, 9, -1});
  EXPECT_EQ(list->GetSelectCount(), 2);
  int rows[3] = {-7, -7, -7};
  list->GetSelect(rows, 3);
  EXPECT_EQ(std::vector<int>(rows, rows + 3), (std::vector<int>{1, 3, -7}));
  list->SetSelect({4});
  EXPECT_FALSE(list->IsRowSelected(1));
  list->ClearSelect();
  EXPECT_EQ(list->GetSelectCount(), 0);

  int row = -9, position = -9;
  EXPECT_EQ(list->GetModifiedCell(row, position), 0);
  list->SetModifiedCell(2, 9);
  EXPECT_EQ(list->GetModifiedCell(row, position), 1);
  EXPECT_EQ(std::make_pair(row, position), std::make_pair(2, 9));
}

}  // namespace
