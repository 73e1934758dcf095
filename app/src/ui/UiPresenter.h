// Message boxes in the browser: a warning or a confirmation holds the host thread inside the
// module's call until the person answers on the page, as a modal box does.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "QORMessages.h"

namespace moldbom {

struct ModalBox {
  enum class Kind { Warning, Confirmation };
  long id = 0;
  Kind kind = Kind::Warning;
  QORMessageBox box;
};

class UiPresenter : public QORPresenter {
 public:
  enum class AnswerResult { Accepted, NoSuchBox, WrongAnswer };

  // boxChanged runs on the host thread whenever a box opens or closes, so the page can be told.
  explicit UiPresenter(std::function<void()> boxChanged) : boxChanged_(std::move(boxChanged)) {}

  void ShowWarning(const QORMessageBox& box) override;
  bool AskConfirmation(const QORMessageBox& box) override;
  void ReportCheckFailure(const std::string& expression, const std::string& file, int line) override;
  void ReportFileProblem(const QORFileProblem& problem) override;

  // Any thread: "ok" closes a warning, "yes" or "no" answers a confirmation.
  AnswerResult Answer(long id, const std::string& answer);
  // Any thread, at shutdown: the open box and every later one are answered no at once.
  void ReleaseAll();

  std::optional<ModalBox> OpenBox() const;
  bool HasOpenBox() const;

  // Host thread: the broken assumptions reported so far, as lines.
  const std::vector<std::string>& CheckFailures() const { return checkFailures_; }
  // Host thread: file problems and the application's notices so far, for the status line; a
  // problem is shown as one, the rest (what was saved) plainly.
  struct StatusNotice {
    std::string text;
    bool problem = true;
  };
  void AddStatusNotice(std::string text, bool problem = true);
  const std::vector<StatusNotice>& StatusNotices() const { return statusNotices_; }

 private:
  bool Ask(ModalBox::Kind kind, const QORMessageBox& box);

  std::function<void()> boxChanged_;
  mutable std::mutex mutex_;
  std::condition_variable answered_;
  std::optional<ModalBox> open_;
  std::optional<bool> answer_;
  bool released_ = false;
  long lastId_ = 0;
  std::vector<std::string> checkFailures_;
  std::vector<StatusNotice> statusNotices_;
};

}  // namespace moldbom
