// Mold assembly files: every kind of bad file is refused with its line, column and reason, and an
// assembly that would expand beyond the limit is refused before it is built.
#include "QORProductStructure.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace {

// The products below start on line 3.
std::string Mold(const std::string& products) {
  return "{\"format\": \"moldbom-assembly\", \"version\": 1, \"root\": \"m\",\n"
         " \"products\": {\n" +
         products + "\n}}\n";
}

struct BadFile {
  const char* label;
  std::string text;
  int line;
  int column;
  const char* message;  // a part of the reason
};

const BadFile kBadFiles[] = {
    {"missing comma", Mold(R"(  "m": {"partNumber": "M" "instances": []})"), 3, 27,
     "unexpected string literal; expected '}'"},
    {"truncated", "{\"format\": \"moldbom-assembly\",\n \"version\": 1", 2, 14, "unexpected end of input"},
    {"trailing data", Mold(R"(  "m": {"partNumber": "M"})") + "x", 5, 1, "expected end of input"},
    {"invalid literal", Mold(R"(  "m": {"partNumber": "M", "plate": tru})"), 3, 37, "invalid literal"},
    {"ill-formed UTF-8", Mold("  \"m\": {\"partNumber\": \"M\xff\"}"), 3, 25, "ill-formed UTF-8 byte; last read: '\"M\\xFF'"},
    {"line break in a text", Mold(R"(  "m": {"partNumber": "M\r\nDATA;"})"), 3, 23, "a text holds a carriage return"},
    {"line feed in a text", Mold(R"(  "m": {"partNumber": "M\nX"})"), 3, 23, "a text holds a line feed"},
    {"NUL in a key", Mold(R"(  "m": {"partNumber": "M", "bom\u0000": 1})"), 3, 28, "a key holds a NUL character"},
    {"duplicate key", Mold(R"(  "m": {"partNumber": "M", "partNumber": "N"})"), 3, 28, "duplicate key \"partNumber\""},
    {"top level array", "[1, 2]", 1, 1, "holds one JSON object, not an array"},
    {"unknown top key", "{\"format\": \"moldbom-assembly\", \"version\": 1,\n \"author\": \"x\"}", 2, 2,
     "unknown key \"author\" in the file"},
    {"wrong format", "{\"format\": \"bom\", \"version\": 1}", 1, 12,
     "not a mold assembly file: \"format\" is \"bom\""},
    {"missing format", "{\"version\": 1}", 1, 1, "the file has no \"format\""},
    {"wrong version", "{\"format\": \"moldbom-assembly\", \"version\": 2}", 1, 43, "unsupported version 2"},
    {"version as text", "{\"format\": \"moldbom-assembly\", \"version\": \"1\"}", 1, 43,
     "\"version\" in the file must be an integer, not a string"},
    {"missing root", "{\"format\": \"moldbom-assembly\", \"version\": 1, \"products\": {}}", 1, 1,
     "the file has no \"root\""},
    {"root not a product", Mold(R"(  "n": {"partNumber": "N"})"), 1, 54,
     "\"root\" names product \"m\", which is not among the products"},
    {"unknown product key", Mold(R"(  "m": {"partNumber": "M",
        "colour": "red"})"),
     4, 9, "unknown key \"colour\" in product \"m\""},
    {"missing part number", Mold(R"(  "m": {"instances": []})"), 3, 8, "product \"m\" has no \"partNumber\""},
    {"part number as number", Mold(R"(  "m": {"partNumber": 12})"), 3, 23,
     "\"partNumber\" in product \"m\" must be a string, not an integer"},
    {"instances as object", Mold(R"(  "m": {"partNumber": "M", "instances": {}})"), 3, 41,
     "\"instances\" in product \"m\" must be an array, not an object"},
    {"unknown instance key", Mold(R"(  "m": {"partNumber": "M", "instances": [{"name": "a", "of": "p", "qty": 2}]},
  "p": {"partNumber": "P"})"),
     3, 67, "unknown key \"qty\" in instance \"a\" of product \"m\""},
    {"unknown product id", Mold(R"(  "m": {"partNumber": "M", "instances": [
    {"name": "a", "of": "nowhere"}]})"),
     4, 25, "instance \"a\" of product \"m\" refers to unknown product \"nowhere\""},
    {"two siblings with one name", Mold(R"(  "m": {"partNumber": "M", "instances": [
    {"name": "a", "of": "p"},
    {"name": "a", "of": "p"}]},
  "p": {"partNumber": "P"})"),
     5, 14, "product \"m\" has two instances named \"a\""},
    {"empty instance name", Mold(R"(  "m": {"partNumber": "M", "instances": [{"name": "", "of": "m"}]})"), 3, 51,
     "instance \"\" of product \"m\" has an empty name"},
    {"slash in instance name", Mold(R"(  "m": {"partNumber": "M", "instances": [{"name": "a/b", "of": "p"}]},
  "p": {"partNumber": "P"})"),
     3, 51, "contains \"/\""},
    {"cycle", Mold(R"(  "m": {"partNumber": "M", "instances": [{"name": "a", "of": "a1"}]},
  "a1": {"partNumber": "A", "instances": [{"name": "b", "of": "b1"}]},
  "b1": {"partNumber": "B", "instances": [{"name": "back", "of": "a1"}]})"),
     5, 66, "product \"a1\" contains itself: a1 > b1 > a1"},
    {"product containing itself", Mold(R"(  "m": {"partNumber": "M", "instances": [{"name": "me", "of": "m"}]})"), 3, 63,
     "product \"m\" contains itself: m > m"},
    {"unknown properties key", Mold(R"(  "m": {"partNumber": "M", "properties": {"bom": true, "price": 3}})"), 3, 56,
     "unknown key \"price\" in the properties of product \"m\""},
    {"bom flag as text", Mold(R"(  "m": {"partNumber": "M", "properties": {"bom": "yes"}})"), 3, 50,
     "\"bom\" in the properties of product \"m\" must be a boolean, not a string"},
    {"unknown source", Mold(R"(  "m": {"partNumber": "M", "properties": {"source": "stolen"}})"), 3, 53,
     "\"source\" in the properties of product \"m\" must be \"unknown\", \"made\" or \"bought\", not \"stolen\""},
    {"parameter value of the wrong type", Mold(R"(  "m": {"partNumber": "M", "parameters": [
    {"name": "UnitPrice", "type": "real", "value": "12"}]})"),
     4, 52, "\"value\" in parameter \"UnitPrice\" of product \"m\" must be a number for type \"real\", not a string"},
    {"unknown parameter type", Mold(R"(  "m": {"partNumber": "M", "userProperties": [
    {"name": "Material", "type": "text", "value": "x"}]})"),
     4, 34, "\"type\" in user property \"Material\" of product \"m\" must be"},
    {"integer out of range", Mold(R"(  "m": {"partNumber": "M", "parameters": [
    {"name": "Count", "type": "integer", "value": 3000000000}]})"),
     4, 51, "outside the 32-bit integer range"},
    {"plate false", Mold(R"(  "m": {"partNumber": "M", "plate": false})"), 3, 37,
     "\"plate\" in product \"m\" must be true or \"no-extension\""},
    // Columns count characters, not bytes.
    {"plate after non-ASCII", Mold(R"(  "m": {"partNumber": "Gehäuse", "plate": 3})"), 3, 43,
     "\"plate\" in product \"m\" must be true or \"no-extension\""},
    {"unknown tooling type", Mold(R"(  "m": {"partNumber": "M", "component": "Screw"})"), 3, 41,
     "unknown tooling type \"Screw\" in product \"m\""},
    // With two problems, the one met first when the file is read top object first, then product by
    // product, is told, wherever the members stand in the file.
    {"top object before products", R"({"products": {"m": {"partNumber": 12}}, "root": "m", "version": 1, "format": "bom"})",
     1, 78, "not a mold assembly file"},
    {"root before products", Mold(R"(  "n": {"partNumber": 12})"), 1, 54, "\"root\" names product \"m\""},
    {"product keys before its instances", Mold(R"(  "m": {"instances": [{"name": "a", "of": "nowhere"}], "colour": "red", "partNumber": "M"})"),
     3, 56, "unknown key \"colour\" in product \"m\""},
    {"unknown product before a later product", Mold(R"(  "m": {"partNumber": "M", "instances": [{"name": "a", "of": "nowhere"}]},
  "p": {"partNumber": "P", "plate": false})"),
     3, 62, "refers to unknown product \"nowhere\""},
    {"instance before a later unknown product", Mold(R"(  "m": {"partNumber": "M", "instances": [{"name": "a", "of": "p", "qty": 2}, {"name": "b", "of": "nowhere"}]},
  "p": {"partNumber": "P"})"),
     3, 67, "unknown key \"qty\""},
};

