// Accepted names and value conversions of the BOM's attributes.
#include "MoldAttributes.h"

#include "KnowledgeParameter.h"
#include "ToolingTypes.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>

namespace qorhost {
namespace {

struct NamedAttribute {
  std::string_view name;  // folded: lower case, no spaces, "_" or "-"
  MoldAttribute attribute;
};

constexpr std::array kNames{
    NamedAttribute{"reference", MoldAttribute::Reference},
    NamedAttribute{"supplier", MoldAttribute::Supplier},
    NamedAttribute{"moldreference", MoldAttribute::MoldReference},
    NamedAttribute{"refmold", MoldAttribute::MoldReference},
    NamedAttribute{"unitprice", MoldAttribute::UnitPrice},
    NamedAttribute{"toolingtype", MoldAttribute::ToolingType},
    NamedAttribute{"plate", MoldAttribute::Plate},
    NamedAttribute{"bom", MoldAttribute::Bom},
    NamedAttribute{"bomflag", MoldAttribute::Bom},
    NamedAttribute{"source", MoldAttribute::Source},
    NamedAttribute{"material", MoldAttribute::Material},
    NamedAttribute{"heattreatment", MoldAttribute::HeatTreatment},
    NamedAttribute{"heattreat", MoldAttribute::HeatTreatment},
};

std::string Folded(std::string_view name) {
  std::string folded;
  for (const char c : name)
    if (c != ' ' && c != '_' && c != '-') folded += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return folded;
}

// The user property each text attribute is kept in; the BOM finds them by these names.
const char* UserPropertyName(MoldAttribute attribute) {
  return attribute == MoldAttribute::Material ? "Material" : "HeatTreat";
}

const char* ParameterName(MoldAttribute attribute) {
  return attribute == MoldAttribute::MoldReference ? "RefMold" : "UnitPrice";
}

bool HasParameter(const std::vector<MoldParameter>& list, std::string_view name) {
  return std::any_of(list.begin(), list.end(), [&](const MoldParameter& p) { return p.name == name; });
}

void SetParameter(std::vector<MoldParameter>& list, std::string_view name, KnowledgeValue value) {
  for (MoldParameter& parameter : list)
    if (parameter.name == name) {
      parameter.value = std::move(value);
      return;
    }
  list.push_back(MoldParameter{std::string(name), std::move(value)});
}

std::optional<bool> YesNo(const KnowledgeValue& value) {
  if (const bool* b = std::get_if<bool>(&value)) return *b;
  if (const int* i = std::get_if<int>(&value); i && (*i == 0 || *i == 1)) return *i == 1;
  if (const std::string* s = std::get_if<std::string>(&value)) {
    const std::string folded = Folded(*s);
    if (folded == "yes" || folded == "true" || folded == "1") return true;
    if (folded == "no" || folded == "false" || folded == "0") return false;
  }
  return std::nullopt;
}

std::optional<double> Number(const KnowledgeValue& value) {
  if (const double* d = std::get_if<double>(&value)) return *d;
  if (const int* i = std::get_if<int>(&value)) return *i;
  if (const std::string* s = std::get_if<std::string>(&value)) {
    double number = 0;
    const char* first = s->data();
    const char* last = first + s->size();
    const auto [end, ec] = std::from_chars(first, last, number);
    if (ec == std::errc() && end == last && !s->empty()) return number;
  }
  return std::nullopt;
}

std::optional<int> SourceCode(const KnowledgeValue& value) {
  const std::string folded = Folded(KnowledgeValueText(value));
  if (folded == "unknown" || folded == "notknown") return 0;
  if (folded == "made") return 1;
  if (folded == "bought") return 2;
  return std::nullopt;
}

std::optional<std::string> SetProperty(std::optional<MoldProperties>& properties, MoldAttribute attribute,
                                       const KnowledgeValue& value) {
  MoldProperties target = properties.value_or(MoldProperties{});
  switch (attribute) {
    case MoldAttribute::Reference: target.reference = KnowledgeValueText(value); break;
    case MoldAttribute::Supplier: target.supplier = KnowledgeValueText(value); break;
    case MoldAttribute::Bom:
      target.bom = YesNo(value);
      if (!target.bom) return "the BOM flag must be yes or no";
      break;
    case MoldAttribute::Source:
      target.source = SourceCode(value);
      if (!target.source) return "the source must be made, bought or unknown";
      break;
    default: return "an instance carries only a reference, a supplier, a BOM flag and a source";
  }
  properties = target;
  return std::nullopt;
}

}  // namespace

std::optional<MoldAttribute> MoldAttributeNamed(std::string_view name) {
  const std::string folded = Folded(name);
  for (const NamedAttribute& entry : kNames)
    if (entry.name == folded) return entry.attribute;
  return std::nullopt;
}

const char* MoldAttributeLabel(MoldAttribute attribute) {
  switch (attribute) {
    case MoldAttribute::Reference: return "reference";
    case MoldAttribute::Supplier: return "supplier";
    case MoldAttribute::MoldReference: return "mold reference";
    case MoldAttribute::UnitPrice: return "unit price";
    case MoldAttribute::ToolingType: return "tooling type";
    case MoldAttribute::Plate: return "plate";
    case MoldAttribute::Bom: return "BOM";
    case MoldAttribute::Source: return "source";
    case MoldAttribute::Material: return "material";
    case MoldAttribute::HeatTreatment: return "heat treatment";
  }
  return "?";
}

bool HasMoldAttribute(const MoldProduct& product, MoldAttribute attribute) {
  const std::optional<MoldProperties>& p = product.properties;
  switch (attribute) {
    case MoldAttribute::Reference: return p && p->reference;
    case MoldAttribute::Supplier: return p && p->supplier;
    case MoldAttribute::Bom: return p && p->bom;
    case MoldAttribute::Source: return p && p->source;
    case MoldAttribute::MoldReference:
    case MoldAttribute::UnitPrice: return HasParameter(product.parameters, ParameterName(attribute));
    case MoldAttribute::ToolingType: return product.component.has_value();
    case MoldAttribute::Plate: return product.plate != MoldPlateKind::None;
    case MoldAttribute::Material:
    case MoldAttribute::HeatTreatment:
      return product.userProperties && HasParameter(*product.userProperties, UserPropertyName(attribute));
  }
  return false;
}

std::optional<std::string> SetMoldAttribute(MoldProduct& product, MoldAttribute attribute, const KnowledgeValue& value) {
  switch (attribute) {
    case MoldAttribute::MoldReference:
      SetParameter(product.parameters, ParameterName(attribute), KnowledgeValueText(value));
      return std::nullopt;
    case MoldAttribute::UnitPrice:
      if (const std::optional<double> price = Number(value)) {
        SetParameter(product.parameters, ParameterName(attribute), *price);
        return std::nullopt;
      }
      return "the unit price must be a number";
    case MoldAttribute::ToolingType: {
      const std::string type = KnowledgeValueText(value);
      if (!IsToolingTypeName(type)) return "unknown tooling type (known types: " + ToolingTypeNameList() + ")";
      product.component = type;
      return std::nullopt;
    }
    case MoldAttribute::Plate: {
      if (KnowledgeValueText(value) == "no-extension") {
        product.plate = MoldPlateKind::WithoutExtension;
        return std::nullopt;
      }
      const std::optional<bool> plate = YesNo(value);
      if (!plate) return "plate must be yes, no or no-extension";
      product.plate = *plate ? MoldPlateKind::WithExtension : MoldPlateKind::None;
      return std::nullopt;
    }
    case MoldAttribute::Material:
    case MoldAttribute::HeatTreatment:
      SetParameter(product.userProperties ? *product.userProperties : product.userProperties.emplace(),
                   UserPropertyName(attribute), KnowledgeValueText(value));
      return std::nullopt;
    default: return SetProperty(product.properties, attribute, value);
  }
}

std::optional<std::string> SetInstanceAttribute(MoldInstance& instance, MoldAttribute attribute, const KnowledgeValue& value) {
  return SetProperty(instance.properties, attribute, value);
}


}  // namespace qorhost
