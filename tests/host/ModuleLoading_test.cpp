// Tests of loading the BOM module at run time and finding its command in the class dictionary.
#include "QORCommandEngine.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(ModuleLoadingTest, LoadedModuleRegistersTheBomCommand) {
  const QOROutcome loaded = QORLoadModule(MOLDBOM_MODULE_PATH);
  ASSERT_TRUE(loaded) << loaded.Why();
  EXPECT_NE(QORClassDictionary::Find("QORMldBOMCom"), nullptr);
  const std::vector<std::string> names = QORClassDictionary::ClassNames();
  EXPECT_NE(std::find(names.begin(), names.end(), "QORMldBOMCom"), names.end());
}

TEST(ModuleLoadingTest, MissingLibraryIsAnErrorNamingIt) {
  const QOROutcome loaded = QORLoadModule("/nonexistent/libNoSuchModule.so");
  ASSERT_FALSE(loaded);
  EXPECT_NE(loaded.Why().find("libNoSuchModule.so"), std::string::npos) << loaded.Why();
}

}  // namespace
