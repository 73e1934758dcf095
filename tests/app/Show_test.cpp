// `moldbom show`: the printed product tree, and the exit codes for bad files and arguments.
#include "Cli.h"
#include "ShowCommand.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char* const kMold = R"({"format": "moldbom-assembly", "version": 1, "root": "mold",
 "products": {
  "mold": {"partNumber": "M-1", "instances": [
      {"name": "Plate", "of": "plate"},
      {"name": "Unit.1", "of": "unit", "properties": {"bom": false}},
      {"name": "Spacer", "of": "spacer"}]},
  "unit": {"partNumber": "U-1", "instances": [{"name": "Pin.1", "of": "pin"}]},
  "pin": {"partNumber": "P 4x160", "component": "EjectorPin",
          "properties": {"bom": true, "reference": "EP 4", "source": "bought"},
          "parameters": [{"name": "UnitPrice", "type": "string", "value": "6.50"}]},
  "plate": {"partNumber": "PL-1", "plate": true, "properties": {"supplier": "Vestrand"},
            "userProperties": [{"name": "Material", "type": "string", "value": "1.2738"}],
            "parameters": [{"name": "Body\\RefMold", "type": "string", "value": "A"},
                           {"name": "UnitPrice", "type": "real", "value": 12.5}]},
  "spacer": {"partNumber": "SP-1", "plate": "no-extension",
             "userProperties": [{"name": "Material", "type": "string", "value": "unreachable"}]}
 }})";

const char* const kExpectedTree =
    "M-1 (M-1): assembly; no product properties\n"
    "  Plate (PL-1): part, plate; bom=- reference=- supplier=\"Vestrand\" source=-\n"
    "      user property Material: string \"1.2738\"\n"
    "      parameter Body\\RefMold: string \"A\"\n"
    "      parameter UnitPrice: real 12.5\n"
    "  Unit.1 (U-1): assembly; bom=no reference=- supplier=- source=-\n"
    "    Pin.1 (P 4x160): part, component EjectorPin; bom=yes reference=\"EP 4\" supplier=- source=bought\n"
    "        parameter UnitPrice: string \"6.50\"\n"
    "  Spacer (SP-1): part, plate without extension; no product properties\n";

class ShowCommand : public testing::Test {
 protected:
  std::string WriteFile(const std::string& name, const std::string& text) {
    const std::string path = testing::TempDir() + name;
    std::ofstream(path) << text;
    return path;
  }

  int Run(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "moldbom");
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    return moldbom::RunCli(static_cast<int>(argv.size()), argv.data(), moldbom::CommandStreams{out_, err_});
  }

  std::ostringstream out_;
  std::ostringstream err_;
};

TEST_F(ShowCommand, PrintsEachInstanceIndentedByLevelWithItsProperties) {
  EXPECT_EQ(Run({"show", "--mold", WriteFile("show-mold.json", kMold)}), moldbom::kExitOk);
  EXPECT_EQ(out_.str(), kExpectedTree);
  EXPECT_EQ(err_.str(), "");
}

TEST_F(ShowCommand, BadFileGivesItsErrorOnStandardErrorAndExitCode2) {
  const std::string path = WriteFile("show-bad.json", "{\"format\": \"moldbom-assembly\",\n \"version\": 3}");
  EXPECT_EQ(Run({"show", "--mold", path}), moldbom::kExitBadInput);
  EXPECT_EQ(out_.str(), "");
  EXPECT_EQ(err_.str(), "moldbom: " + path + ":2:13: unsupported version 3: this program reads version 1\n");
}

struct ArgumentsCase {
  std::vector<std::string> arguments;
  int exitCode;
};

TEST_F(ShowCommand, ArgumentsDecideTheExitCode) {
  const ArgumentsCase cases[] = {
      {{"--help"}, moldbom::kExitOk},
      {{}, moldbom::kExitBadInput},
      {{"show", "--colour"}, moldbom::kExitBadInput},
      {{"draw"}, moldbom::kExitBadInput},
      {{"show", "--mold"}, moldbom::kExitBadInput},
  };
  for (const ArgumentsCase& c : cases) {
    std::string joined;
    for (const std::string& argument : c.arguments) joined += argument + " ";
    EXPECT_EQ(Run(c.arguments), c.exitCode) << joined;
  }
}

}  // namespace
