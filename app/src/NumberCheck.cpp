// The NUMBER column is found by its title, which no profile changes before the user renames it.
#include "NumberCheck.h"

#include <map>
#include <vector>

#include "HostSession.h"
#include "QORDialogToolkit.h"
#include "QORMessages.h"

namespace moldbom {

std::optional<std::string> RepeatedNumbers(const QORDlgMultiList& table) {
  const QORUnicodeString title = QORTlgErrorServices::BuildMessage("QORMldBOMDlg", "TitleNUMBER");
  int column = -1;
  for (int position = 0; position < table.GetColumnCount() && column < 0; ++position)
    if (table.GetColumnTitle(position) == title) column = position;
  if (column < 0) return std::nullopt;

  std::map<std::string, int> lines;
  std::vector<std::string> order;
  for (int row = 1; row < table.GetLineCount(); ++row) {
    QORUnicodeString number;
    if (FAILED(table.GetColumnItem(column, number, row)) || number.IsEmpty()) continue;
    if (++lines[number.Utf8()] == 2) order.push_back(number.Utf8());
  }
  if (order.empty()) return std::nullopt;
  std::string text = "lines share a number:";
  for (const std::string& number : order)
    text += " " + number + " (" + std::to_string(lines[number]) + " lines)" + (number == order.back() ? "" : ",");
  return text + "; numbers stop at 2147483647, an increment of 0 repeats the start, and kept numbers are "
                "taken as the profile gives them";
}

std::optional<std::string> RepeatedNumbersOfCommand() {
  QORDlgDialog* dialog = HostSession::CommandDialog();
  const auto* table = dialog ? dynamic_cast<const QORDlgMultiList*>(dialog->FindWidget("ListBOM")) : nullptr;
  if (!table) return std::nullopt;
  return RepeatedNumbers(*table);
}

}  // namespace moldbom
