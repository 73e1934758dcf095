// File boxes and the document chooser: modeless boxes that give the path a user chose.
#pragma once

#include <string>
#include <vector>

#include "QORBase.h"
#include "QORDialogToolkit.h"
#include "QORExpected.h"

// A document's environment: where documents live and how an identifier becomes a path.
class QOR_EXPORT QORIDocEnvironment : public virtual QORBaseUnknown {
 public:
  static const char* ClassName() { return "QORIDocEnvironment"; }
  // "File" for documents that are plain files.
  virtual QORUnicodeString GetType() = 0;
  virtual HRESULT ConvertIdToPath(const QORUnicodeString& identifier, QORUnicodeString& path) = 0;
};
QOR_DECLARE_HANDLE(QORIDocEnvironment);

// A document identifier.
class QOR_EXPORT QORIDocId : public virtual QORBaseUnknown {
 public:
  static const char* ClassName() { return "QORIDocId"; }
  virtual QORUnicodeString GetIdentifier() = 0;
  // The environment with a reference the caller releases.
  virtual HRESULT GetDocEnvironment(QORIDocEnvironment*& environment) = 0;
};
QOR_DECLARE_HANDLE(QORIDocId);

// A selected document of a file box.
class QOR_EXPORT QORIDocument : public virtual QORBaseUnknown {
 public:
  static const char* ClassName() { return "QORIDocument"; }
  virtual QORUnicodeString GetPath() = 0;
};
QOR_DECLARE_HANDLE(QORIDocument);

// A file box (open or save-as). Its own dialog publishes the OK and cancel notifications.
class QOR_EXPORT QORIFmuDialogBox : public virtual QORBaseUnknown {
 public:
  static const char* ClassName() { return "QORIFmuDialogBox"; }
  virtual HRESULT SetTitle(const QORUnicodeString& title) = 0;
  virtual QORDlgDialog* GetDialog() = 0;
  // The box's command (its dialog), with no reference taken.
  virtual HRESULT GetCommand(QORCommand*& command) = 0;
  virtual QORNotification* GetOKNotification() = 0;
  virtual QORNotification* GetCancelNotification() = 0;
  virtual HRESULT AddFileFilter(const QORUnicodeString& description, const QORUnicodeString& pattern, int flag) = 0;
  virtual HRESULT SetDirectory(const QORUnicodeString& directory) = 0;
  virtual HRESULT SetFileName(const QORUnicodeString& name) = 0;
  virtual HRESULT SetVisibility(int visibility) = 0;
  // The document the user chose, with a reference the caller releases; fails when none.
  virtual HRESULT GetSelectedDocument(QORIDocument*& document) = 0;
  // The chosen path, empty when none.
  virtual QORUnicodeString GetSelectedPath() = 0;
  virtual HRESULT Close() = 0;
};

// The document chooser.
class QOR_EXPORT QORIFmuDocChooser : public virtual QORBaseUnknown {
 public:
  static const char* ClassName() { return "QORIFmuDocChooser"; }
  virtual HRESULT SetTitle(const QORUnicodeString& title) = 0;
  virtual HRESULT AddFileFilter(const QORUnicodeString& description, const QORUnicodeString& pattern, int flag) = 0;
  virtual HRESULT SetVisibility(int visibility) = 0;
  virtual HRESULT GetCommand(QORCommand*& command) = 0;
  virtual HRESULT GetOKNotification(QORNotification*& notification) = 0;
  virtual HRESULT GetCancelNotification(QORNotification*& notification) = 0;
  // Appends the chosen documents' identifiers (with references held by the list).
  virtual HRESULT GetSelectedDocuments(QORListValQORIDocId_var& documents) = 0;
};

class QOR_EXPORT QORFileMenuMethods {
 public:
  // A file box named name under father, returned with a reference in box. document: none here.
  static HRESULT CreateCurrentDocEnvDialogBox(QORDialog* father, const QORString& name, int style,
                                              QORIFmuDialogBox*& box, const void* document = nullptr);
  static HRESULT CreateDocChooser(QORDialog* father, const QORString& name, int flags, int style,
                                  const char* documentId, QORIFmuDocChooser*& chooser);
};

class QOR_EXPORT QORFmuProtectedServices {
 public:
  // Whether the document chooser may be used (level 9 and above in the host's settings).
  static bool IsNormalOrRecordGE(int level);
  // Host side: what IsNormalOrRecordGE reports.
  static void SetDocChooserAvailable(bool available);
};

// ---------------------------------------------------------------------------------------------
// Host side: the boxes a user can answer.
// ---------------------------------------------------------------------------------------------
struct QOR_EXPORT QOROpenBoxInfo {
  std::string name;       // "SaveBom", "FileSelection", "FileOpen"
  std::string kind;       // "file box" or "document chooser"
  bool saving = false;    // a save-as box: the chosen file is written, so an existing one is replaced
  std::string title;
  std::string directory;  // as preset
  std::string fileName;   // as preset
  std::vector<std::pair<std::string, std::string>> filters;  // description, pattern
};

class QOR_EXPORT QORFileBoxHost {
 public:
  // The boxes shown now, in the order they were shown.
  static std::vector<QOROpenBoxInfo> OpenBoxes();
  // Answers the open box named name: OK with a path (the file name as the user typed it), or
  // cancel. Fails when no such box is open.
  static QOROutcome Answer(const std::string& name, bool ok, const std::string& path);
  // Boxes and choosers not yet released, shown or not (for leak checks in tests).
  static int LiveBoxCount();
};
