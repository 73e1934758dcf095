// The capture journal of a browser session.
#include "JournalCapture.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>

#include "JournalSyntax.h"

extern char** environ;

namespace moldbom {

Expected<JournalCapture> JournalCapture::Open(const std::string& path, const CaptureSettings& settings) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return Failure{"cannot write the capture journal " + path + ": " + std::strerror(errno)};
  JournalCapture capture(std::move(out));
  capture.WriteLine("# Captured by moldbom ui; replay it with: moldbom replay " + JournalWord(path));
  capture.WriteLine("mold " + JournalWord(settings.moldPath) +
                    (settings.catalogPath.empty() ? "" : " " + JournalWord(settings.catalogPath)));
  capture.WriteLine(std::string("recorder ") + (settings.recorderCapture ? "capture" : "off"));
  capture.WriteLine(std::string("doc-chooser ") + (settings.docChooser ? "on" : "off"));
  for (const auto& [name, value] : settings.environment)
    capture.WriteLine("env " + JournalWord(name) + " " + JournalWord(value));
  if (!capture.out_) return Failure{"cannot write the capture journal " + path};
  return capture;
}

void JournalCapture::WriteLine(const std::string& line) {
  out_ << line << "\n";
  out_.flush();
}

void JournalCapture::Record(const std::vector<bool>& confirmationAnswers, const std::string& eventLine) {
  for (bool yes : confirmationAnswers) WriteLine(yes ? "answer yes" : "answer no");
  WriteLine(eventLine);
}

std::vector<std::pair<std::string, std::string>> JournalCapture::PresetEnvironment() {
  static constexpr std::string_view kPrefix = "TlgBOM_";
  std::vector<std::pair<std::string, std::string>> variables;
  for (char** entry = environ; entry && *entry; ++entry) {
    const std::string_view text(*entry);
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos || text.substr(0, kPrefix.size()) != kPrefix) continue;
    // A journal word is one line; a value that spans lines could not be replayed.
    if (text.find_first_of("\r\n") != std::string_view::npos) continue;
    variables.emplace_back(std::string(text.substr(0, equals)), std::string(text.substr(equals + 1)));
  }
  std::sort(variables.begin(), variables.end());
  return variables;
}

}  // namespace moldbom
