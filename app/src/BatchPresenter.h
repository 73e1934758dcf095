// What the host shows during a batch run: printed as it comes, confirmations answered by an option.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "QORMessages.h"

namespace moldbom {

class BatchPresenter : public QORPresenter {
 public:
  BatchPresenter(std::ostream& out, bool answerYes) : out_(out), answerYes_(answerYes) {}

  void ShowWarning(const QORMessageBox& box) override;
  bool AskConfirmation(const QORMessageBox& box) override;
  void ReportCheckFailure(const std::string& expression, const std::string& file, int line) override;
  void ReportFileProblem(const QORFileProblem& problem) override;

  // The warnings shown so far, so that the run can tell a failed save from a good one.
  const std::vector<QORMessageBox>& Warnings() const { return warnings_; }
  bool HasWarningTitled(const std::string& titleKey) const;
  // What the application itself must tell, beside the dialog's messages.
  void Tell(const std::string& text) { out_ << "moldbom report: " << text << "\n"; }
  bool HadFileProblem() const { return fileProblems_ > 0; }

 private:
  std::ostream& out_;
  bool answerYes_;
  std::vector<QORMessageBox> warnings_;
  int fileProblems_ = 0;
};

}  // namespace moldbom
