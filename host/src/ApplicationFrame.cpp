// The application frame: the host's main window, parent of top-level dialogs, and the busy cursor.
#include "QOREditor.h"

#include <utility>

#include "MainWindow.h"

namespace {

class MainWindowDialog : public QORDialog {
 public:
  MainWindowDialog() : QORDialog(nullptr, "MainWindow", 0) {}
  const char* GetImplClassName() const override { return "MainWindow"; }
};

struct FrameState {
  QORDialog* mainWindow = nullptr;
  // Set while the window is built or torn down: a dialog asking for its parent then gets none
  // instead of a second window.
  bool changing = false;
  bool busy = false;
};

FrameState& Frame() {
  static FrameState state;
  return state;
}

}  // namespace

namespace qorhost {

QORDialog* MainWindow() {
  FrameState& frame = Frame();
  if (frame.mainWindow || frame.changing) return frame.mainWindow;
  frame.changing = true;
  frame.mainWindow = new MainWindowDialog();
  frame.changing = false;
  return frame.mainWindow;
}

void ReleaseMainWindow() {
  FrameState& frame = Frame();
  if (!frame.mainWindow) return;
  frame.changing = true;
  std::exchange(frame.mainWindow, nullptr)->Release();
  frame.changing = false;
}

}  // namespace qorhost

QORApplicationFrame* QORApplicationFrame::GetFrame() {
  static QORApplicationFrame frame;
  return &frame;
}

QORDialog* QORApplicationFrame::GetMainWindow() { return qorhost::MainWindow(); }

void QORApplicationFrame::SetBusyCursor() { Frame().busy = true; }
bool QORApplicationFrame::IsBusy() { return Frame().busy; }
void QORApplicationFrame::ResetBusyCursor() { Frame().busy = false; }
