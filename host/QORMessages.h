// Message catalogs, dialog resource texts, warning boxes and the presenter that shows them.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "QORBase.h"
#include "QORExpected.h"

// ---------------------------------------------------------------------------------------------
// Host side: catalog files and where they are found.
//
// A catalog is <resource dir>/catalogs/<name>.messages (or .resources for a dialog's widget
// texts): UTF-8, one `Key = "text"` a line, blank lines and lines starting with '#' skipped,
// escapes \" \\ \n inside the quotes, parameter slots /p1, /p2 ... in the text.
// ---------------------------------------------------------------------------------------------

// The application's choice wins; then $MOLDBOM_RESOURCES; then the installation's (QORInstallation).
// An empty directory withdraws the application's choice.
QOR_EXPORT void QORSetResourceDirectory(std::string directory);
QOR_EXPORT std::string QORGetResourceDirectory();

// The texts of one catalog file, by key.
class QOR_EXPORT QORCatalogTexts {
 public:
  // Parses the content of a catalog; fileName only names the file in errors, which give the line
  // at fault (none when the file as a whole is).
  static QORExpected<QORCatalogTexts> Parse(std::string_view content,
                                                   const std::string& fileName);
  static QORExpected<QORCatalogTexts> ReadFile(const std::string& path);

  // The raw text of key, parameter slots unreplaced; null when the key is missing.
  const std::string* Find(std::string_view key) const;
  const std::map<std::string, std::string, std::less<>>& Entries() const { return texts_; }

 private:
  std::map<std::string, std::string, std::less<>> texts_;
};

enum class QORCatalogKind { Messages, Resources };

// The catalog of that name from the resource directory, read once and then shared; a failure is
// remembered as well, until QORForgetCatalogs.
QOR_EXPORT QORExpected<std::shared_ptr<const QORCatalogTexts>> QORLoadCatalog(
    const std::string& catalogName, QORCatalogKind kind = QORCatalogKind::Messages);
// Drops every cached catalog, so that edited files are read again.
QOR_EXPORT void QORForgetCatalogs();

// Replaces each slot /pN of text by params[N - 1]. A slot without its parameter stays as written,
// so that a missing parameter shows; inserted parameters are not searched for slots.
QOR_EXPORT std::string QORSubstituteParameters(std::string_view text,
                                               const QORUnicodeString* params, int count);

// ---------------------------------------------------------------------------------------------
// Module side: catalogs and messages.
// ---------------------------------------------------------------------------------------------

class QOR_EXPORT QORMsg {
 public:
  QORMsg() = default;
  explicit QORMsg(std::string text) : text_(std::move(text)), isSet_(true) {}

  // The text with its parameter slots replaced; E_FAIL when the message was never obtained.
  HRESULT BuildMessage(QORUnicodeString& out, const QORUnicodeString* params = nullptr,
                       int count = 0) const;

 private:
  std::string text_;
  bool isSet_ = false;
};

class QOR_EXPORT QORMsgCatalog {
 public:
  // E_FAIL when the catalog is missing or malformed (the reason is on QORLoadCatalog's side).
  HRESULT LoadMsgCatalog(const char* catalogName);
  // E_FAIL when no catalog is loaded or it has no such key.
  HRESULT GetCatalogMsg(const char* key, QORMsg& msg) const;

  // The message of key in catalogName; defaultText, with the parameters substituted, when the
  // catalog or the key is missing (an empty text when defaultText is null too).
  static QORUnicodeString BuildMessage(const char* catalogName, const char* key,
                                       const QORUnicodeString* params, int count,
                                       const char* defaultText);

 private:
  std::shared_ptr<const QORCatalogTexts> texts_;
};

// ---------------------------------------------------------------------------------------------
// Warnings, confirmations and check failures, shown by the driver's presenter.
// ---------------------------------------------------------------------------------------------

struct QORMessageBox {
  std::string catalog, titleKey, messageKey;
  std::vector<std::string> params;
  std::string title, text;
};

// What the file services could not do that no result code tells their caller: the module checks
// opens and writes, not the sync, close and rename that put a written file in place.
struct QORFileProblem {
  enum class Kind {
    HeldByAnotherRun,  // another process holds the file's lock; the open gave up after a wait
    TooLarge,          // larger than the host reads whole (QORFMaxReadSize)
    NotReplaced,       // a written file was not put in place; the previous one stays as it was
  };
  Kind kind = Kind::NotReplaced;
  std::string path;
  std::string why;  // NotReplaced: the step that failed and the system's reason
  unsigned long long size = 0;  // TooLarge: the file's size in bytes
};

// What the driver of the application shows a person; the journal prints and answers from its
// queue, the browser shows a modal box, batch prints and answers from its options.
class QOR_EXPORT QORPresenter {
 public:
  virtual ~QORPresenter() = default;
  virtual void ShowWarning(const QORMessageBox& box) = 0;
  // true when the user accepted.
  virtual bool AskConfirmation(const QORMessageBox& box) = 0;
  virtual void ReportCheckFailure(const std::string& expression, const std::string& file,
                                  int line) = 0;
  virtual void ReportFileProblem(const QORFileProblem& problem) = 0;
};

// The presenter is not owned; null falls back to standard error and answers no.
QOR_EXPORT void QORSetPresenter(QORPresenter* presenter);
QOR_EXPORT QORPresenter* QORGetPresenter();

// Installs a presenter for a scope and puts the previous one back.
class QORPresenterScope {
 public:
  explicit QORPresenterScope(QORPresenter* presenter) : previous_(QORGetPresenter()) {
    QORSetPresenter(presenter);
  }
  ~QORPresenterScope() { QORSetPresenter(previous_); }
  QORPresenterScope(const QORPresenterScope&) = delete;
  QORPresenterScope& operator=(const QORPresenterScope&) = delete;

 private:
  QORPresenter* previous_;
};

class QOR_EXPORT QORTlgErrorServices {
 public:
  // The message, or "<catalog>.<key>" when it is missing, so that a lost text shows but does no
  // harm.
  static QORUnicodeString BuildMessage(const char* catalog, const char* key,
                                       const QORUnicodeString* params = nullptr, int count = 0);
  // Title from titleKey, text from messageKey, both in catalog; E_FAIL only for null names.
  static HRESULT DisplayWarning(const char* catalog, const char* titleKey, const char* messageKey,
                                const QORUnicodeString* params = nullptr, int count = 0);
  // TRUE when the user accepted.
  static QORBoolean DisplayWarningConfirmation(const char* catalog, const char* titleKey,
                                               const char* messageKey,
                                               const QORUnicodeString* params = nullptr,
                                               int count = 0);
};

// Tells the presenter (standard error without one) of a file problem; the program goes on.
QOR_EXPORT void QORReportFileProblem(const QORFileProblem& problem);
// The problem in one sentence that names the file, for any driver to show.
QOR_EXPORT std::string QORDescribeFileProblem(const QORFileProblem& problem);

// Reports a broken assumption; the program goes on.
QOR_EXPORT void QORSysCheckFailure(const char* expression, const char* file, int line);

// ---------------------------------------------------------------------------------------------
// Host side: widget texts of a dialog, from <resource dir>/catalogs/<resource name>.resources.
// ---------------------------------------------------------------------------------------------
class QOR_EXPORT QORDialogResources {
 public:
  // The text of widgetId, parameter slots unreplaced; empty when the file or the key is missing.
  static std::string Text(const std::string& resourceName, const std::string& widgetId);
};
