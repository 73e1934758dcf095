// The geometry kernel's side of the 3D view: XCAF reading, meshing and the glTF writer. Kept to
// this one file so that the kernel's headers are compiled once.
#include "StepScene.h"

#include <BRepBndLib.hxx>
#include <BRepMesh_IncrementalMesh.hxx>
#include <BRep_Tool.hxx>
#include <Bnd_Box.hxx>
#include <IFSelect_ReturnStatus.hxx>
#include <Message.hxx>
#include <Message_Messenger.hxx>
#include <Message_PrinterOStream.hxx>
#include <Message_ProgressIndicator.hxx>
#include <Message_ProgressScope.hxx>
#include <RWGltf_CafWriter.hxx>
#include <RWMesh_CoordinateSystemConverter.hxx>
#include <STEPCAFControl_Reader.hxx>
#include <STEPControl_Reader.hxx>
#include <Standard_Failure.hxx>
#include <StepBasic_Product.hxx>
#include <StepBasic_ProductDefinition.hxx>
#include <StepBasic_ProductDefinitionFormation.hxx>
#include <StepData_StepModel.hxx>
#include <StepRepr_NextAssemblyUsageOccurrence.hxx>
#include <TColStd_IndexedDataMapOfStringString.hxx>
#include <TDF_LabelSequence.hxx>
#include <TDataStd_Name.hxx>
#include <TDocStd_Document.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Face.hxx>
#include <Transfer_TransientProcess.hxx>
#include <TransferBRep.hxx>
#include <XCAFApp_Application.hxx>
#include <XCAFDoc_DocumentTool.hxx>
#include <XCAFDoc_ShapeTool.hxx>
#include <XSControl_TransferReader.hxx>
#include <XSControl_WorkSession.hxx>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <unordered_map>

namespace moldview {
namespace {

// Meshes finer than this share of the whole assembly's size cost time and show nothing more.
constexpr double kDeflectionOfSize = 0.001;
constexpr double kAngularDeflection = 0.5;

class ProgressBridge : public Message_ProgressIndicator {
 public:
  explicit ProgressBridge(const SceneProgress& progress) : progress_(progress) {}
  void Stage(const char* stage) {
    stage_ = stage;
    if (progress_.report) progress_.report(GetPosition(), stage_);
  }
  Standard_Boolean UserBreak() override { return progress_.cancel && progress_.cancel->load(); }

 protected:
  void Show(const Message_ProgressScope&, const Standard_Boolean) override {
    if (progress_.report) progress_.report(GetPosition(), stage_);
  }

 private:
  const SceneProgress& progress_;
  const char* stage_ = "reading";
};

std::string Utf8(const TCollection_ExtendedString& text) { return TCollection_AsciiString(text).ToCString(); }

std::string LabelName(const TDF_Label& label) {
  Handle(TDataStd_Name) name;
  return label.FindAttribute(TDataStd_Name::GetID(), name) ? Utf8(name->Get()) : std::string("a part");
}

void Name(const TDF_Label& label, const std::string& name) {
  TDataStd_Name::Set(label, TCollection_ExtendedString(name.c_str(), /*isMultiByte=*/Standard_True));
}

// The kernel prints its own diagnostics; what matters reaches the caller as skipped parts.
void SilenceKernel() {
  static std::once_flag once;
  std::call_once(once, [] {
    const Handle(Message_Messenger)& messenger = Message::DefaultMessenger();
    messenger->RemovePrinters(STANDARD_TYPE(Message_PrinterOStream));
  });
}

TDF_Label LabelOfDefinition(const Handle(Transfer_TransientProcess)& process, const Handle(XCAFDoc_ShapeTool)& shapes,
                            const Handle(Standard_Transient)& definition) {
  TDF_Label label;
  const Handle(Transfer_Binder) binder = process->Find(definition);
  if (binder.IsNull() || !binder->HasResult()) return label;
  const TopoDS_Shape shape = TransferBRep::ShapeResult(process, binder);
  if (!shape.IsNull()) shapes->Search(shape, label, Standard_False, Standard_False, Standard_False);
  return label;
}

// Documents stay registered with the application until closed, whichever way the build ends.
class OpenDocument {
 public:
  OpenDocument() : application_(XCAFApp_Application::GetApplication()) { application_->NewDocument("MDTV-XCAF", document_); }
  ~OpenDocument() { application_->Close(document_); }
  OpenDocument(const OpenDocument&) = delete;
  OpenDocument& operator=(const OpenDocument&) = delete;
  Handle(TDocStd_Document)& Get() { return document_; }

 private:
  Handle(XCAFApp_Application) application_;
  Handle(TDocStd_Document) document_;
};

class SceneBuilder {
  using Occurrences = std::vector<std::pair<std::uint64_t, Handle(StepRepr_NextAssemblyUsageOccurrence)>>;

