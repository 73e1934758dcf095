// Loading a module that is not there. (Loading the real one is every journal's first step.)
#include "QORCommandEngine.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ModuleLoadingTest, MissingLibraryIsAnErrorNamingIt) {
  const QOROutcome loaded = QORLoadModule("/nonexistent/libNoSuchModule.so");
  ASSERT_FALSE(loaded);
  EXPECT_NE(loaded.Why().find("libNoSuchModule.so"), std::string::npos) << loaded.Why();
}

}  // namespace