class MoldLoaderBadFile : public testing::TestWithParam<BadFile> {};

TEST_P(MoldLoaderBadFile, IsRefusedWithItsPositionAndReason) {
  const BadFile& bad = GetParam();
  const auto result = QORMoldDocument::LoadText(bad.text, "bad.json");
  ASSERT_FALSE(result.Ok());
  const QORError& error = result.Error();
  EXPECT_EQ(error.file, "bad.json");
  EXPECT_EQ(error.line, bad.line) << error.Message();
  EXPECT_EQ(error.column, bad.column) << error.Message();
  EXPECT_NE(error.what.find(bad.message), std::string::npos) << error.Message();
}

std::string TestNameOf(const testing::TestParamInfo<BadFile>& param) {
  std::string name;
  for (const char* c = param.param.label; *c; ++c) name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(EachErrorKind, MoldLoaderBadFile, testing::ValuesIn(kBadFiles), TestNameOf);

TEST(MoldLoader, AssemblyThatExpandsBeyondTheLimitIsRefused) {
  // Five levels of twenty instances each expand to more than three million occurrences.
  std::string products = R"(  "m": {"partNumber": "M", "instances": [)";
  for (int level = 0; level < 5; ++level) {
    const std::string of = "l" + std::to_string(level);
    for (int i = 0; i < 20; ++i)
      products += std::string(i ? ", " : "") + "{\"name\": \"i" + std::to_string(i) + "\", \"of\": \"" + of + "\"}";
    products += "]},\n  \"" + of + "\": {\"partNumber\": \"" + of + "\", \"instances\": [";
  }
  products += "]}";
  const auto result = QORMoldDocument::LoadText(Mold(products), "big.json");
  ASSERT_FALSE(result.Ok());
  EXPECT_NE(result.Error().what.find("expands to more than"), std::string::npos) << result.Error().Message();
}

}  // namespace
