// Line-level reading and writing shared by the BOM profile and the CSV report.
#include "QORMldBOMCom.h"

#include <cstdio>
#include <memory>
#include <new>
#include <string>

#include "QORMldBOMDlg.h"
#include "QORMldBOMHelpers.h"
#include "QORSystemServices.h"

using namespace QORMldBOM;

namespace {

// Absent values are written as one blank, because the reader cannot see an empty field.
QORUnicodeString BlankWhenEmpty(const QORUnicodeString& value) {
  if (value.IsEmpty()) return QORUnicodeString(" ");
  return value;
}

QORUnicodeString ProductInstanceName(const QORIProduct_var& product) {
  QORUnicodeString name;
  if (!product) return name;
  if (FAILED(product->GetPrdInstanceName(name))) name.Empty();
  return name;
}

HRESULT WriteSettingsLine(QORMldBOMDlg* dialog, const QORIProduct_var& product, unsigned int file) {
  QORListOfQORUnicodeString line;
  line.Append(BlankWhenEmpty(ProductInstanceName(product)));
  int sortType = 0;
  dialog->GetTypeOfSort(sortType);
  line.Append(IntegerText(sortType));
  line.Append(QORUnicodeString(dialog->IsKeepMode() ? "K" : "R"));
  if (dialog->IsIntegerMode()) {
    int start = 1;
    int increment = 1;
    dialog->GetStartAndIncrement(start, increment);
    line.Append(QORUnicodeString("0"));
    line.Append(IntegerText(start));
    line.Append(IntegerText(increment));
  } else {
    line.Append(QORUnicodeString("A"));
  }
  return QORMldBOMWriteLine(line, file);
}

// A whole decimal number, as a spreadsheet reads one: sign, digits, point, exponent.
bool IsWholeNumber(const std::string& text) {
  std::size_t i = 0;
  auto digits = [&] {
    const std::size_t from = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    return i - from;
  };
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t mantissa = digits();
  if (i < text.size() && text[i] == '.') {
    ++i;
    mantissa += digits();
  }
  if (mantissa == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (digits() == 0) return false;
  }
  return i == text.size();
}

// A spreadsheet runs a text that starts so as a formula, and an apostrophe keeps it text.
bool StartsFormula(const std::string& text) {
  if (text.empty() || IsWholeNumber(text)) return false;
  const char first = text[0];
  return first == '=' || first == '+' || first == '-' || first == '@' || first == '\t' || first == '\r';
}

// Otherwise a ";" would move the fields after it and a line break would split the line.
bool NeedsQuotes(const std::string& text) { return text.find_first_of(";\"\r\n") != std::string::npos; }

// The field as a spreadsheet must read it back, added to the line being written.
void AppendReportField(std::string& line, const std::string& text) {
  const bool quoted = NeedsQuotes(text);
  if (quoted) line += '"';
  if (StartsFormula(text)) line += '\'';
  if (!quoted) {
    line += text;
    return;
  }
  for (const char c : text) {
    if (c == '"') line += '"';
    line += c;
  }
  line += '"';
}

HRESULT WriteText(const std::string& text, unsigned int file) {
  if (FAILED(QORFWrite(file, text.c_str(), static_cast<unsigned int>(text.size()), nullptr))) return E_FAIL;
  return S_OK;
}

}  // namespace

// A report has a line per BOM line: each is put together in one buffer and written at once.
HRESULT QORMldBOMWriteReportLine(const QORListOfQORUnicodeString& line, unsigned int file) {
  std::string text;
  text.reserve(256);
  for (const QORUnicodeString& field : line) {
    AppendReportField(text, field.Utf8());
    text += ';';
  }
  text += "\r\n";
  return WriteText(text, file);
}

HRESULT QORMldBOMWriteLine(const QORListOfQORUnicodeString& line, unsigned int file) {
  std::string text;
  text.reserve(256);
  for (const QORUnicodeString& field : line) {
    text += field.Utf8();
    text += ';';
  }
  text += "\r\n";
  return WriteText(text, file);
}

HRESULT QORMldBOMWriteHeader(QORMldBOMDlg* dialog, const QORIProduct_var& product, unsigned int file) {
  if (!dialog) return E_FAIL;

  QORListOfQORUnicodeString marker;
  marker.Append(QORUnicodeString("HEADER"));
  if (FAILED(QORMldBOMWriteLine(marker, file))) return E_FAIL;
  if (FAILED(WriteSettingsLine(dialog, product, file))) return E_FAIL;

  QORListOfInt positions;
  QORListOfInt kinds;
  QORListOfQORUnicodeString properties;
  QORListOfQORUnicodeString titles;
  dialog->GetListOfColInfo(positions, kinds, properties, titles);

  QORListOfQORUnicodeString fixed;
  for (int k = 1; k <= FixedColumnCount; ++k) fixed.Append(IntegerText(EntryOr(positions, k, k - 1)));
  if (FAILED(QORMldBOMWriteLine(fixed, file))) return E_FAIL;

  const int columnCount = dialog->GetNumberOfItems();
  for (int k = FixedColumnCount + 1; k <= columnCount; ++k) {
    QORListOfQORUnicodeString definition;
    definition.Append(IntegerText(EntryOr(positions, k, -1)));
    definition.Append(EntryOr(titles, k, QORUnicodeString()));
    definition.Append(IntegerText(EntryOr(kinds, k, 0)));
    // The only field that may stay empty: the reader ignores it for kinds other than 2.
    definition.Append(EntryOr(properties, k, QORUnicodeString()));
    if (FAILED(QORMldBOMWriteLine(definition, file))) return E_FAIL;
  }
  return S_OK;
}

HRESULT QORMldBOMReadLines(unsigned int file, QORListOfQORUnicodeString& lines) {
  unsigned int size = 0;
  if (FAILED(QORFSize(file, &size))) return E_FAIL;
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[static_cast<std::size_t>(size) + 1]);
  if (!buffer) return E_FAIL;
  unsigned int bytesRead = 0;
  if (FAILED(QORFRead(file, buffer.get(), size, &bytesRead))) return E_FAIL;
  if (bytesRead > size) bytesRead = size;
  buffer[bytesRead] = '\0';

  QORToken tokens{QORUnicodeString(buffer.get())};
  const QORUnicodeString lineEnds("\r\n");
  for (QORUnicodeString line = tokens.GetNextToken(lineEnds); !line.IsEmpty(); line = tokens.GetNextToken(lineEnds))
    lines.Append(line);
  return S_OK;
}
