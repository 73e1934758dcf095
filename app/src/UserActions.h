// What a user can do to the running command's dialog, its boxes and the product tree, refused
// where a user could not (hidden or greyed-out widgets, hidden columns, locked cells, closed boxes).
// Drivers reach these only through the table of user events.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "Expected.h"

namespace moldbom {

class HostSession;

enum class CloseKind { Window, Dialog };

class UserActions {
 public:
  explicit UserActions(HostSession& session) : session_(session) {}

  // Each returns the reason when a user could not have done it; an accepted event ends with the
  // host's end-of-event processing.
  [[nodiscard]] Outcome Start(const std::string& className);
  // Picks the product at an instance path ("MOLD/SliderUnit.1") in the product tree.
  [[nodiscard]] Outcome Select(const std::string& instancePath);
  [[nodiscard]] Outcome Push(const std::string& id);
  // One repetitive notification of a button held down.
  [[nodiscard]] Outcome Hold(const std::string& id);
  // A check button goes to the state; a radio button only to "on", exclusively within its frame.
  [[nodiscard]] Outcome Check(const std::string& id, bool on);
  [[nodiscard]] Outcome Type(const std::string& id, const std::string& text);
  [[nodiscard]] Outcome Column(const std::string& id, int position);
  // Selects exactly these rows of a multi-list (none: clears the selection).
  [[nodiscard]] Outcome Rows(const std::string& id, const std::vector<int>& rows);
  [[nodiscard]] Outcome Cell(const std::string& id, int row, int position, const std::string& text);
  [[nodiscard]] Outcome Combo(const std::string& id, const std::string& text);
  // Answers the open box named boxName; without a path, OK takes the box's preset directory and
  // file name.
  [[nodiscard]] Outcome File(const std::string& boxName, bool ok, const std::optional<std::string>& path);
  [[nodiscard]] Outcome Close(CloseKind kind);
  // Cancels the running command, which writes nothing, starts the same command again and types
  // the profile names back, so a newcomer recovers from an early pick without losing a profile.
  [[nodiscard]] Outcome StartAgain();
  // Opens another mold file in place of the current one, then starts again as above.
  [[nodiscard]] Outcome OpenMold(const std::string& path, const std::string& catalogPath);

 private:
  // Starts again after cancelling; between runs once the command is gone, and its failure
  // leaves the command running as it was.
  Outcome Restart(Outcome (HostSession::*between)(const std::string&, const std::string&), const std::string& path,
                  const std::string& catalogPath);

  HostSession& session_;
};

}  // namespace moldbom
