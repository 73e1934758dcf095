// The capture-and-replay recorder: whether the session is being captured or replayed.
#pragma once

#include "QORBase.h"

class QOR_EXPORT QORRecord {
 public:
  enum class Mode { Off, Replay, Capture };
  // The recorder, null when the host has none.
  static QORRecord* GetMain();
  bool IsReplay() const { return mode_ == Mode::Replay; }
  bool IsCapture() const { return mode_ == Mode::Capture; }

  // Host side.
  void SetMode(Mode mode) { mode_ = mode; }
  Mode GetMode() const { return mode_; }

 private:
  Mode mode_ = Mode::Off;
};
