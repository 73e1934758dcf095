// Batch output of warnings and confirmations.
#include "BatchPresenter.h"

#include <algorithm>

#include "JournalPresenter.h"

namespace moldbom {

void BatchPresenter::ShowWarning(const QORMessageBox& box) {
  warnings_.push_back(box);
  out_ << "warning: " << box.title << ": " << OnOneLine(box.text) << "\n";
}

bool BatchPresenter::AskConfirmation(const QORMessageBox& box) {
  out_ << "question: " << box.title << ": " << OnOneLine(box.text) << " -> "
       << (answerYes_ ? "yes (--yes)" : "no (--yes would accept)") << "\n";
  return answerYes_;
}

void BatchPresenter::ReportCheckFailure(const std::string& expression, const std::string& file, int line) {
  out_ << "check failed: " << OnOneLine(expression) << " (" << file << ":" << line << ")\n";
}

void BatchPresenter::ReportFileProblem(const QORFileProblem& problem) {
  ++fileProblems_;
  out_ << "moldbom: " << QORDescribeFileProblem(problem) << "\n";
}

bool BatchPresenter::HasWarningTitled(const std::string& titleKey) const {
  return std::any_of(warnings_.begin(), warnings_.end(),
                     [&](const QORMessageBox& box) { return box.titleKey == titleKey; });
}

}  // namespace moldbom
