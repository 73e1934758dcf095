// Modal boxes shown by the page and answered through the server.
#include "UiPresenter.h"

#include <utility>

namespace moldbom {

bool UiPresenter::Ask(ModalBox::Kind kind, const QORMessageBox& box) {
  {
    std::lock_guard lock(mutex_);
    if (released_) return false;
    open_ = ModalBox{++lastId_, kind, box};
    answer_.reset();
  }
  boxChanged_();
  bool yes = false;
  {
    std::unique_lock lock(mutex_);
    answered_.wait(lock, [&] { return answer_.has_value() || released_; });
    yes = answer_.value_or(false);
    open_.reset();
    answer_.reset();
  }
  boxChanged_();
  return yes;
}

void UiPresenter::ShowWarning(const QORMessageBox& box) { Ask(ModalBox::Kind::Warning, box); }

bool UiPresenter::AskConfirmation(const QORMessageBox& box) { return Ask(ModalBox::Kind::Confirmation, box); }

void UiPresenter::ReportCheckFailure(const std::string& expression, const std::string& file, int line) {
  checkFailures_.push_back(file + ":" + std::to_string(line) + ": " + expression);
  boxChanged_();
}

void UiPresenter::ReportFileProblem(const QORFileProblem& problem) { AddStatusNotice(QORDescribeFileProblem(problem)); }

void UiPresenter::AddStatusNotice(std::string text, bool problem) {
  statusNotices_.push_back({std::move(text), problem});
  boxChanged_();
}

UiPresenter::AnswerResult UiPresenter::Answer(long id, const std::string& answer) {
  {
    std::lock_guard lock(mutex_);
    if (!open_ || open_->id != id || answer_) return AnswerResult::NoSuchBox;
    const bool warning = open_->kind == ModalBox::Kind::Warning;
    if (warning ? answer != "ok" : answer != "yes" && answer != "no") return AnswerResult::WrongAnswer;
    answer_ = answer == "yes";
  }
  answered_.notify_all();
  return AnswerResult::Accepted;
}

void UiPresenter::ReleaseAll() {
  {
    std::lock_guard lock(mutex_);
    released_ = true;
  }
  answered_.notify_all();
}

std::optional<ModalBox> UiPresenter::OpenBox() const {
  std::lock_guard lock(mutex_);
  return open_;
}

bool UiPresenter::HasOpenBox() const {
  std::lock_guard lock(mutex_);
  return open_.has_value();
}

}  // namespace moldbom
