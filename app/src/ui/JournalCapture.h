// Writes what the person does in the browser as a journal that `moldbom replay` runs again: the
// settings replay needs to take the same branches, then every accepted event, each preceded by the
// answers to the confirmations it raised.
#pragma once

#include <fstream>
#include <string>
#include <vector>

#include "Expected.h"

namespace moldbom {

struct CaptureSettings {
  std::string moldPath;
  bool recorderCapture = true;
  bool docChooser = true;
  // The variables of the replay presets, name and value, as the session saw them at its start.
  std::vector<std::pair<std::string, std::string>> environment;
  std::string catalogPath;  // empty: none
};

class JournalCapture {
 public:
  // Creates (or empties) the journal and writes the settings.
  static Expected<JournalCapture> Open(const std::string& path, const CaptureSettings& settings);

  // One accepted event; the journal is flushed so that a killed session keeps what it did.
  void Record(const std::vector<bool>& confirmationAnswers, const std::string& eventLine);

  // The variables whose names start with "TlgBOM_", which the module reads in replay and capture.
  static std::vector<std::pair<std::string, std::string>> PresetEnvironment();

 private:
  explicit JournalCapture(std::ofstream out) : out_(std::move(out)) {}
  void WriteLine(const std::string& line);

  std::ofstream out_;
};

}  // namespace moldbom
