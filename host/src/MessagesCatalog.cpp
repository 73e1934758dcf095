// Catalog files of the host: the parser of `Key = "text"` lines, the resource directory and the
// cache of loaded catalogs.
#include "QORMessages.h"

#include "QORInstallation.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsKeyChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '.';
}

// Number of continuation bytes after a lead byte, or -1 for a byte that cannot lead.
int ContinuationCount(unsigned char lead) {
  if (lead < 0x80) return 0;
  if (lead >= 0xC2 && lead <= 0xDF) return 1;
  if (lead >= 0xE0 && lead <= 0xEF) return 2;
  if (lead >= 0xF0 && lead <= 0xF4) return 3;
  return -1;
}

bool IsValidUtf8(std::string_view text) {
  static constexpr unsigned int kLeadMask[] = {0x7F, 0x1F, 0x0F, 0x07};
  static constexpr unsigned int kSmallest[] = {0, 0x80, 0x800, 0x10000};
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const int extra = ContinuationCount(lead);
    if (extra < 0 || i + static_cast<std::size_t>(extra) >= text.size()) return false;
    unsigned int codePoint = lead & kLeadMask[extra];
    for (int k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
      if ((next & 0xC0) != 0x80) return false;
      codePoint = (codePoint << 6) | (next & 0x3Fu);
    }
    const bool overlong = codePoint < kSmallest[extra];
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    if (overlong || surrogate || codePoint > 0x10FFFF) return false;
    i += static_cast<std::size_t>(extra) + 1;
  }
  return true;
}

bool IsIgnoredLine(std::string_view line) {
  std::size_t i = 0;
  while (i < line.size() && IsBlank(line[i])) ++i;
  return i == line.size() || line[i] == '#';
}

// One `Key = "text"` line; the problem is empty when the line is well formed.
struct ParsedLine {
  std::string key, text, problem;
};

class LineParser {
 public:
  explicit LineParser(std::string_view line) : line_(line) {}

  ParsedLine Parse() {
    ParsedLine out;
    SkipBlanks();
    out.key = TakeKey();
    if (out.key.empty()) return Fail("a line must start with a key (letters, digits, '_' or '.')");
    SkipBlanks();
    if (!Take('=')) return Fail("expected '=' after the key '" + out.key + "'");
    SkipBlanks();
    if (!Take('"')) return Fail("expected a text in double quotes after '='");
    std::string problem;
    if (!TakeQuotedText(out.text, problem)) return Fail(problem);
    SkipBlanks();
    if (pos_ != line_.size()) return Fail("unexpected text after the closing double quote");
    return out;
  }

 private:
  static ParsedLine Fail(std::string problem) { return ParsedLine{{}, {}, std::move(problem)}; }

  void SkipBlanks() {
    while (pos_ < line_.size() && IsBlank(line_[pos_])) ++pos_;
  }
  bool Take(char c) {
    if (pos_ >= line_.size() || line_[pos_] != c) return false;
    ++pos_;
    return true;
  }
  std::string TakeKey() {
    const std::size_t start = pos_;
    while (pos_ < line_.size() && IsKeyChar(line_[pos_])) ++pos_;
    return std::string(line_.substr(start, pos_ - start));
  }
  // Reads up to and including the closing quote, resolving escapes.
  bool TakeQuotedText(std::string& text, std::string& problem) {
    while (pos_ < line_.size()) {
      const char c = line_[pos_++];
      if (c == '"') return true;
      if (c != '\\') {
        text += c;
        continue;
      }
      if (pos_ >= line_.size()) break;
      const char escaped = line_[pos_++];
      if (escaped == 'n')
        text += '\n';
      else if (escaped == '"' || escaped == '\\')
        text += escaped;
      else {
        problem = std::string("unknown escape '\\") + escaped + "' (known: \\\" \\\\ \\n)";
        return false;
      }
    }
    problem = "missing closing double quote";
    return false;
  }

  std::string_view line_;
  std::size_t pos_ = 0;
};

std::string_view WithoutByteOrderMark(std::string_view content) {
  constexpr std::string_view bom = "\xEF\xBB\xBF";
  if (content.substr(0, bom.size()) == bom) content.remove_prefix(bom.size());
  return content;
}

