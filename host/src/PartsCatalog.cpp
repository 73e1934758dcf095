// Catalogue reading: spreadsheet CSV with quoted fields, checked cell by cell before any product
// is touched, then matched on part numbers (exact rows before rows with "*").
#include "PartsCatalog.h"

#include "MoldAttributes.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace qorhost {
namespace {

struct Cell {
  std::string text;
  int column = 1;
};

struct Row {
  int line = 0;
  std::vector<Cell> cells;
};

// The number of characters in text, or the byte index of the first invalid UTF-8 sequence.
std::optional<std::size_t> InvalidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const std::size_t length = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || i + length > text.size()) return i;
    for (std::size_t k = 1; k < length; ++k)
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return i;
    i += length;
  }
  return std::nullopt;
}

int Characters(std::string_view text) {
  int count = 0;
  for (const char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return count;
}

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

class CsvReader {
 public:
  explicit CsvReader(std::string_view text) : text_(text) {
    if (text_.substr(0, 3) == "\xEF\xBB\xBF") text_.remove_prefix(3);
  }

  std::optional<CatalogError> Read(std::vector<Row>& rows) {
    if (const std::optional<std::size_t> bad = InvalidUtf8(text_)) {
      const std::string_view before = text_.substr(0, *bad);
      const int line = 1 + static_cast<int>(std::count(before.begin(), before.end(), '\n'));
      const std::size_t lineStart = before.rfind('\n') == std::string_view::npos ? 0 : before.rfind('\n') + 1;
      return CatalogError{line, 1 + Characters(before.substr(lineStart)), "the catalogue is not valid UTF-8"};
    }
    separator_ = DetectSeparator();
    while (pos_ < text_.size()) {
      Row row{line_, {}};
      if (std::optional<CatalogError> error = ReadRow(row)) return error;
      const bool blank = row.cells.size() == 1 && row.cells.front().text.empty();
      if (!blank) rows.push_back(std::move(row));
    }
    return std::nullopt;
  }

 private:
  // The header row's separator: ";" when it holds one outside quotes, "," otherwise.
  char DetectSeparator() const {
    bool quoted = false;
    for (const char c : text_) {
      if (c == '"') quoted = !quoted;
      if (quoted) continue;
      if (c == '\n') break;
      if (c == ';') return ';';
    }
    return ',';
  }

  std::optional<CatalogError> ReadRow(Row& row) {
    for (;;) {
      Cell& cell = row.cells.emplace_back();
      cell.column = column_;
      if (pos_ < text_.size() && text_[pos_] == '"') {
        if (std::optional<CatalogError> error = ReadQuoted(cell)) return error;
      } else {
        while (pos_ < text_.size() && text_[pos_] != separator_ && text_[pos_] != '\n' && text_[pos_] != '\r')
          Take(cell.text);
      }
      if (pos_ >= text_.size()) return std::nullopt;
      if (text_[pos_] == separator_) {
        Advance();
        continue;
      }
      if (text_[pos_] == '\r') ++pos_;
      if (pos_ < text_.size() && text_[pos_] != '\n')
        return CatalogError{line_, column_, "unexpected character after a quoted field"};
      ++pos_;
      ++line_;
      column_ = 1;
      return std::nullopt;
    }
  }

  std::optional<CatalogError> ReadQuoted(Cell& cell) {
    const int line = line_;
    const int column = column_;
    Advance();
    for (;;) {
      if (pos_ >= text_.size()) return CatalogError{line, column, "quoted field not closed before the end of the file"};
      if (text_[pos_] == '"') {
        Advance();
        if (pos_ < text_.size() && text_[pos_] == '"') {
          Take(cell.text);
          continue;
        }
        break;
      }
      if (text_[pos_] == '\n') {
        cell.text += '\n';
        ++pos_;
        ++line_;
        column_ = 1;
        continue;
      }
      Take(cell.text);
    }
    if (pos_ < text_.size() && text_[pos_] != separator_ && text_[pos_] != '\n' && text_[pos_] != '\r')
      return CatalogError{line_, column_, "unexpected character after a quoted field"};
    return std::nullopt;
  }

  void Advance() {
    if ((static_cast<unsigned char>(text_[pos_]) & 0xC0) != 0x80) ++column_;
    ++pos_;
  }
  void Take(std::string& out) {
    const bool continuation = (static_cast<unsigned char>(text_[pos_]) & 0xC0) == 0x80;
    out += text_[pos_++];
    if (!continuation) ++column_;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  int line_ = 1;
  int column_ = 1;
  char separator_ = ',';
};

bool IsPartNumberColumn(std::string_view name) {
  std::string folded;
  for (const char c : name)
    if (c != ' ' && c != '_' && c != '-') folded += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return folded == "partnumber";
}

// Whether part number matches pattern, where "*" stands for any run of characters.
bool Matches(std::string_view pattern, std::string_view text) {
  std::size_t p = 0, t = 0, star = std::string_view::npos, resume = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = t;
    } else if (p < pattern.size() && pattern[p] == text[t]) {
      ++p;
      ++t;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      t = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace

std::optional<CatalogError> ApplyPartsCatalog(const std::string& text, const std::string& catalogName,
                                              MoldDescription& description) {
  std::vector<Row> rows;
  if (std::optional<CatalogError> error = CsvReader(text).Read(rows)) return error;
  if (rows.empty()) return CatalogError{1, 1, "the catalogue has no header row"};
  const Row& header = rows.front();
  std::optional<std::size_t> partColumn;
  std::vector<std::optional<MoldAttribute>> columns;
  for (std::size_t i = 0; i < header.cells.size(); ++i) {
    const Cell& cell = header.cells[i];
    const std::optional<MoldAttribute> attribute = MoldAttributeNamed(cell.text);
    const bool isPart = IsPartNumberColumn(cell.text);
    if (!attribute && !isPart)
      return CatalogError{header.line, cell.column,
                          "unknown column " + Quoted(cell.text) +
                              " (known columns: part number, reference, supplier, mold reference, unit price, tooling "
                              "type, plate, BOM, source, material, heat treatment)"};
    const bool repeated = isPart ? partColumn.has_value()
                                 : std::find(columns.begin(), columns.end(), attribute) != columns.end();
    if (repeated) return CatalogError{header.line, cell.column, "column " + Quoted(cell.text) + " appears twice"};
    if (isPart) partColumn = i;
    columns.push_back(attribute);
  }
  if (!partColumn) return CatalogError{header.line, 1, "the header row has no \"part number\" column"};

  for (std::size_t r = 1; r < rows.size(); ++r) {
    const Row& row = rows[r];
    if (row.cells.size() != columns.size())
      return CatalogError{row.line, row.cells.size() > columns.size() ? row.cells[columns.size()].column : row.cells.back().column,
                          "the row has " + std::to_string(row.cells.size()) + " fields, the header " +
                              std::to_string(columns.size())};
    if (row.cells[*partColumn].text.empty())
      return CatalogError{row.line, row.cells[*partColumn].column, "the row has no part number"};
    MoldProduct scratch;
    for (std::size_t c = 0; c < columns.size(); ++c) {
      if (!columns[c] || row.cells[c].text.empty()) continue;
      if (std::optional<std::string> problem = SetMoldAttribute(scratch, *columns[c], row.cells[c].text))
        return CatalogError{row.line, row.cells[c].column, Quoted(row.cells[c].text) + ": " + *problem};
    }
  }

  for (MoldProduct& product : description.products) {
    const Row* match = nullptr;
    for (std::size_t r = 1; r < rows.size() && !match; ++r)
      if (rows[r].cells[*partColumn].text == product.partNumber) match = &rows[r];
    for (std::size_t r = 1; r < rows.size() && !match; ++r) {
      const std::string& pattern = rows[r].cells[*partColumn].text;
      if (pattern.find('*') != std::string::npos && Matches(pattern, product.partNumber)) match = &rows[r];
    }
    if (!match) continue;
    const std::string where = catalogName + ":" + std::to_string(match->line);
    for (std::size_t c = 0; c < columns.size(); ++c) {
      const std::string& value = match->cells[c].text;
      if (!columns[c] || value.empty()) continue;
      const std::string label = MoldAttributeLabel(*columns[c]);
      if (HasMoldAttribute(product, *columns[c])) {
        description.notes.push_back(product.partNumber + ": " + label + " from the mold file (" + where + " also gives " +
                                    Quoted(value) + ")");
        continue;
      }
      (void)SetMoldAttribute(product, *columns[c], value);
      description.notes.push_back(product.partNumber + ": " + label + " " + Quoted(value) + " from " + where);
    }
  }
  return std::nullopt;
}

}  // namespace qorhost
