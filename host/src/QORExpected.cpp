// The text of an error, with its place in front as compilers print it.
#include "QORExpected.h"

std::string QORError::Message() const {
  if (file.empty()) return what;
  std::string place = file;
  if (line > 0) place += ":" + std::to_string(line);
  if (line > 0 && column > 0) place += ":" + std::to_string(column);
  return place + ": " + what;
}