// Splits at LF, dropping the CR of CR LF endings; a final line without LF counts.
std::vector<std::string_view> SplitLines(std::string_view content) {
  std::vector<std::string_view> lines;
  while (!content.empty()) {
    const std::size_t end = content.find('\n');
    std::string_view line = content.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    content.remove_prefix(end + 1);
  }
  return lines;
}

bool IsCatalogName(const std::string& name) {
  return !name.empty() && name.front() != '.' && name.find('/') == std::string::npos;
}

const char* SuffixOf(QORCatalogKind kind) {
  return kind == QORCatalogKind::Resources ? ".resources" : ".messages";
}

using CatalogLoad = QORExpected<std::shared_ptr<const QORCatalogTexts>>;

struct CatalogState {
  std::mutex mutex;
  std::string chosenDirectory;
  std::map<std::string, CatalogLoad> loaded;  // by file path
};

CatalogState& State() {
  static CatalogState state;
  return state;
}

CatalogLoad ReadShared(const std::string& path) {
  QORExpected<QORCatalogTexts> read = QORCatalogTexts::ReadFile(path);
  if (!read) return read.Error();
  return std::make_shared<const QORCatalogTexts>(read.Value());
}

}  // namespace

QORExpected<QORCatalogTexts> QORCatalogTexts::Parse(std::string_view content,
                                                           const std::string& fileName) {
  QORCatalogTexts catalog;
  std::map<std::string, int, std::less<>> lineOfKey;
  const std::vector<std::string_view> lines = SplitLines(WithoutByteOrderMark(content));
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const int lineNumber = static_cast<int>(i) + 1;
    if (!IsValidUtf8(lines[i])) return QORError(fileName, lineNumber, 0, "not valid UTF-8");
    if (IsIgnoredLine(lines[i])) continue;
    ParsedLine parsed = LineParser(lines[i]).Parse();
    if (!parsed.problem.empty()) return QORError(fileName, lineNumber, 0, parsed.problem);
    const auto [at, isNew] = lineOfKey.emplace(parsed.key, lineNumber);
    if (!isNew)
      return QORError(fileName, lineNumber, 0, "the key '" + parsed.key + "' is already defined on line " + std::to_string(at->second));
    catalog.texts_.emplace(std::move(parsed.key), std::move(parsed.text));
  }
  return catalog;
}

QORExpected<QORCatalogTexts> QORCatalogTexts::ReadFile(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file)
    return QORError(path, 0, 0, std::string("cannot be read: ") + std::strerror(errno));
  std::string content;
  char chunk[8192];
  std::size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) content.append(chunk, got);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) return QORError(path, 0, 0, "cannot be read");
  return Parse(content, path);
}

const std::string* QORCatalogTexts::Find(std::string_view key) const {
  const auto at = texts_.find(key);
  return at == texts_.end() ? nullptr : &at->second;
}

void QORSetResourceDirectory(std::string directory) {
  std::lock_guard lock(State().mutex);
  State().chosenDirectory = std::move(directory);
}

std::string QORGetResourceDirectory() {
  {
    std::lock_guard lock(State().mutex);
    if (!State().chosenDirectory.empty()) return State().chosenDirectory;
  }
  const char* fromEnvironment = std::getenv("MOLDBOM_RESOURCES");
  if (fromEnvironment && *fromEnvironment) return fromEnvironment;
  return QORInstallation::Current().resourceDirectory;
}

QORExpected<std::shared_ptr<const QORCatalogTexts>> QORLoadCatalog(
    const std::string& catalogName, QORCatalogKind kind) {
  const std::string path = QORGetResourceDirectory() + "/catalogs/" + catalogName + SuffixOf(kind);
  if (!IsCatalogName(catalogName)) return QORError(path, 0, 0, "not a catalog name");
  std::lock_guard lock(State().mutex);
  auto at = State().loaded.find(path);
  if (at == State().loaded.end()) at = State().loaded.emplace(path, ReadShared(path)).first;
  return at->second;
}

void QORForgetCatalogs() {
  std::lock_guard lock(State().mutex);
  State().loaded.clear();
}
