// `moldbom show`: the product tree of a mold assembly as the host's interfaces present it.
#include "ShowCommand.h"

#include "DuplicateNames.h"
#include "ProductParameters.h"
#include "ToolingType.h"

#include "QORKnowledge.h"
#include "QORMoldComponents.h"
#include "QORProductStructure.h"

#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace moldbom {
namespace {

constexpr int kIndentPerLevel = 2;
constexpr int kDetailIndent = 4;

std::string Quoted(const QORUnicodeString& text) { return "\"" + text.Utf8() + "\""; }

std::string SourceName(int source) {
  switch (source) {
    case 0: return "unknown";
    case 1: return "made";
    case 2: return "bought";
    default: return std::to_string(source);
  }
}

std::string Kind(const QORIProduct_var& instance) {
  std::string kind = QORPrdIsAProductFromQORPart(instance) ? "part" : "assembly";
  if (const QORIMldPlate_var plate(instance); plate)
    kind += QORIExtension_var(plate) ? ", plate" : ", plate without extension";
  if (const std::string type = ComponentTypeOf(instance).value_or(""); !type.empty()) kind += ", component " + type;
  return kind;
}

std::string Properties(const QORIProduct_var& instance) {
  const QORIPrdProperties_var properties(instance);
  if (!properties) return "no product properties";
  std::string text;
  QORBoolean inBOM = FALSE;
  text += "bom=" + std::string(SUCCEEDED(properties->GetBOMFlag(inBOM)) ? (inBOM ? "yes" : "no") : "-");
  QORUnicodeString value;
  text += " reference=" + (SUCCEEDED(properties->GetReference(value)) ? Quoted(value) : "-");
  text += " supplier=" + (SUCCEEDED(properties->GetSupplier(value)) ? Quoted(value) : "-");
  int source = 0;
  text += " source=" + (SUCCEEDED(properties->GetSource(source)) ? SourceName(source) : "-");
  return text;
}

std::string TypeName(const QORIType_var& type) {
  if (type == QORParmDictionary::StringType()) return "string";
  if (type == QORParmDictionary::RealType()) return "real";
  if (type == QORParmDictionary::IntegerType()) return "integer";
  if (type == QORParmDictionary::BooleanType()) return "boolean";
  return type ? type->GetTypeName().Utf8() : "?";
}

void PrintParameters(std::ostream& out, const std::string& indent, const char* label,
                     const QORIParmPublisher_var& publisher) {
  for (const QORICkeParm_var& parameter : ParametersOf(publisher)) {
    const std::string type = TypeName(parameter->GetType());
    const std::string value = type == "string" ? Quoted(parameter->Show()) : parameter->Show().Utf8();
    out << indent << label << ' ' << parameter->GetName().Utf8() << ": " << type << ' ' << value << '\n';
  }
}

void PrintInstance(std::ostream& out, const QORIProduct_var& instance, int depth) {
  const std::string indent(static_cast<std::size_t>(depth * kIndentPerLevel), ' ');
  QORUnicodeString name;
  if (FAILED(instance->GetPrdInstanceName(name))) name = "?";
  out << indent << name.Utf8() << " (" << instance->GetPartNumber().Utf8() << "): " << Kind(instance) << "; "
      << Properties(instance) << '\n';
  const std::string detail = indent + std::string(kDetailIndent, ' ');
  PrintParameters(out, detail, "user property", UserPropertiesOf(instance));
  PrintParameters(out, detail, "parameter", QORIParmPublisher_var(instance->GetReferenceProduct()));
}

}  // namespace

Command AddShowCommand(CLI::App& app) {
  auto options = std::make_shared<ShowOptions>();
  CLI::App* show = app.add_subcommand("show", "Print the product tree of a mold assembly");
  AddMoldOption(*show, options->moldPath);
  AddCatalogOption(*show, options->catalogPath);
  return Command{show, [options](const CommandStreams& streams) { return RunShow(*options, streams); }};
}

int RunShow(const ShowOptions& options, const CommandStreams& streams) {
  auto loaded = QORMoldDocument::LoadFile(options.moldPath, options.catalogPath);
  if (!loaded.Ok()) {
    streams.err << "moldbom: " << loaded.Error().Message() << '\n';
    return kExitBadInput;
  }
  if (const std::optional<std::string> warning = DuplicateNamesWarning(*loaded.Value()))
    streams.err << "moldbom: " << *warning << '\n';
  loaded.Value()->Walk([&](const QORIProduct_var& instance, int depth) { PrintInstance(streams.out, instance, depth); });
  for (const std::string& note : loaded.Value()->Notes()) streams.out << "note: " << note << '\n';
  return kExitOk;
}

}  // namespace moldbom
