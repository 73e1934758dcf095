// Splitting journal lines into words and quoting words back.
#include "JournalSyntax.h"

#include <charconv>

namespace moldbom {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view WithoutLineEnd(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

bool NeedsQuotes(std::string_view word) {
  if (word.empty()) return true;
  for (char c : word)
    if (IsBlank(c) || c == '"' || c == '\r' || c == '\n') return true;
  return word.front() == '#';
}

// Reads a quoted word starting at line[pos] == '"'; pos ends past the closing quote.
Expected<std::string> ReadQuoted(std::string_view line, std::size_t& pos) {
  std::string word;
  const std::size_t open = pos++;
  while (pos < line.size()) {
    const char c = line[pos++];
    if (c == '"') return word;
    if (c != '\\') {
      word += c;
      continue;
    }
    if (pos >= line.size()) break;
    const char escaped = line[pos++];
    if (escaped != '"' && escaped != '\\')
      return Failure{"unknown escape \\" + std::string(1, escaped) +
                     " in a quoted word (only \\\" and \\\\)"};
    word += escaped;
  }
  return Failure{"unterminated quote (the word opened at column " + std::to_string(open + 1) + ")"};
}

Expected<std::string> ReadBare(std::string_view line, std::size_t& pos) {
  const std::size_t start = pos;
  while (pos < line.size() && !IsBlank(line[pos])) {
    if (line[pos] == '"')
      return Failure{"a quote inside a word at column " + std::to_string(pos + 1) +
                     " (write the whole word in double quotes)"};
    ++pos;
  }
  return std::string(line.substr(start, pos - start));
}

}  // namespace

bool IsSkippedJournalLine(std::string_view line) {
  line = WithoutLineEnd(line);
  std::size_t pos = 0;
  while (pos < line.size() && IsBlank(line[pos])) ++pos;
  return pos == line.size() || line[pos] == '#';
}

Expected<std::vector<std::string>> SplitJournalWords(std::string_view line) {
  line = WithoutLineEnd(line);
  std::vector<std::string> words;
  std::size_t pos = 0;
  while (true) {
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    if (pos == line.size()) return words;
    const bool quoted = line[pos] == '"';
    Expected<std::string> word = quoted ? ReadQuoted(line, pos) : ReadBare(line, pos);
    if (!word) return Failure{word.Why()};
    if (quoted && pos < line.size() && !IsBlank(line[pos]))
      return Failure{"a blank must follow the closing quote at column " + std::to_string(pos)};
    words.push_back(std::move(word).Value());
  }
}

std::string QuoteWord(std::string_view word) {
  std::string quoted = "\"";
  for (char c : word) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

std::optional<int> WholeNumber(std::string_view word) {
  const char* first = word.data();
  const char* last = word.data() + word.size();
  // from_chars takes a minus sign but no plus sign.
  if (first != last && *first == '+' && last - first > 1 && first[1] != '-') ++first;
  int value = 0;
  const auto [end, error] = std::from_chars(first, last, value);
  if (first == last || error != std::errc() || end != last) return std::nullopt;
  return value;
}

std::string JournalWord(std::string_view word) {
  return NeedsQuotes(word) ? QuoteWord(word) : std::string(word);
}

std::string JournalLine(const std::vector<std::string>& words) {
  std::string line;
  for (const std::string& word : words) line += (line.empty() ? "" : " ") + JournalWord(word);
  return line;
}

}  // namespace moldbom
