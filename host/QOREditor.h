// Editor and highlighting: the current editor with its highlighted set of objects and context
// path, and the application frame (main window, busy cursor).
#pragma once

#include <string>
#include <vector>

#include "QORBase.h"
#include "QORDialogToolkit.h"
#include "QORProductStructure.h"

// The highlighted set of objects: what the host's views show highlighted.
class QOR_EXPORT QORHSO : public virtual QORBaseUnknown {
 public:
  static const char* ClassName() { return "QORHSO"; }
  void Empty();
  // Adds one path; the views show the set once the additions are closed.
  void AddElements(QORPathElement* path);
  void EndAddElements();

  // Host side: the paths in the set, in the order added.
  const std::vector<QORPathElement_var>& Elements() const { return elements_; }
  bool IsOpenForAdditions() const { return adding_; }
  // The paths in the set as instance paths ("MOLD/Plate.1/Pin.2"), in the order added.
  std::vector<std::string> RenderedPaths() const;

 private:
  std::vector<QORPathElement_var> elements_;
  bool adding_ = false;
};
QOR_DECLARE_HANDLE(QORHSO);

// The editor of the current document.
class QOR_EXPORT QORFrmEditor : public virtual QORBaseUnknown {
 public:
  static const char* ClassName() { return "QORFrmEditor"; }
  // Null when no document is open.
  static QORFrmEditor* GetCurrentEditor();
  // The highlighted set; null when the editor has none.
  QORHSO* GetHSO() { return hso_.Get(); }
  // The context path (the root of the document), with a reference the caller releases.
  QORPathElement* GetContextPath();

  // Host side: the editor follows the current document (set by the application).
  static void SetCurrentEditor(QORFrmEditor* editor);
  void SetContextPath(const QORPathElement_var& path) { context_ = path; }

  QORFrmEditor();

 private:
  QORHSO_var hso_;
  QORPathElement_var context_;
};

// The application frame: its main window and the busy cursor.
class QOR_EXPORT QORApplicationFrame {
 public:
  static QORApplicationFrame* GetFrame();
  QORDialog* GetMainWindow();
  // Shows the busy cursor until the current user event ends.
  static void SetBusyCursor();

  // Host side.
  static bool IsBusy();
  static void ResetBusyCursor();
};
