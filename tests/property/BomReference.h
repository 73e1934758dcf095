// A plain, slow, literal model of the BOM command's rules: the walk and the quadratic pairing, the
// whole-name membership, the numbering and its label successors, keep-mode lookups, unit prices
// and the CSV and profile it writes. The property tests hold the module to it.
#pragma once

#include <string>
#include <vector>

#include "MoldGenerator.h"

namespace bomreference {

struct Settings {
  bool letters = false;
  int start = 1;
  int increment = 1;
  bool sort = false;
  bool keep = false;
};

// What the command keeps of a profile's data and association lines.
struct ProfileRecords {
  std::vector<long> numbers;
  std::vector<std::string> names;
  std::vector<std::string> unitPrices;
  std::vector<std::string> associations;
  long maxNumber = -1;
};

struct Output {
  std::vector<std::string> csvRows;  // the titles line and every table row, without line ends
  std::string profile;               // the whole profile written at close
};

// Reads back the data and association lines of a profile that Run wrote in the same mode.
ProfileRecords ReadProfile(const std::string& text, bool letters);

// One analysis of the mold's root with these settings, after reading profile (empty records:
// none was read), then the CSV report and the profile written at close.
Output Run(const moldbom::GeneratedMold& mold, const Settings& settings, const ProfileRecords& profile);

// The label of an index, and the index of a label (-1 when it is none).
std::string LabelOf(long index);
long IndexOfLabel(const std::string& label);

// The entry of known that stands for name, through the profile's groups, then the analysis's.
std::string SearchInstanceName(const std::string& name, const std::vector<std::string>& known,
                               const std::vector<std::string>& groupsA, const std::vector<std::string>& groupsB);

}  // namespace bomreference
