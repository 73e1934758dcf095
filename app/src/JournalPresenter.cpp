// Journal output of warnings, confirmations and check failures.
#include "JournalPresenter.h"

#include "JournalSyntax.h"

namespace moldbom {

std::string OnOneLine(const std::string& text) {
  std::string line;
  for (char c : text) {
    if (c == '\r') continue;
    line += c == '\n' ? ' ' : c;
  }
  return line;
}

std::string DescribeMessageBox(const QORMessageBox& box) {
  std::string line = box.catalog + " " + box.titleKey + " " + box.messageKey;
  for (const std::string& param : box.params) line += " " + QuoteWord(param);
  return line + " -- " + OnOneLine(box.text);
}

void JournalPresenter::ShowWarning(const QORMessageBox& box) {
  out_ << "warning " << DescribeMessageBox(box) << "\n";
}

bool JournalPresenter::AskConfirmation(const QORMessageBox& box) {
  bool yes = false;
  if (!answers_.empty()) {
    yes = answers_.front();
    answers_.pop_front();
  }
  out_ << "confirm " << DescribeMessageBox(box) << " -> " << (yes ? "yes" : "no") << "\n";
  return yes;
}

void JournalPresenter::ReportCheckFailure(const std::string& expression, const std::string& file, int line) {
  out_ << "check-failure " << file << " " << line << " -- " << OnOneLine(expression) << "\n";
}

void JournalPresenter::ReportFileProblem(const QORFileProblem& problem) {
  ++fileProblems_;
  problems_ << "moldbom: " << QORDescribeFileProblem(problem) << "\n";
}

}  // namespace moldbom
