// What the host shows, as journal output lines; confirmations answered from the journal's queue.
#pragma once

#include <deque>
#include <ostream>
#include <string>

#include "QORMessages.h"

namespace moldbom {

class JournalPresenter : public QORPresenter {
 public:
  explicit JournalPresenter(std::ostream& out) : out_(out), problems_(out) {}
  // File problems go to problems (standard error in a replay), apart from what the dialog shows.
  JournalPresenter(std::ostream& out, std::ostream& problems) : out_(out), problems_(problems) {}

  // The answer to the next confirmation; with none queued the answer is no.
  void QueueAnswer(bool yes) { answers_.push_back(yes); }

  void ShowWarning(const QORMessageBox& box) override;
  bool AskConfirmation(const QORMessageBox& box) override;
  void ReportCheckFailure(const std::string& expression, const std::string& file, int line) override;
  void ReportFileProblem(const QORFileProblem& problem) override;
  bool HadFileProblem() const { return fileProblems_ > 0; }

 private:
  std::ostream& out_;
  std::ostream& problems_;
  std::deque<bool> answers_;
  int fileProblems_ = 0;
};

// "CATALOG TITLEKEY MESSAGEKEY "PARAM"... -- TEXT", the message on one line.
std::string DescribeMessageBox(const QORMessageBox& box);

// The text with its line breaks turned into blanks, so that one message is one output line.
std::string OnOneLine(const std::string& text);

}  // namespace moldbom
