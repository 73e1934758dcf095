// Printing the BOM table: alignment by characters, numbers to the right, blank lines, the total.
#include "TableView.h"

#include <gtest/gtest.h>

namespace moldbom {
namespace {

TEST(TableViewTest, AlignsByCharactersWithNumbersRightAndLettersLeft) {
  const struct {
    const char* what;
    TableSnapshot table;
    const char* printed;
  } cases[] = {
      {"numbers right, a blank line, the total",
       {{"Number", "Qty", "Part Number", "Price"},
        {{"1", "12", "Plate-A", "7.5"}, {"2", "1", "Pin", ""}, {"", "", "", ""}, {"10", "4", "Bushing", "100"}},
        "Total price:", "107.5"},
       "Number  Qty  Part Number  Price\n"
       "     1   12  Plate-A        7.5\n"
       "     2    1  Pin\n"
       "\n"
       "    10    4  Bushing        100\n"
       "Total price: 107.5\n"},
      {"characters, not bytes", {{"Supplier", "Ref"}, {{"Müller & Söhne", "x"}, {"Acme", "y"}}, "", ""},
       "Supplier        Ref\nMüller & Söhne  x\nAcme            y\n"},
      {"letter numbers stay left", {{"N", "Qty"}, {{"A", "1"}, {"BB", "10"}}, "", ""}, "N   Qty\nA     1\nBB   10\n"},
      {"no rows", {{"Number", "Qty"}, {}, "Total price:", "0"}, "Number  Qty\nTotal price: 0\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(RenderTable(c.table), c.printed) << c.what;
}

}  // namespace
}  // namespace moldbom
