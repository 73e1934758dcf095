// The rules, written out as plainly as they read: lists scanned from the front, nothing indexed.
#include "BomReference.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace bomreference {
namespace {

using moldbom::GeneratedInstance;
using moldbom::GeneratedMold;
using moldbom::GeneratedProduct;
using Strings = std::vector<std::string>;

constexpr std::array<const char*, 29> kTypeOrder = {
    "Plate",       "AnglePin",      "Baffle",       "Bushing",       "CapScrew", "CorePin",     "CountScrew", "DowelPin",
    "Ejector",     "EjectorPin",    "EjectorSleeve", "EyeBolt",      "FlatEjector", "Insert",   "KnockOut",   "LeaderPin",
    "LocatingRing", "LockScrew",    "ORing",        "Plug",          "Retainer", "Sleeve",      "Slider",     "Spring",
    "SprueBushing", "SpruePuller",  "StopPin",      "SupportPillar", "UserComponent"};

struct Record {
  std::size_t product = 0;
  std::string type, partNumber, reference, moldReference, supplier, material, source, heatTreatment, name, unitPrice;
  bool hasPriceParameter = false;
};

struct Line {
  std::size_t head = 0;  // the record it shows
  long quantity = 1;
};

std::string RealText(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::string SourceText(const std::string& source) {
  if (source == "made") return "Made";
  if (source == "bought") return "Bought";
  if (source == "unknown") return "Unknown";
  return "";
}

Record RecordOf(const GeneratedInstance& instance, const GeneratedProduct& product) {
  Record record;
  record.product = instance.product;
  if (!product.component.empty())
    record.type = product.component;
  else if (product.plate == "true")
    record.type = "Plate";
  record.partNumber = product.partNumber;
  record.reference = instance.reference ? *instance.reference : product.reference.value_or("");
  if (!product.plate.empty()) record.moldReference = product.moldReference;
  record.supplier = product.supplier.value_or("");
  record.material = product.material;
  record.source = SourceText(product.source);
  record.heatTreatment = product.heatTreatment;
  record.name = instance.name;
  if (product.priceCents) {
    record.unitPrice = RealText(static_cast<double>(*product.priceCents) / 100.0);
    record.hasPriceParameter = true;
  }
  return record;
}

// Every occurrence below owner, each before its children; sub-assemblies and parts out of the BOM
// give no record.
void Walk(const GeneratedMold& mold, std::size_t owner, std::vector<Record>& records) {
  for (const GeneratedInstance& instance : mold.products[owner].instances) {
    const GeneratedProduct& product = mold.products[instance.product];
    if (!product.instances.empty())
      Walk(mold, instance.product, records);
    else if (product.bom)
      records.push_back(RecordOf(instance, product));
  }
}

// All ";"-separated tokens, empty ones included.
Strings Split(const std::string& group) {
  Strings tokens(1);
  for (const char c : group) {
    if (c == ';')
      tokens.emplace_back();
    else
      tokens.back() += c;
  }
  return tokens;
}

bool IsToken(const std::string& group, const std::string& name) {
  if (name.empty()) return false;
  const Strings tokens = Split(group);
  return std::find(tokens.begin(), tokens.end(), name) != tokens.end();
}

Strings TokensToFirstEmpty(const std::string& group) {
  Strings tokens;
  for (const std::string& token : Split(group)) {
    if (token.empty()) break;
    tokens.push_back(token);
  }
  return tokens;
}

// Field of a profile line as the host tokenizer gives them: runs of separators count as one.
Strings Fields(const std::string& line) {
  Strings fields;
  for (const std::string& token : Split(line))
    if (!token.empty()) fields.push_back(token);
  return fields;
}

double ScanReal(const std::string& text) {
  double value = 0;
  return std::sscanf(text.c_str(), "%le", &value) == 1 ? value : 0.0;
}

long ScanInteger(const std::string& text) {
  int value = 0;
  return std::sscanf(text.c_str(), "%d", &value) == 1 ? value : -1;
}

std::string GText(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%g", value);
  return buffer;
}

struct Pairing {
  std::vector<Line> lines;
  Strings groups;
};

Pairing Pair(const std::vector<Record>& records) {
  Pairing pairing;
  const std::size_t n = records.size();
  std::vector<long> count(n, 0);
  for (std::size_t i = 0; n >= 2 && i + 1 < n; ++i) {
    if (count[i] != 0) continue;
    std::string group = records[i].name;
    long counter = 1;
    for (std::size_t j = i + 1; j < n; ++j) {
      if (count[j] != 0) continue;
      // With a reference, equal references merge; without, the other instances of the same part.
      const bool merges = !records[i].reference.empty()
                              ? !records[j].reference.empty() && records[j].reference == records[i].reference
                              : records[j].product == records[i].product;
      if (!merges) continue;
      count[j] = -1;
      ++counter;
      group += ";" + records[j].name;
    }
    count[i] = counter;
    pairing.groups.push_back(group);
  }
  for (std::size_t i = 0; i < n; ++i)
    if (count[i] != -1) pairing.lines.push_back({i, count[i] == 0 ? 1 : count[i]});
  return pairing;
}

// The line values shown, in display order; nullopt stands for a blank line.
std::vector<std::optional<std::size_t>> DisplayOrder(const std::vector<Line>& lines, const std::vector<Record>& records,
                                                     bool sorted) {
  std::vector<std::optional<std::size_t>> shown;
  if (!sorted) {
    for (std::size_t l = 0; l < lines.size(); ++l) shown.emplace_back(l);
    return shown;
  }
  bool first = true;
  for (const char* type : kTypeOrder) {
    bool any = false;
    for (const Line& line : lines) any = any || records[line.head].type == type;
    if (!any) continue;
    if (!first) shown.emplace_back(std::nullopt);
    first = false;
    for (std::size_t l = 0; l < lines.size(); ++l)
      if (records[lines[l].head].type == type) shown.emplace_back(l);
  }
  // Untyped parts come last.
  bool anyUntyped = false;
  for (const Line& line : lines) anyUntyped = anyUntyped || records[line.head].type.empty();
  if (anyUntyped) {
    if (!first) shown.emplace_back(std::nullopt);
    for (std::size_t l = 0; l < lines.size(); ++l)
      if (records[lines[l].head].type.empty()) shown.emplace_back(l);
  }
  return shown;
}

// The first profile record whose name is the line's, or the name the groups point to.
std::optional<std::size_t> ProfileRecordOf(const std::string& name, const ProfileRecords& profile, const Strings& groups) {
  const std::string found = SearchInstanceName(name, profile.names, profile.associations, groups);
  for (std::size_t k = 0; k < profile.names.size(); ++k)
    if (profile.names[k] == name || (!found.empty() && profile.names[k] == found)) return k;
  return std::nullopt;
}

// The instance names behind a data row: those of the first group holding its part's name.
Strings LineNames(const std::string& partName, const Strings& groups) {
  if (partName.empty()) return {};
  for (const std::string& group : groups)
    if (IsToken(group, partName)) return TokensToFirstEmpty(group);
  return {partName};
}

long Clamped(long long value) { return value > INT_MAX ? INT_MAX : static_cast<long>(value); }

}  // namespace

std::string LabelOf(long index) {
  if (index < 0) return "";
  long r = index % 26;
  if (r == 8 || r == 14 || r == 16 || r == 23) ++r;
  return std::string(static_cast<std::size_t>(index / 26 + 1), static_cast<char>('A' + r));
}

long IndexOfLabel(const std::string& label) {
  if (label.empty() || label[0] < 'A' || label[0] > 'Z') return -1;
  for (const char c : label)
    if (c != label[0]) return -1;
  return 26 * (static_cast<long>(label.size()) - 1) + (label[0] - 'A');
}

std::string SearchInstanceName(const std::string& name, const Strings& known, const Strings& groupsA,
                               const Strings& groupsB) {
  if (name.empty()) return "";
  for (const std::string& group : groupsA) {
    if (!IsToken(group, name)) continue;
    for (const std::string& entry : known)
      if (IsToken(group, entry)) return entry;
  }
  for (const std::string& group : groupsB) {
    if (!IsToken(group, name)) continue;
    for (const std::string& token : TokensToFirstEmpty(group)) {
      if (token == name) continue;
      for (const std::string& entry : known)
        if (entry == token) return entry;
    }
  }
  return "";
}

ProfileRecords ReadProfile(const std::string& text, bool letters) {
  ProfileRecords records;
  enum class State { Header, Data, Association } state = State::Header;
  std::string line;
  auto take = [&] {
    if (line.empty()) return;
    if (line == "DATA;") {
      state = State::Data;
    } else if (line == "ASSOCIATION;") {
      state = State::Association;
    } else if (state == State::Association) {
      records.associations.push_back(line);
    } else if (state == State::Data) {
      const Strings fields = Fields(line);
      const std::string number = fields.size() > 0 ? fields[0] : "";
      const long index = letters ? IndexOfLabel(number) : ScanInteger(number);
      records.numbers.push_back(index);
      records.maxNumber = std::max(records.maxNumber, index);
      records.names.push_back(fields.size() > 1 ? fields[1] : "");
      const std::string price = fields.size() > 2 ? fields[2] : "";
      double value = 0;
      const bool isNumber = std::sscanf(price.c_str(), "%le", &value) == 1;
      records.unitPrices.push_back(isNumber && !(value < 0) ? price : "");
    }
    line.clear();
  };
  for (const char c : text) {
    if (c == '\r' || c == '\n')
      take();
    else
      line += c;
  }
  take();
  return records;
}

Output Run(const GeneratedMold& mold, const Settings& settings, const ProfileRecords& profile) {
  std::vector<Record> records;
  Walk(mold, 0, records);
  const Pairing pairing = Pair(records);

  struct Row {
    Strings cells = Strings(11);
    std::optional<std::size_t> line;
  };
  std::vector<Row> rows;
  long long counter = settings.letters ? -1 : static_cast<long long>(settings.start) - settings.increment;
  if (settings.keep && profile.maxNumber > 0) counter = profile.maxNumber;
  for (const std::optional<std::size_t>& shown : DisplayOrder(pairing.lines, records, settings.sort)) {
    Row row;
    row.line = shown;
    if (shown) {
      const Line& line = pairing.lines[*shown];
      const Record& head = records[line.head];
      const std::optional<std::size_t> stored = ProfileRecordOf(head.name, profile, pairing.groups);
      std::optional<long> kept;
      if (settings.keep && stored && profile.numbers[*stored] >= 0) kept = profile.numbers[*stored];
      std::string number;
      if (!settings.letters) {
        if (!kept) counter = Clamped(counter + settings.increment);
        number = std::to_string(kept ? *kept : counter);
      } else if (kept) {
        number = LabelOf(*kept);
      } else {
        counter = Clamped(counter + 1);
        number = LabelOf(static_cast<long>(counter));
        if (number.find_first_of("JPRY") != std::string::npos) counter = Clamped(counter + 1);
      }
      std::string unitPrice = head.unitPrice;
      if (!profile.names.empty()) unitPrice = stored ? profile.unitPrices[*stored] : "";
      row.cells = {number,        std::to_string(line.quantity), head.partNumber, head.reference,
                   head.moldReference, head.supplier, head.material, head.source, head.heatTreatment, unitPrice, ""};
    }
    rows.push_back(std::move(row));
  }

  // Missing unit prices come from the first instance of the row's own line that has one. The
  // dialog takes the instances only together with at least one group, so one kept instance
  // fills nothing.
  for (Row& row : rows) {
    if (pairing.groups.empty()) break;
    if (!row.line || !row.cells[9].empty() || row.cells[2].empty()) continue;
    const Strings names = LineNames(records[pairing.lines[*row.line].head].name, pairing.groups);
    for (const Record& record : records) {
      if (!record.hasPriceParameter || std::find(names.begin(), names.end(), record.name) == names.end()) continue;
      row.cells[9] = record.unitPrice;
      break;
    }
  }
  for (Row& row : rows) {
    const double price = ScanReal(row.cells[1]) * ScanReal(row.cells[9]);
    row.cells[10] = price > 0 ? GText(price) : "";
  }

  Output output;
  output.csvRows.push_back("Number;Qty;Part Number;Reference;Mold Ref;Supplier;Material;Source;Heat Treat;Unit Price;Price;");
  for (const Row& row : rows) {
    std::string text;
    for (const std::string& cell : row.cells) text += cell + ";";
    output.csvRows.push_back(text);
  }

  std::string& p = output.profile;
  p = "HEADER;\r\n" + mold.products[0].partNumber + ";" + (settings.sort ? "1" : "0") + ";" + (settings.keep ? "K" : "R") + ";";
  p += settings.letters ? "A;\r\n"
                        : "0;" + std::to_string(settings.start) + ";" + std::to_string(settings.increment) + ";\r\n";
  p += "0;1;2;3;4;5;6;7;8;9;10;\r\nDATA;\r\n";
  for (const Row& row : rows) {
    if (!row.line) continue;
    const std::string& unitPrice = row.cells[9];
    p += row.cells[0] + ";" + records[pairing.lines[*row.line].head].name + ";" + (unitPrice.empty() ? " " : unitPrice) +
         ";\r\n";
  }
  if (!pairing.groups.empty()) {
    p += "ASSOCIATION;\r\n";
    for (const std::string& group : pairing.groups) p += group + ";\r\n";
  }
  return output;
}

}  // namespace bomreference
