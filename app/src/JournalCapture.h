// Writes what a session does as a journal that `moldbom replay` runs again: the variables replay
// needs to take the same branches, then every accepted event, each preceded by the answers to the
// confirmations it raised.
#pragma once

#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Expected.h"
#include "QORMessages.h"

namespace moldbom {

class JournalCapture {
 public:
  // Creates (or empties) the journal and writes the variables of the replay presets. From then on,
  // until the capture goes, it hears the answers the current presenter gives; it must go before
  // that presenter does.
  static Expected<std::unique_ptr<JournalCapture>> Open(const std::string& path, const std::string& writer);
  // No capture when no path was asked for.
  static Expected<std::unique_ptr<JournalCapture>> OpenIfAsked(const std::optional<std::string>& path,
                                                               const std::string& writer);
  JournalCapture(const JournalCapture&) = delete;
  JournalCapture& operator=(const JournalCapture&) = delete;

  // One accepted event, after the answers given since the last; the journal is flushed so that a
  // killed session keeps what it did.
  void Record(const std::vector<std::string>& words);
  void ForgetAnswers() { answers_.given.clear(); }

  // The variables whose names start with "TlgBOM_", which the module reads in replay and capture.
  static std::vector<std::pair<std::string, std::string>> PresetEnvironment();

 private:
  // Passes everything on to the presenter it wraps and keeps the confirmations' answers.
  struct AnswerLog : QORPresenter {
    explicit AnswerLog(QORPresenter* wrapped) : shown(wrapped) {}
    void ShowWarning(const QORMessageBox& box) override;
    bool AskConfirmation(const QORMessageBox& box) override;
    void ReportCheckFailure(const std::string& expression, const std::string& file, int line) override;
    void ReportFileProblem(const QORFileProblem& problem) override;

    QORPresenter* shown;
    std::vector<bool> given;
  };

  explicit JournalCapture(std::ofstream out);
  void WriteLine(const std::string& line);

  std::ofstream out_;
  AnswerLog answers_;
  QORPresenterScope listening_;
};

}  // namespace moldbom
