// Reading CSV reports back, for the comparison of two revisions and the spreadsheet report.
#include "CsvReport.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace moldbom {
namespace {

// As large as a profile may be: a report is never larger than the table it comes from.
constexpr std::uintmax_t kMaxReportBytes = 256u << 20;

struct Record {
  int line = 0;
  std::vector<std::string> fields;
};

class RecordReader {
 public:
  RecordReader(std::string_view content, const std::string& fileName) : text_(content), fileName_(fileName) {}

  bool AtEnd() const { return pos_ >= text_.size(); }

  Expected<Record> Next() {
    Record record{line_, {}};
    while (!AtEndOfRecord()) {
      Expected<std::string> field = Peek() == '"' ? Quoted() : Plain();
      if (!field) return field.Error();
      record.fields.push_back(std::move(field).Value());
      if (Peek() == ';') ++pos_;
    }
    SkipLineBreak();
    return record;
  }

 private:
  char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }
  bool AtEndOfRecord() const {
    return AtEnd() || text_[pos_] == '\n' || text_.substr(pos_).starts_with("\r\n");
  }
  void SkipLineBreak() {
    if (Peek() == '\r') ++pos_;
    if (Peek() == '\n') ++pos_, ++line_;
  }

  Expected<std::string> Plain() {
    std::string field;
    while (!AtEndOfRecord() && Peek() != ';') field += text_[pos_++];
    return field;
  }

  Expected<std::string> Quoted() {
    const int opened = line_;
    ++pos_;
    std::string field;
    while (!AtEnd()) {
      const char c = text_[pos_++];
      if (c == '\n') ++line_;
      if (c != '"') {
        field += c;
        continue;
      }
      if (Peek() != '"') {
        if (Peek() == ';' || AtEndOfRecord()) return field;
        return Failure{fileName_, line_, 0, "text follows the closing quote of a field"};
      }
      field += '"';
      ++pos_;
    }
    return Failure{fileName_, opened, 0, "a field opened with a quote is not closed"};
  }

  std::string_view text_;
  const std::string& fileName_;
  std::size_t pos_ = 0;
  int line_ = 1;
};

bool IsBlank(const std::vector<std::string>& fields) {
  return std::all_of(fields.begin(), fields.end(), [](const std::string& field) { return field.empty(); });
}

}  // namespace

Expected<std::size_t> CsvReport::Require(ReportColumn column) const {
  if (std::optional<std::size_t> index = Find(column)) return *index;
  return Failure{fileName, 3, 0, "no column \"" + ReportColumnTitle(column) + "\" among the titles"};
}

Expected<CsvReport> ParseCsvReport(std::string_view content, const std::string& fileName) {
  CsvReport report;
  report.fileName = fileName;
  RecordReader reader(content, fileName);
  for (std::vector<std::string>* header : {&report.dateLine, &report.projectLine, &report.titles}) {
    if (reader.AtEnd())
      return Failure{fileName, 0, 0, "not a BOM report: it ends before the column titles on line 3"};
    Expected<Record> record = reader.Next();
    if (!record) return record.Error();
    *header = std::move(record.Value().fields);
  }
  if (report.titles.empty()) return Failure{fileName, 3, 0, "not a BOM report: line 3 names no column"};
  while (!reader.AtEnd()) {
    Expected<Record> record = reader.Next();
    if (!record) return record.Error();
    std::vector<std::string>& fields = record.Value().fields;
    if (IsBlank(fields)) continue;
    if (fields.size() > report.titles.size() &&
        !IsBlank({fields.begin() + static_cast<std::ptrdiff_t>(report.titles.size()), fields.end()}))
      return Failure{fileName, record.Value().line, 0,
                     std::to_string(fields.size()) + " fields, but line 3 names " +
                         std::to_string(report.titles.size()) + " columns"};
    fields.resize(report.titles.size());
    report.rows.push_back({record.Value().line, std::move(fields)});
  }
  return report;
}

Expected<CsvReport> ReadCsvReport(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return Failure{path, 0, 0, std::string("cannot be read: ") + std::strerror(errno)};
  file.seekg(0, std::ios::end);
  const std::streamoff size = file.tellg();
  if (size > static_cast<std::streamoff>(kMaxReportBytes))
    return Failure{path, 0, 0, "too large to read (" + std::to_string(size) + " bytes; the limit is 256 MB)"};
  file.seekg(0);
  std::ostringstream content;
  content << file.rdbuf();
  if (file.bad()) return Failure{path, 0, 0, "cannot be read"};
  return ParseCsvReport(content.str(), path);
}

}  // namespace moldbom
