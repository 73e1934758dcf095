// The capture journal of a session.
#include "JournalCapture.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>

#include "JournalSyntax.h"

extern char** environ;

namespace moldbom {

JournalCapture::JournalCapture(std::ofstream out)
    : out_(std::move(out)), answers_(QORGetPresenter()), listening_(&answers_) {}

Expected<std::unique_ptr<JournalCapture>> JournalCapture::Open(const std::string& path, const std::string& writer) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return Failure{"cannot write the capture journal " + path + ": " + std::strerror(errno)};
  std::unique_ptr<JournalCapture> capture(new JournalCapture(std::move(out)));
  capture->WriteLine("# Captured by " + writer + "; replay it with: moldbom replay " + JournalWord(path));
  // Every session starts with the document chooser available; a replay pins it.
  capture->WriteLine("doc-chooser on");
  for (const auto& [name, value] : PresetEnvironment())
    capture->WriteLine("env " + JournalWord(name) + " " + JournalWord(value));
  if (!capture->out_) return Failure{"cannot write the capture journal " + path};
  return capture;
}

Expected<std::unique_ptr<JournalCapture>> JournalCapture::OpenIfAsked(const std::optional<std::string>& path,
                                                                     const std::string& writer) {
  if (!path) return std::unique_ptr<JournalCapture>();
  return Open(*path, writer);
}

void JournalCapture::WriteLine(const std::string& line) {
  out_ << line << "\n";
  out_.flush();
}

void JournalCapture::Record(const std::vector<std::string>& words) {
  for (bool yes : answers_.given) WriteLine(yes ? "answer yes" : "answer no");
  answers_.given.clear();
  WriteLine(JournalLine(words));
}

void JournalCapture::AnswerLog::ShowWarning(const QORMessageBox& box) {
  if (shown) shown->ShowWarning(box);
}

bool JournalCapture::AnswerLog::AskConfirmation(const QORMessageBox& box) {
  const bool yes = shown && shown->AskConfirmation(box);
  given.push_back(yes);
  return yes;
}

void JournalCapture::AnswerLog::ReportCheckFailure(const std::string& expression, const std::string& file,
                                                   int line) {
  if (shown) shown->ReportCheckFailure(expression, file, line);
}

void JournalCapture::AnswerLog::ReportFileProblem(const QORFileProblem& problem) {
  if (shown) shown->ReportFileProblem(problem);
}

std::vector<std::pair<std::string, std::string>> JournalCapture::PresetEnvironment() {
  static constexpr std::string_view kPrefix = "TlgBOM_";
  std::vector<std::pair<std::string, std::string>> variables;
  for (char** entry = environ; entry && *entry; ++entry) {
    const std::string_view text(*entry);
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos || text.substr(0, kPrefix.size()) != kPrefix) continue;
    // A journal word is one line; a value that spans lines could not be replayed.
    if (text.find_first_of("\r\n") != std::string_view::npos) continue;
    variables.emplace_back(std::string(text.substr(0, equals)), std::string(text.substr(equals + 1)));
  }
  std::sort(variables.begin(), variables.end());
  return variables;
}

}  // namespace moldbom
