// Where the program's own files lie: beside its executable once installed, in the source and build
// trees while it runs from the build tree.
#pragma once

#include <string>

#include "QORBase.h"

struct QOR_EXPORT QORInstallation {
  // Holds catalogs/ with the message and dialog resource catalogs.
  std::string resourceDirectory;
  // Holds the sample mold.
  std::string sampleDirectory;
  // Holds the module libraries.
  std::string moduleDirectory;

  // Worked out once from the running executable's path (/proc/self/exe): an executable inside the
  // build tree takes the trees' paths, any other the installed layout around its own folder.
  static const QORInstallation& Current();
};
