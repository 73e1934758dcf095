// Work per instance: the calls the BOM command makes into the host grow by the same number for
// every instance added, so a mold ten times larger costs ten times as much, not a hundred.
#include "QORMldBOMFixture.h"

#include <string>

namespace bomtest {
namespace {

// One block of seven instances: a priced plate, three pins sharing a REFERENCE, two screws of one
// product without REFERENCE, and an unpriced made part. Blocks share nothing.
std::string BlockMold(int blocks) {
  std::string instances;
  std::string products;
  for (int b = 0; b < blocks; ++b) {
    const std::string n = std::to_string(b);
    instances += " Plate." + n + ":plate" + n;
    for (int k = 1; k <= 3; ++k) instances += " Pin." + n + "." + std::to_string(k) + ":pin" + n;
    for (int k = 1; k <= 2; ++k) instances += " Screw." + n + "." + std::to_string(k) + ":screw" + n;
    instances += " Made." + n + ":made" + n;
    products += (b ? ", " : "") + std::string(R"("plate)") + n + R"(": {"partNumber": "PL-)" + n +
                R"(", "plate": true, "properties": {"bom": true},)"
                R"( "parameters": [{"name": "UnitPrice", "type": "real", "value": 10}]},)"
                R"( "pin)" + n + R"(": {"partNumber": "PIN", "component": "EjectorPin",)"
                R"( "properties": {"bom": true, "reference": "EP-)" + n + R"("},)"
                R"( "parameters": [{"name": "UnitPrice", "type": "real", "value": 2}]},)"
                R"( "screw)" + n + R"(": {"partNumber": "SCREW", "component": "CapScrew",)"
                R"( "parameters": [{"name": "UnitPrice", "type": "real", "value": 1}]},)"
                R"( "made)" + n + R"(": {"partNumber": "MADE-)" + n + R"("})";
  }
  return MoldFile(instances, products);
}

class BomHostCallsTest : public BomCommandTest {
 protected:
  struct Calls {
    long long analysis = 0;
    long long keptAnalysisAndProfile = 0;
  };

  // The first analysis, then a second command that reads its profile (with an added column), keeps
  // its numbers and writes the profile again.
  Calls Measure(int blocks) {
    LoadMold(BlockMold(blocks));
    const std::string profile = Path("blocks-" + std::to_string(blocks) + ".bom");
    Calls calls;
    long long before = QORHostCallCount();
    Select("MOLD");
    calls.analysis = QORHostCallCount() - before;
    Dlg().AddCol(QORUnicodeString("Cost"), FALSE);
    Dlg().SetReportFile(QORUnicodeString(profile));
    Command().ActClose(nullptr);
    EndCommand();

    before = QORHostCallCount();
    Dlg().SetReportFile(QORUnicodeString(profile));
    Command().GetProfile();
    Dlg().SetKeepMode(TRUE);
    Select("MOLD");
    Command().ActClose(nullptr);
    calls.keptAnalysisAndProfile = QORHostCallCount() - before;
    EndCommand();
    return calls;
  }
};

TEST_F(BomHostCallsTest, EveryAddedInstanceCostsTheSameNumberOfHostCalls) {
  const Calls small = Measure(20);
  const Calls medium = Measure(40);
  const Calls large = Measure(80);
  EXPECT_TRUE(presenter_.messages.empty());
  // 140 more instances from the small mold to the medium one, 280 more to the large one.
  EXPECT_GT(medium.analysis - small.analysis, 0);
  EXPECT_EQ(2 * (medium.analysis - small.analysis), large.analysis - medium.analysis);
  EXPECT_EQ(2 * (medium.keptAnalysisAndProfile - small.keptAnalysisAndProfile),
            large.keptAnalysisAndProfile - medium.keptAnalysisAndProfile);
  // And per instance, a bounded handful.
  EXPECT_LT((large.analysis - medium.analysis) / 280, 200);
}

}  // namespace
}  // namespace bomtest