 public:
  SceneBuilder(const qorhost::StepInstanceNames& names, const SceneProgress& progress)
      : names_(names), progress_(progress), indicator_(new ProgressBridge(progress)) {}

  QORExpected<SceneBuild> Run(const std::string& stepPath, const std::string& glbPath) {
    Message_ProgressScope scope(indicator_->Start(), nullptr, 100);
    shapes_ = XCAFDoc_DocumentTool::ShapeTool(document_.Get()->Main());
    STEPCAFControl_Reader reader;
    reader.SetNameMode(Standard_True);
    reader.SetColorMode(Standard_False);
    reader.SetLayerMode(Standard_False);
    reader.SetPropsMode(Standard_False);
    reader.SetGDTMode(Standard_False);
    reader.SetMatMode(Standard_False);
    reader.SetViewMode(Standard_False);
    reader.SetSHUOMode(Standard_False);
    // Reading the file reports no progress of its own; the transfer that follows does.
    if (reader.ReadFile(stepPath.c_str()) != IFSelect_RetDone) return QORError(stepPath, 0, 0, "the geometry cannot be read");
    if (!reader.Transfer(document_.Get(), scope.Next(35)) || Cancelled()) return Stopped(stepPath);

    const TDF_LabelSequence roots = NameInstances(reader);
    if (roots.IsEmpty()) return QORError(stepPath, 0, 0, "the file holds no shape the view can draw");
    indicator_->Stage("tessellating");
    const int faces = Mesh(roots, scope.Next(55));
    if (Cancelled()) return Stopped(stepPath);
    if (faces == 0) return QORError(stepPath, 0, 0, "the file holds no shape the view can draw");

    indicator_->Stage("writing");
    RWGltf_CafWriter writer(glbPath.c_str(), /*theIsBinary=*/true);
    writer.SetNodeNameFormat(RWMesh_NameFormat_Instance);
    writer.SetMeshNameFormat(RWMesh_NameFormat_Product);
    writer.SetMergeFaces(true);
    RWMesh_CoordinateSystemConverter converter;
    converter.SetInputLengthUnit(0.001);  // the reader gives millimetres
    converter.SetInputCoordinateSystem(RWMesh_CoordinateSystem_Zup);
    converter.SetOutputLengthUnit(1.0);
    converter.SetOutputCoordinateSystem(RWMesh_CoordinateSystem_glTF);
    writer.SetCoordinateSystemConverter(converter);
    const TColStd_IndexedDataMapOfStringString fileInfo;
    if (!writer.Perform(document_.Get(), roots, nullptr, fileInfo, scope.Next(10)))
      return Cancelled() ? Stopped(stepPath) : QORError(glbPath, 0, 0, "cannot write the scene");
    return std::move(build_);
  }

 private:
  bool Cancelled() const { return progress_.cancel && progress_.cancel->load(); }
  QORError Stopped(const std::string& stepPath) const {
    return QORError(stepPath, 0, 0, Cancelled() ? "stopped" : "the geometry cannot be read");
  }

