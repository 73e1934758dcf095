// Printing the BOM table: alignment by characters, numbers to the right, blank lines, the total.
#include "TableView.h"

#include <gtest/gtest.h>

namespace moldbom {
namespace {

TEST(TableViewTest, AlignsTextLeftAndNumbersRight) {
  TableSnapshot table;
  table.titles = {"Number", "Qty", "Part Number", "Price"};
  table.rows = {
      {"1", "12", "Plate-A", "7.5"}, {"2", "1", "Pin", ""}, {"", "", "", ""}, {"10", "4", "Bushing", "100"}};
  table.totalLabel = "Total price:";
  table.total = "107.5";
  EXPECT_EQ(RenderTable(table),
            "Number  Qty  Part Number  Price\n"
            "     1   12  Plate-A        7.5\n"
            "     2    1  Pin\n"
            "\n"
            "    10    4  Bushing        100\n"
            "Total price: 107.5\n");
}

TEST(TableViewTest, CountsCharactersNotBytes) {
  TableSnapshot table;
  table.titles = {"Supplier", "Ref"};
  table.rows = {{"Müller & Söhne", "x"}, {"Acme", "y"}};
  EXPECT_EQ(RenderTable(table),
            "Supplier        Ref\n"
            "Müller & Söhne  x\n"
            "Acme            y\n");
}

TEST(TableViewTest, LetterNumbersStayLeftAligned) {
  TableSnapshot table;
  table.titles = {"N", "Qty"};
  table.rows = {{"A", "1"}, {"BB", "10"}};
  EXPECT_EQ(RenderTable(table), "N   Qty\nA     1\nBB   10\n");
}

TEST(TableViewTest, EmptyTableIsItsHeaderAndTotal) {
  TableSnapshot table;
  table.titles = {"Number", "Qty"};
  table.totalLabel = "Total price:";
  table.total = "0";
  EXPECT_EQ(RenderTable(table), "Number  Qty\nTotal price: 0\n");
}

}  // namespace
}  // namespace moldbom
