// Tells a person when the numbering gave one number to several lines, which the dialog does not:
// numbers stop at the largest a profile holds, an increment of 0 repeats the start, and kept
// numbers are taken as the profile gives them.
#pragma once

#include <optional>
#include <string>

class QORDlgMultiList;

namespace moldbom {

// The repeated numbers of the table's NUMBER column, as one sentence; empty when every data row
// has a number of its own or the table has no NUMBER column.
std::optional<std::string> RepeatedNumbers(const QORDlgMultiList& table);

// The same for the running command's table.
std::optional<std::string> RepeatedNumbersOfCommand();

}  // namespace moldbom
