// The exchange-file reader: string decoding, value kinds, and a table of malformed files, each
// reported at its line and column with the entity it lies in.
#include "QORProductStructure.h"
#include "StepReader.h"

#include <gtest/gtest.h>

namespace qorhost {
namespace {

bool KeepAll(std::string_view) { return true; }

std::string File(const std::string& data) {
  return "ISO-10303-21;\nHEADER;\nFILE_NAME('t');\nENDSEC;\nDATA;\n" + data + "ENDSEC;\nEND-ISO-10303-21;\n";
}

// The first parameter of the only record.
StepValue FirstParameter(const std::string& data) {
  auto read = ReadStep(File(data), KeepAll);
  if (auto* error = std::get_if<StepError>(&read)) {
    ADD_FAILURE() << error->what;
    return {};
  }
  const StepFile& file = std::get<StepFile>(read);
  if (file.records.size() != 1 || file.records[0].parameters.empty()) {
    ADD_FAILURE() << "expected one record with parameters";
    return {};
  }
  return file.records[0].parameters[0];
}

struct Decoded {
  const char* literal;
  const char* utf8;
};

TEST(StepReaderTest, DecodesEveryStringEscape) {
  const Decoded cases[] = {
      {"'it''s'", "it's"},
      {"'a\\\\b'", "a\\b"},
      {"'\\X\\E9t\\X\\E9'", "\xC3\xA9t\xC3\xA9"},
      {"'\\X2\\00C400DF\\X0\\'", "\xC3\x84\xC3\x9F"},
      {"'\\X2\\D83DDE00\\X0\\'", "\xF0\x9F\x98\x80"},
      {"'\\X4\\0001F600\\X0\\'", "\xF0\x9F\x98\x80"},
      {"'\\S\\i'", "\xC3\xA9"},
      {"'\\PE\\\\S\\P'", "\xD0\xB0"},  // page E is ISO 8859-5: Cyrillic
      {"'line\r\n break'", "line break"},
      {"'  keeps spaces  '", "  keeps spaces  "},
  };
  for (const Decoded& c : cases) {
    const StepValue value = FirstParameter(std::string("#1=A(") + c.literal + ");\n");
    EXPECT_EQ(value.text, c.utf8) << c.literal;
  }
}

TEST(StepReaderTest, ReadsValueKindsComplexInstancesAndForwardReferences) {
  auto read = ReadStep(File("#9=B(#2,$,*,.MADE.,-1.5E2,42,\"0F\",NUMERIC_MEASURE(2.),(1,(2)));\n"
                            "#2=(X()B('complex') Y(1));\n"),
                       [](std::string_view type) { return type == "B"; });
  ASSERT_TRUE(std::holds_alternative<StepFile>(read)) << std::get<StepError>(read).what;
  const StepFile& file = std::get<StepFile>(read);
  ASSERT_EQ(file.records.size(), 2u);
  const std::vector<StepValue>& p = file.records[0].parameters;
  ASSERT_EQ(p.size(), 9u);
  EXPECT_EQ(p[0].entity, 2u);
  EXPECT_TRUE(p[1].Is(StepValue::Kind::Unset));
  EXPECT_TRUE(p[2].Is(StepValue::Kind::Derived));
  EXPECT_EQ(p[3].text, "MADE");
  EXPECT_DOUBLE_EQ(p[4].real, -150);
  EXPECT_EQ(p[5].integer, 42);
  EXPECT_EQ(p[6].text, "0F");
  EXPECT_EQ(p[7].text, "NUMERIC_MEASURE");
  EXPECT_DOUBLE_EQ(p[7].items.at(0).real, 2);
  EXPECT_EQ(p[8].items.at(1).items.at(0).integer, 2);
  EXPECT_EQ(file.Find(2)->parameters.at(0).text, "complex");
}

struct Malformed {
  const char* name;
  std::string text;
  const char* message;  // as the load reports it
};

void PrintTo(const Malformed& m, std::ostream* os) { *os << m.name; }

class StepMalformedTest : public ::testing::TestWithParam<Malformed> {};

TEST_P(StepMalformedTest, NamesLineColumnAndEntity) {
  const auto result = QORMoldDocument::LoadText(GetParam().text, "bad.stp");
  ASSERT_FALSE(result.Ok());
  EXPECT_EQ(result.Error().Message(), GetParam().message);
}

const std::string kHead = "ISO-10303-21;\nHEADER;\nENDSEC;\nDATA;\n";
const std::string kProduct =
    "#1=PRODUCT('P','',' ',());\n#2=PRODUCT_DEFINITION_FORMATION('','',#1);\n#3=PRODUCT_DEFINITION('','',#2,$);\n";
const std::string kTail = "ENDSEC;\nEND-ISO-10303-21;\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, StepMalformedTest,
    ::testing::Values(
        Malformed{"CutShort", kHead + "#1=PRODUCT('P','',", "bad.stp:5:19: #1: the file ends inside a parameter list"},
        Malformed{"CutInString", kHead + "#1=PRODUCT('P", "bad.stp:5:12: #1: string not closed: no \"'\" before the end of the file"},
        Malformed{"NoEnd", kHead + kProduct + "ENDSEC;\n", "bad.stp:9:1: the file ends before \"END-ISO-10303-21;\""},
        Malformed{"BadEscape", kHead + "#1=PRODUCT('a\\Q');\n" + kTail,
                  "bad.stp:5:14: #1: unknown escape \"\\Q\" in a string (a backslash is written \\\\)"},
        Malformed{"BadX2", kHead + "#1=PRODUCT('\\X2\\00E\\X0\\');\n" + kTail,
                  "bad.stp:5:17: #1: \\X2\\ needs groups of 4 hexadecimal digits ended by \\X0\\"},
        Malformed{"LoneSurrogate", kHead + "#1=PRODUCT('\\X2\\DC00\\X0\\');\n" + kTail,
                  "bad.stp:5:17: #1: a UTF-16 low surrogate without its high half in \\X2\\"},
        Malformed{"BadPage", kHead + "#1=PRODUCT('\\PZ\\');\n" + kTail,
                  "bad.stp:5:13: #1: \\P must be followed by a code page A to I and \"\\\""},
        Malformed{"ControlInString", kHead + "#1=PRODUCT('a\x01');\n" + kTail, "bad.stp:5:14: #1: control character 1 in a string"},
        Malformed{"OpenComment", kHead + "/* never closed\n", "bad.stp:5:1: comment not closed before the end of the file"},
        Malformed{"UnknownReference", kHead + kProduct + "#4=NEXT_ASSEMBLY_USAGE_OCCURRENCE('','','',#3,#99,$);\n" + kTail,
                  "bad.stp:8:47: #4: reference to #99, which the file does not define"},
        Malformed{"DefinedTwice", kHead + kProduct + "#3=PRODUCT('Q','','',());\n" + kTail, "bad.stp:8:1: #3: entity #3 is defined twice"},
        Malformed{"MissingSeparator", kHead + "#1=PRODUCT('P' 'Q');\n" + kTail,
                  "bad.stp:5:16: #1: expected \",\" or \")\" after a parameter, found \"'\""},
        Malformed{"OpenEnumeration", kHead + "#1=PRODUCT(.MADE);\n" + kTail, "bad.stp:5:17: #1: enumeration not closed by \".\", found \")\""},
        Malformed{"WrongTarget", kHead + kProduct + "#4=NEXT_ASSEMBLY_USAGE_OCCURRENCE('','','',#1,#3,$);\n" + kTail,
                  "bad.stp:8:44: #4: the relating product definition of NEXT_ASSEMBLY_USAGE_OCCURRENCE, #1, is not a "
                  "PRODUCT_DEFINITION"},
        Malformed{"Cycle",
                  kHead + kProduct +
                      "#11=PRODUCT('Q','','',());\n#12=PRODUCT_DEFINITION_FORMATION('','',#11);\n"
                      "#13=PRODUCT_DEFINITION('','',#12,$);\n#20=NEXT_ASSEMBLY_USAGE_OCCURRENCE('a','','',#3,#13,$);\n"
                      "#21=NEXT_ASSEMBLY_USAGE_OCCURRENCE('b','','',#13,#3,$);\n" + kTail,
                  "bad.stp:12:1: #21: product \"P\" contains itself: P > Q > P"},
        Malformed{"NoProduct", kHead + kTail, "bad.stp:1:1: the file holds no product (no PRODUCT_DEFINITION)"}),
    [](const ::testing::TestParamInfo<Malformed>& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace qorhost
