// Warnings, confirmations and check failures of the host, handed to the driver's presenter.
#include "QORMessages.h"

#include <atomic>
#include <cstdio>
#include <exception>
#include <string>

namespace {

std::atomic<QORPresenter*> currentPresenter{nullptr};

QORMessageBox BuildBox(const char* catalog, const char* titleKey, const char* messageKey,
                       const QORUnicodeString* params, int count) {
  QORMessageBox box;
  box.catalog = catalog;
  box.titleKey = titleKey;
  box.messageKey = messageKey;
  for (int i = 0; params && i < count; ++i) box.params.push_back(params[i].Utf8());
  box.title = QORTlgErrorServices::BuildMessage(catalog, titleKey).Utf8();
  box.text = QORTlgErrorServices::BuildMessage(catalog, messageKey, params, count).Utf8();
  return box;
}

bool HasNames(const char* catalog, const char* titleKey, const char* messageKey) {
  return catalog && titleKey && messageKey;
}

// A driver's failure must not unwind into the module, which knows no exceptions.
template <class Result, class Call>
Result CallPresenter(Call call, Result fallback) {
  try {
    return call();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "host: the presenter failed: %s\n", error.what());
  } catch (...) {
    std::fprintf(stderr, "host: the presenter failed\n");
  }
  return fallback;
}

}  // namespace

void QORSetPresenter(QORPresenter* presenter) { currentPresenter.store(presenter); }

QORPresenter* QORGetPresenter() { return currentPresenter.load(); }

QORUnicodeString QORTlgErrorServices::BuildMessage(const char* catalog, const char* key,
                                                   const QORUnicodeString* params, int count) {
  const std::string catalogName = catalog ? catalog : "";
  const std::string keyName = key ? key : "";
  const std::string missing = catalogName + "." + keyName;
  return QORMsgCatalog::BuildMessage(catalog, key, params, count, missing.c_str());
}

HRESULT QORTlgErrorServices::DisplayWarning(const char* catalog, const char* titleKey,
                                            const char* messageKey, const QORUnicodeString* params,
                                            int count) {
  if (!HasNames(catalog, titleKey, messageKey)) return E_FAIL;
  const QORMessageBox box = BuildBox(catalog, titleKey, messageKey, params, count);
  QORPresenter* presenter = QORGetPresenter();
  if (!presenter) {
    std::fprintf(stderr, "warning: %s: %s\n", box.title.c_str(), box.text.c_str());
    return S_OK;
  }
  CallPresenter(
      [&] {
        presenter->ShowWarning(box);
        return true;
      },
      false);
  return S_OK;
}

QORBoolean QORTlgErrorServices::DisplayWarningConfirmation(const char* catalog,
                                                           const char* titleKey,
                                                           const char* messageKey,
                                                           const QORUnicodeString* params,
                                                           int count) {
  if (!HasNames(catalog, titleKey, messageKey)) return FALSE;
  const QORMessageBox box = BuildBox(catalog, titleKey, messageKey, params, count);
  QORPresenter* presenter = QORGetPresenter();
  if (!presenter) {
    // Nobody can answer, so the question shows with the answer given in the user's stead.
    std::fprintf(stderr, "question: %s: %s -> no\n", box.title.c_str(), box.text.c_str());
    return FALSE;
  }
  const bool accepted = CallPresenter([&] { return presenter->AskConfirmation(box); }, false);
  return accepted ? TRUE : FALSE;
}

void QORSysCheckFailure(const char* expression, const char* file, int line) {
  const std::string what = expression ? expression : "";
  const std::string where = file ? file : "";
  QORPresenter* presenter = QORGetPresenter();
  if (!presenter) {
    std::fprintf(stderr, "check failed: %s (%s:%d)\n", what.c_str(), where.c_str(), line);
    return;
  }
  CallPresenter(
      [&] {
        presenter->ReportCheckFailure(what, where, line);
        return true;
      },
      false);
}

std::string QORDescribeFileProblem(const QORFileProblem& problem) {
  switch (problem.kind) {
    case QORFileProblem::Kind::HeldByAnotherRun:
      return "another run holds " + problem.path + " (it reads and rewrites it); try again when that run ends";
    case QORFileProblem::Kind::TooLarge:
      return problem.path + " is too large to read (" + std::to_string(problem.size) +
             " bytes; the limit is 256 MB)";
    case QORFileProblem::Kind::NotReplaced:
      break;
  }
  return problem.path + " was not saved: " + problem.why;
}

void QORReportFileProblem(const QORFileProblem& problem) {
  QORPresenter* presenter = QORGetPresenter();
  if (!presenter) {
    std::fprintf(stderr, "file problem: %s\n", QORDescribeFileProblem(problem).c_str());
    return;
  }
  CallPresenter(
      [&] {
        presenter->ReportFileProblem(problem);
        return true;
      },
      false);
}