  // Names every instance as the product tree does, from the roots down; the labels returned are
  // the scene's roots.
  TDF_LabelSequence NameInstances(const STEPCAFControl_Reader& reader) {
    const Handle(XSControl_WorkSession) session = reader.Reader().WS();
    const Handle(Transfer_TransientProcess) process = session->TransferReader()->TransientProcess();
    const Handle(StepData_StepModel) model = reader.Reader().StepModel();
    std::unordered_map<std::uint64_t, Handle(StepBasic_ProductDefinition)> definitions;
    std::unordered_map<std::uint64_t, Occurrences> below;  // assembly's definition to its occurrences
    for (Standard_Integer i = 1; i <= model->NbEntities(); ++i) {
      const Handle(Standard_Transient) entity = model->Value(i);
      const std::uint64_t number = static_cast<std::uint64_t>(model->IdentLabel(entity));
      if (const auto definition = Handle(StepBasic_ProductDefinition)::DownCast(entity); !definition.IsNull()) {
        definitions.emplace(number, definition);
        continue;
      }
      const auto occurrence = Handle(StepRepr_NextAssemblyUsageOccurrence)::DownCast(entity);
      if (occurrence.IsNull() || !names_.occurrences.contains(number)) continue;
      below[static_cast<std::uint64_t>(model->IdentLabel(occurrence->RelatingProductDefinition()))].emplace_back(number, occurrence);
    }

    std::vector<TDF_Label> claimed;
    std::unordered_map<std::uint64_t, TDF_Label> labels;  // product definition to its label
    std::vector<std::uint64_t> pending;
    const auto labelOf = [&](std::uint64_t definition) {
      const auto found = definitions.find(definition);
      return found == definitions.end() ? TDF_Label() : RootLabel(found->second, below[definition], process, claimed);
    };
    TDF_LabelSequence roots;
    if (names_.rootDefinition) {
      const TDF_Label root = labelOf(names_.rootDefinition);
      if (root.IsNull()) return roots;
      Name(root, names_.root);
      roots.Append(root);
      labels.emplace(names_.rootDefinition, root);
      pending.push_back(names_.rootDefinition);
    } else {
      // Several roots: one assembly holds them, as the product tree does.
      const TDF_Label joined = shapes_->NewShape();
      Name(joined, names_.root);
      for (const auto& [definition, name] : names_.roots) {
        const TDF_Label root = labelOf(definition);
        if (root.IsNull()) {
          build_.skipped.push_back("root " + name + " has no shape");
          continue;
        }
        claimed.push_back(root);
        Name(shapes_->AddComponent(joined, root, TopLoc_Location()), name);
        labels.emplace(definition, root);
        pending.push_back(definition);
      }
      if (labels.empty()) return roots;
      shapes_->UpdateAssemblies();
      roots.Append(joined);
    }
    while (!pending.empty()) {
      const std::uint64_t assembly = pending.back();
      pending.pop_back();
      for (const auto& [number, occurrence] : below[assembly]) {
        const std::uint64_t related = static_cast<std::uint64_t>(model->IdentLabel(occurrence->RelatedProductDefinition()));
        const auto known = labels.find(related);
        const TDF_Label product = known != labels.end() ? known->second
                                                        : LabelOfDefinition(process, shapes_, occurrence->RelatedProductDefinition());
        const TDF_Label component = ComponentOf(occurrence, labels.at(assembly), product, process, claimed);
        if (component.IsNull()) {
          build_.skipped.push_back("instance " + names_.occurrences.at(number) + " (#" + std::to_string(number) + ") has no shape");
          continue;
        }
        claimed.push_back(component);
        Name(component, names_.occurrences.at(number));
        TDF_Label referred;
        if (known == labels.end() && XCAFDoc_ShapeTool::GetReferredShape(component, referred)) {
          labels.emplace(related, referred);
          pending.push_back(related);
        }
      }
    }
    return roots;
  }

  // A root product's label: found from the shape its definition became, which works for parts; an
  // assembly's shape is rebuilt in the document, so it is the free shape of the product's name
  // whose components hold the parts its occurrences use.
  TDF_Label RootLabel(const Handle(StepBasic_ProductDefinition)& definition, const Occurrences& occurrences,
                      const Handle(Transfer_TransientProcess)& process, const std::vector<TDF_Label>& claimed) const {
    TDF_Label label = LabelOfDefinition(process, shapes_, definition);
    if (!label.IsNull()) return label;
    TDF_LabelSequence free;
    shapes_->GetFreeShapes(free);
    const std::string productName = ProductName(definition);
    std::vector<TDF_Label> named, others;
    for (const TDF_Label& root : free)
      if (std::find(claimed.begin(), claimed.end(), root) == claimed.end())
        (LabelName(root) == productName ? named : others).push_back(root);
    if (named.empty() && others.size() == 1) return others.front();
    if (named.size() <= 1) return named.empty() ? TDF_Label() : named.front();
    for (const TDF_Label& root : named) {
      TDF_LabelSequence components;
      XCAFDoc_ShapeTool::GetComponents(root, components);
      for (const auto& [number, occurrence] : occurrences) {
        const TDF_Label part = LabelOfDefinition(process, shapes_, occurrence->RelatedProductDefinition());
        for (const TDF_Label& component : components) {
          TDF_Label referred;
          if (!part.IsNull() && XCAFDoc_ShapeTool::GetReferredShape(component, referred) && referred == part) return root;
        }
      }
    }
    return named.front();
  }

  // The name the kernel gives a product's label: its name, else its id.
  static std::string ProductName(const Handle(StepBasic_ProductDefinition)& definition) {
    if (definition.IsNull() || definition->Formation().IsNull() || definition->Formation()->OfProduct().IsNull()) return {};
    const Handle(StepBasic_Product) product = definition->Formation()->OfProduct();
    if (!product->Name().IsNull() && product->Name()->UsefullLength() > 0) return product->Name()->ToCString();
    return product->Id().IsNull() ? std::string() : product->Id()->ToCString();
  }

  static bool SamePlacement(const gp_Trsf& a, const gp_Trsf& b) {
    const double tolerance = 1e-6 * std::max({1.0, a.TranslationPart().Modulus(), b.TranslationPart().Modulus()});
    if ((a.TranslationPart() - b.TranslationPart()).Modulus() > tolerance) return false;
    const gp_Mat ma = a.VectorialPart();
    const gp_Mat mb = b.VectorialPart();
    for (int row = 1; row <= 3; ++row)
      for (int column = 1; column <= 3; ++column)
        if (std::abs(ma(row, column) - mb(row, column)) > 1e-6) return false;
    return true;
  }

  // The component an occurrence became: among its assembly's components not yet taken (of its
  // product when that is known), the one placed where the occurrence is, else the only one.
  TDF_Label ComponentOf(const Handle(StepRepr_NextAssemblyUsageOccurrence)& occurrence, const TDF_Label& assembly,
                        const TDF_Label& product, const Handle(Transfer_TransientProcess)& process,
                        const std::vector<TDF_Label>& claimed) const {
    TopoDS_Shape placed;
    if (const Handle(Transfer_Binder) binder = process->Find(occurrence); !binder.IsNull() && binder->HasResult())
      placed = TransferBRep::ShapeResult(process, binder);
    TDF_LabelSequence components;
    XCAFDoc_ShapeTool::GetComponents(assembly, components);
    TDF_Label only;
    int candidates = 0;
    for (const TDF_Label& component : components) {
      TDF_Label referred;
      if (std::find(claimed.begin(), claimed.end(), component) != claimed.end()) continue;
      if (!product.IsNull() && (!XCAFDoc_ShapeTool::GetReferredShape(component, referred) || referred != product)) continue;
      if (!placed.IsNull() &&
          SamePlacement(placed.Location().Transformation(), XCAFDoc_ShapeTool::GetLocation(component).Transformation()))
        return component;
      only = component;
      ++candidates;
    }
    return candidates == 1 ? only : TDF_Label();
  }

  // Each part once, whatever its number of instances; a part that fails is left out and listed.
  // Returns how many faces were meshed in all.
  int Mesh(const TDF_LabelSequence& roots, const Message_ProgressRange& range) {
    Bnd_Box box;
    for (const TDF_Label& root : roots) BRepBndLib::Add(shapes_->GetShape(root), box);
    const double size = box.IsVoid() ? 1.0 : std::sqrt(box.SquareExtent());
    IMeshTools_Parameters parameters;
    parameters.Deflection = std::max(size * kDeflectionOfSize, 1e-4);
    parameters.Angle = kAngularDeflection;
    parameters.InParallel = Standard_True;

    TDF_LabelSequence parts;
    TDF_LabelSequence all;
    shapes_->GetShapes(all);
    for (const TDF_Label& label : all)
      if (!shapes_->IsAssembly(label)) parts.Append(label);
    Message_ProgressScope scope(range, nullptr, std::max(parts.Length(), 1));
    int total = 0;
    for (const TDF_Label& part : parts) {
      if (Cancelled()) return total;
      const TopoDS_Shape shape = shapes_->GetShape(part);
      int faces = 0;
      int meshed = 0;
      try {
        BRepMesh_IncrementalMesh mesher(shape, parameters, scope.Next());
        for (TopExp_Explorer face(shape, TopAbs_FACE); face.More(); face.Next()) {
          ++faces;
          TopLoc_Location location;
          if (!BRep_Tool::Triangulation(TopoDS::Face(face.Current()), location).IsNull()) ++meshed;
        }
      } catch (const Standard_Failure& failure) {
        build_.skipped.push_back("part " + LabelName(part) + " cannot be meshed: " + failure.GetMessageString());
        continue;
      }
      if (faces == 0) build_.skipped.push_back("part " + LabelName(part) + " has no surface to draw");
      else if (meshed < faces)
        build_.skipped.push_back("part " + LabelName(part) + ": " + std::to_string(faces - meshed) + " of " +
                                 std::to_string(faces) + " faces cannot be meshed");
      total += meshed;
    }
    return total;
  }

  const qorhost::StepInstanceNames& names_;
  const SceneProgress& progress_;
  Handle(ProgressBridge) indicator_;
  OpenDocument document_;
  Handle(XCAFDoc_ShapeTool) shapes_;
  SceneBuild build_;
};

QORExpected<SceneBuild> BuildWithKernel(const std::string& stepPath, const qorhost::StepInstanceNames& names,
                                        const std::string& glbPath, const SceneProgress& progress) {
  SilenceKernel();
  try {
    return SceneBuilder(names, progress).Run(stepPath, glbPath);
  } catch (const Standard_Failure& failure) {
    return QORError(stepPath, 0, 0, std::string("the geometry cannot be read: ") + failure.GetMessageString());
  }
}

}  // namespace
}  // namespace moldview

extern "C" __attribute__((visibility("default"))) moldview::BuildStepSceneFunction* moldview_StepSceneBuilder() {
  return &moldview::BuildWithKernel;
}
