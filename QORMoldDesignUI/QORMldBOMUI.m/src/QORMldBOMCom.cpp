// The Bill of Materials command: state graph, product analysis, number labels, profiles and the CSV report.
#include "QORMldBOMCom.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "QORDialogToolkit.h"
#include "QOREditor.h"
#include "QORMessages.h"
#include "QORMldBOMDlg.h"
#include "QORMldBOMHelpers.h"
#include "QORMldBOMLookup.h"
#include "QORMoldComponents.h"
#include "QORRecorder.h"
#include "QORSystemServices.h"

// =============================================================================================
// Registration and factory
// =============================================================================================

extern "C" QORBaseUnknown* fctCreateQORMldBOMCom(QORString* argument) {
  // The host allocator returns null instead of throwing, and then no constructor runs.
  QORMldBOMCom* command = new QORMldBOMCom(argument);
  return command;
}

static QORFillDictionary QORMldBOMComRegistration("QORMldBOMCom", fctCreateQORMldBOMCom);

// =============================================================================================
// Shared helpers
// =============================================================================================

using namespace QORMldBOM;

namespace {

const char* const CommandCatalog = "QORMldBOMCom";
const char* const ProfileTitle = "ProfileTitle";
const char* const CsvTitle = "CsvTitle";

const int SaveBoxStyle = 0x800200;
const int FilterFlag = 1;
const int LoginBufferSize = 259;

// Integer value of a text, as strtol reads its start; fallback when it holds no digits.
int ReadInteger(const QORUnicodeString& text, int fallback) {
  const char* start = text.ConvertToChar();
  char* end = nullptr;
  const long value = std::strtol(start, &end, 10);
  if (end == start) return fallback;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

// Numbers stay within 0 to INT_MAX: the last one repeats rather than turn negative.
int BoundedNumber(long long value) {
  if (value < 0) return 0;
  if (value > INT_MAX) return INT_MAX;
  return static_cast<int>(value);
}

int AbsoluteValue(int value) {
  if (value == INT_MIN) return INT_MAX;
  return value < 0 ? -value : value;
}

bool Contains(const QORUnicodeString& text, const char* part) {
  return text.SearchSubString(QORUnicodeString(part)) >= 0;
}

// The fields of a profile or report line; the tokenizer never yields an empty field.
QORListOfQORUnicodeString SplitFields(const QORUnicodeString& line, int count) {
  QORListOfQORUnicodeString fields;
  fields.Reserve(static_cast<std::size_t>(count > 0 ? count : 0));
  QORToken tokens(line);
  const QORUnicodeString separator(";");
  for (int i = 0; i < count; ++i) fields.Append(tokens.GetNextToken(separator));
  return fields;
}

bool FileExists(const QORUnicodeString& path) { return QORFileAccess(path, QORFileExists) == 0; }
bool FileIsWritable(const QORUnicodeString& path) { return QORFileAccess(path, QORFileWritable) == 0; }
bool FileIsReadable(const QORUnicodeString& path) { return QORFileAccess(path, QORFileReadable) == 0; }

void ProfileWarning(const char* key) { QORTlgErrorServices::DisplayWarning(CommandCatalog, ProfileTitle, key); }

void ProfileWarning(const char* key, const QORUnicodeString& parameter) {
  QORTlgErrorServices::DisplayWarning(CommandCatalog, ProfileTitle, key, &parameter, 1);
}

bool ProfileConfirmation(const char* key, const QORUnicodeString& parameter) {
  return QORTlgErrorServices::DisplayWarningConfirmation(CommandCatalog, ProfileTitle, key, &parameter, 1) != FALSE;
}

void CsvWarning(const char* key) { QORTlgErrorServices::DisplayWarning(CommandCatalog, CsvTitle, key); }

// ---------------------------------------------------------------------------------------------
// Reading one component instance
// ---------------------------------------------------------------------------------------------

struct SourceTexts {
  QORUnicodeString unknown;
  QORUnicodeString made;
  QORUnicodeString bought;
};

SourceTexts LookUpSourceTexts() {
  SourceTexts texts;
  texts.unknown = QORTlgErrorServices::BuildMessage(CommandCatalog, "SourceUnknown");
  texts.made = QORTlgErrorServices::BuildMessage(CommandCatalog, "SourceMade");
  texts.bought = QORTlgErrorServices::BuildMessage(CommandCatalog, "SourceBought");
  return texts;
}

// Longest values of the analysis, in characters; they size the dialog's columns.
struct WidthMaxima {
  int partNumber = 0;
  int reference = 0;
  int supplier = 0;
  int material = 0;
  int heatTreat = 0;
  int sourceFlag = 0;
};

void Raise(int& maximum, const QORUnicodeString& value) {
  const int length = value.GetLengthInChar();
  if (length > maximum) maximum = length;
}

QORUnicodeString ValueText(const QORICkeParm_var& parameter) {
  if (!parameter) return QORUnicodeString();
  QORIValue_var value = parameter->GetValue();
  if (!value) return QORUnicodeString();
  return value->Show();
}

bool IsStringParameter(const QORICkeParm_var& parameter) {
  QORIType_var type = parameter->GetType();
  return type && type == QORParmDictionary::StringType();
}

bool IsRealParameter(const QORICkeParm_var& parameter) {
  QORIType_var type = parameter->GetType();
  return type && type == QORParmDictionary::RealType();
}

// The name of a parameter relative to the publisher that aggregates it; empty without one.
QORUnicodeString RelativeName(const QORICkeParm_var& parameter) {
  QORUnicodeString name;
  QORISpecObject_var object(parameter);
  if (!object) return name;
  QORISpecObject* father = object->GetFather();
  if (!father) return name;
  QORIParmPublisher_var publisher(father);
  if (publisher) name = parameter->GetRelativeName(publisher.Get());
  father->Release();
  return name;
}

bool HasPlateExtension(const QORIProduct_var& instance) {
  QORIMldPlate_var plate(instance);
  if (!plate) return false;
  QORIExtension_var extension(plate);
  return static_cast<bool>(extension);
}

// A mold component is recognised on the instance's counterpart in its parent's reference product.
bool ReadComponentType(const QORIProduct_var& instance, QORUnicodeString& type) {
  QORIProduct_var parent = instance->GetFatherProduct();
  if (!parent) return false;
  QORIProduct_var parentReference = parent->GetReferenceProduct();
  if (!parentReference) return false;
  QORIProduct_var counterpart = instance->FindInstance(parentReference);
  if (!counterpart) return false;
  QORIMldComponent* component = nullptr;
  const HRESULT result = QORMldServicesComponents::CastToQORIMldComponent(QORBaseUnknown_var(counterpart), component);
  if (FAILED(result) || !component) {
    QORRelease(component);
    return false;
  }
  QORIExtension_var extension(component);
  if (extension) type = extension->GetTypeName();
  QORRelease(component);
  return true;
}

const QORUnicodeString NoText;

// The distinct texts of one analysis, each held once: a large mold repeats the same few suppliers,
// materials and part numbers over thousands of instances. Node-based, so handed-out addresses never
// move, and equal texts always get the same address.
class TextPool {
 public:
  const QORUnicodeString* Intern(const QORUnicodeString& text) {
    if (text.IsEmpty()) return &NoText;
    return &*texts_.insert(text).first;
  }

 private:
  struct Hash {
    std::size_t operator()(const QORUnicodeString& text) const { return std::hash<std::string>()(text.Utf8()); }
  };
  std::unordered_set<QORUnicodeString, Hash> texts_;
};

}  // namespace

// The texts shared between instances point into the analysis's pool; the instance name is the
// only one that is unique.
struct QORMldBOMInstanceRecord {
  QORIProduct_var product;
  const QORUnicodeString* type = &NoText;
  const QORUnicodeString* partNumber = &NoText;
  const QORUnicodeString* reference = &NoText;
  const QORUnicodeString* moldReference = &NoText;
  const QORUnicodeString* supplier = &NoText;
  const QORUnicodeString* material = &NoText;
  const QORUnicodeString* source = &NoText;
  const QORUnicodeString* heatTreat = &NoText;
  const QORUnicodeString* unitPrice = &NoText;
  QORUnicodeString instanceName;
  QORICkeParm_var unitPriceParameter;
};

// The numbering of the lines as they are shown.
struct QORMldBOMCom::Numbering {
  QORBoolean integerMode = TRUE;
  QORBoolean keepMode = FALSE;
  int increment = 1;
  int counter = 0;
};

// The header of a profile as read.
struct QORMldBOMCom::ProfileSettings {
  QORBoolean modeRead = FALSE;
  int sortType = 0;
  QORUnicodeString keep;
  QORUnicodeString mode;
  int start = -1;
  int increment = -1;
  int addedCount = 0;
};

namespace {

using Record = QORMldBOMInstanceRecord;

// Product and user properties of an instance; false when its BOM flag keeps it out of the BOM.
bool ReadProductProperties(const QORIProduct_var& instance, Record& record, WidthMaxima& maxima,
                           const SourceTexts& sources, TextPool& pool) {
  QORISpecObject_var object(instance);
  if (!object) return true;
  QORIPrdProperties_var properties(object);
  if (!properties) return true;
  QORBoolean inBOM = TRUE;
  if (FAILED(properties->GetBOMFlag(inBOM))) return true;

  QORUnicodeString text;
  if (SUCCEEDED(properties->GetReference(text))) {
    record.reference = pool.Intern(text);
    Raise(maxima.reference, text);
  }
  text.Empty();
  if (SUCCEEDED(properties->GetSupplier(text))) {
    record.supplier = pool.Intern(text);
    Raise(maxima.supplier, text);
  }
  int source = -1;
  if (SUCCEEDED(properties->GetSource(source))) {
    if (source == 0) record.source = pool.Intern(sources.unknown);
    if (source == 1) record.source = pool.Intern(sources.made);
    if (source == 2) record.source = pool.Intern(sources.bought);
    maxima.sourceFlag = 7;
  }

  QORIProduct_var reference = instance->GetReferenceProduct();
  QORIPrdProperties_var referenceProperties(reference);
  if (referenceProperties) {
    QORIParmPublisher* publisher = nullptr;
    if (SUCCEEDED(referenceProperties->GetUserPropertiesPublisher(publisher, 0))) {
      if (publisher) {
        QORListValQORISpecObject_var parameters;
        publisher->GetAllChildren(QORICkeParm::ClassName(), parameters);
        QORUnicodeString material;
        QORUnicodeString heatTreat;
        // Every parameter is tested for both names: a later match replaces an earlier one.
        for (const QORISpecObject_var& child : parameters) {
          QORICkeParm_var parameter(child);
          if (!parameter || !IsStringParameter(parameter)) continue;
          const QORUnicodeString name = parameter->GetName();
          if (Contains(name, "Material")) material = ValueText(parameter);
          if (Contains(name, "HeatTreat")) heatTreat = ValueText(parameter);
        }
        record.material = pool.Intern(material);
        record.heatTreat = pool.Intern(heatTreat);
      }
      Raise(maxima.material, *record.material);
      Raise(maxima.heatTreat, *record.heatTreat);
      QORRelease(publisher);
    }
  }
  return inBOM != FALSE;
}

// Reads one listed instance; true when it enters the BOM as a record.
bool ReadInstance(const QORMldBOMCom& command, const QORIProduct_var& instance, Record& record, WidthMaxima& maxima,
                  const SourceTexts& sources, TextPool& pool) {
  QORTlgServicesFunction::ModifyWorkMode(instance, 1);

  QORUnicodeString type;
  if (HasPlateExtension(instance)) type = QORUnicodeString("Plate");
  const bool isComponent = ReadComponentType(instance, type);
  if (!QORPrdIsAProductFromQORPart(instance) && !isComponent) return false;

  if (!ReadProductProperties(instance, record, maxima, sources, pool)) return false;

  record.product = instance;
  record.type = pool.Intern(type);
  record.partNumber = pool.Intern(instance->GetPartNumber());
  Raise(maxima.partNumber, *record.partNumber);
  if (FAILED(instance->GetPrdInstanceName(record.instanceName))) record.instanceName.Empty();
  if (QORIMldPlate_var(instance)) {
    QORUnicodeString moldReference;
    QORICkeParm_var unused;
    if (SUCCEEDED(command.GetReferenceInPart(1, instance, moldReference, unused)))
      record.moldReference = pool.Intern(moldReference);
  }
  QORUnicodeString unitPrice;
  QORICkeParm_var unitPriceParameter;
  if (SUCCEEDED(command.GetReferenceInPart(2, instance, unitPrice, unitPriceParameter))) {
    record.unitPrice = pool.Intern(unitPrice);
    record.unitPriceParameter = unitPriceParameter;
  }
  return true;
}

// The whole object a handle designates, as the host compares handles.
template <class Handle>
const void* ObjectIdentity(const Handle& handle) {
  return dynamic_cast<const void*>(static_cast<const QORBaseUnknown*>(handle.Get()));
}

// Column width of a text column: half the longest value, plus a margin; 0 keeps the dialog's width.
int HalvedWidth(int length) { return length > 0 ? length / 2 + 2 : 0; }

QORListOfInt WidthList(const WidthMaxima& maxima) {
  QORListOfInt widths;
  widths.Append(0);
  widths.Append(0);
  widths.Append(HalvedWidth(maxima.partNumber));
  widths.Append(HalvedWidth(maxima.reference));
  widths.Append(HalvedWidth(maxima.supplier));
  widths.Append(maxima.material);
  widths.Append(maxima.sourceFlag);
  widths.Append(maxima.heatTreat);
  return widths;
}

// Rank order of the tooling types when lines are shown by type; untyped parts come last.
QORListOfQORUnicodeString TypeOrder() {
  QORListOfQORUnicodeString order;
  order.Append(QORUnicodeString("Plate"));
  for (const QORUnicodeString* type :
       {&strAnglePin, &strBaffle, &strBushing, &strCapScrew, &strCorePin, &strCountScrew, &strDowelPin,
        &strEjector, &strEjectorPin, &strEjectorSleeve, &strEyeBolt, &strFlatEjector, &strInsert, &strKnockOut,
        &strLeaderPin, &strLocatingRing, &strLockScrew, &strORing, &strPlug, &strRetainer, &strSleeve,
        &strSlider, &strSpring, &strSprueBushing, &strSpruePuller, &strStopPin, &strSupportPillar,
        &strUserComponent})
    order.Append(*type);
  order.Append(QORUnicodeString());
  return order;
}

}  // namespace

// =============================================================================================
// Construction, destruction and activation
// =============================================================================================

QORMldBOMCom::QORMldBOMCom(QORString* /*argument*/)
    : QORStateCommand("QORMldBOMCom", 0x40, 1),
      CloseAgent(nullptr),
      ReportAgent(nullptr),
      ProductAgent(nullptr),
      Dialog(nullptr),
      AnalysedProduct(nullptr),
      SaveBox(nullptr),
      SaveBoxAgent(nullptr),
      PanelAgent(nullptr),
      ProfileMaxNumber(-1) {
  Dialog = new QORMldBOMDlg();
  if (Dialog) {
    Dialog->Build();
    Dialog->SetOKSensitivity(QORDlgDisable);
  }
  QORTlgServicesCacheList::Init();
}

// The agents, the box and the dialog belong to the original command alone: a copy takes the data
// but none of them, so that each is released exactly once.
QORMldBOMCom::QORMldBOMCom(const QORMldBOMCom& other)
    : QORBaseUnknown(other),
      QORStateCommand("QORMldBOMCom", 0x40, 1),
      CloseAgent(nullptr),
      ReportAgent(nullptr),
      ProductAgent(nullptr),
      Dialog(nullptr),
      AnalysedProduct(other.AnalysedProduct),
      LineProducts(other.LineProducts),
      LineTypes(other.LineTypes),
      LineIndexes(other.LineIndexes),
      LineQuantities(other.LineQuantities),
      LinePartNumbers(other.LinePartNumbers),
      LineReferences(other.LineReferences),
      LineMoldReferences(other.LineMoldReferences),
      LineSuppliers(other.LineSuppliers),
      LineMaterials(other.LineMaterials),
      LineSources(other.LineSources),
      LineHeatTreats(other.LineHeatTreats),
      LineInstanceNames(other.LineInstanceNames),
      LineUnitPrices(other.LineUnitPrices),
      SaveBox(nullptr),
      SaveBoxAgent(nullptr),
      PanelAgent(nullptr),
      ProfileMaxNumber(other.ProfileMaxNumber),
      ProfileColumnPositions(other.ProfileColumnPositions),
      ProfileColumnTitles(other.ProfileColumnTitles),
      ProfileColumnKinds(other.ProfileColumnKinds),
      ProfileColumnProperties(other.ProfileColumnProperties),
      InstanceGroups(other.InstanceGroups),
      ProfileNumbers(other.ProfileNumbers),
      ProfileInstanceNames(other.ProfileInstanceNames),
      ProfileUnitPrices(other.ProfileUnitPrices),
      ProfileAddedValues(other.ProfileAddedValues),
      ProfileAssociations(other.ProfileAssociations),
      LineWidths(other.LineWidths) {}

QORMldBOMCom::~QORMldBOMCom() {
  if (PanelAgent) {
    QORCommandDeletion(PanelAgent);
    PanelAgent = nullptr;
  }
  if (SaveBox) {
    SaveBox->Close();
    QORRelease(SaveBox);
  }
  QORRelease(SaveBoxAgent);
  if (CloseAgent) CloseAgent->RequestDelayedDestruction();
  CloseAgent = nullptr;
  if (ProductAgent) ProductAgent->RequestDelayedDestruction();
  ProductAgent = nullptr;
  if (ReportAgent) ReportAgent->RequestDelayedDestruction();
  ReportAgent = nullptr;
  // The dialog ends through its own delayed destruction, or with the panel agent.
  Dialog = nullptr;

  ClearLines();
  InstanceGroups.RemoveAll();
  ClearProfile();

  QORTlgServicesCacheList::GoToVisuMode();
  QORTlgServicesCacheList::Close();
}

const char* QORMldBOMCom::GetResourceFilename(int index) const {
  if (index <= 0) return "QORMldBOMCom";
  return QORStateCommand::GetResourceFilename(index - 1);
}

QORStatusChange QORMldBOMCom::Activate(QORCommand* /*from*/, QORNotification* /*notification*/) {
  if (Dialog)
    Dialog->SetVisibility(QORDlgShow);
  else
    RequestDelayedDestruction();
  return 0;
}

QORStatusChange QORMldBOMCom::Desactivate(QORCommand* /*from*/, QORNotification* /*notification*/) {
  if (Dialog) Dialog->SetVisibility(QORDlgHide);
  return 0;
}

QORStatusChange QORMldBOMCom::Cancel(QORCommand* from, QORNotification* notification) {
  return Desactivate(from, notification);
}

// =============================================================================================
// State graph
// =============================================================================================

void QORMldBOMCom::BuildGraph() {
  CreateAgents();
  CreateSaveBox();
  AddStatesAndTransitions();
  if (!SaveBox) return;
  const QORUnicodeString extension("csv");
  const QORUnicodeString description = QORUnicodeString("Microsoft Excel text file") + "(*." + extension + ")";
  SaveBox->AddFileFilter(description, QORUnicodeString("*.") + extension, FilterFlag);
  ApplyReplayPresets();
}

// The report button's activation, which the panel agent hears through the dialog.
QORNotification* QORMldBOMCom::ReportActivation() const {
  QORDlgPushButton* reportButton = Dialog ? Dialog->GetReportButton() : nullptr;
  return reportButton ? reportButton->GetPushBActivateNotification() : nullptr;
}

void QORMldBOMCom::CreateAgents() {
  ProductAgent = new QORPathElementAgent("ProdSel", 0x40);
  if (ProductAgent) ProductAgent->SetOrderedElementType(QORIProduct::ClassName());

  // Without a dialog there is nothing to close and no report button to hear.
  if (Dialog) {
    CloseAgent = new QORDialogAgent("Close", 0, 3);
    if (CloseAgent) {
      CloseAgent->AcceptOnNotify(Dialog, Dialog->GetDiaCLOSENotification());
      CloseAgent->AcceptOnNotify(Dialog, Dialog->GetWindCloseNotification());
    }
    PanelAgent = new QORPanelAcquisition("CmdBom", Dialog);
    if (PanelAgent && ReportActivation()) PanelAgent->AcceptOnNotify(Dialog, ReportActivation());
  }

  ReportAgent = new QORDialogAgent("OKReport", 0x10, 3);
  if (ReportAgent) ReportAgent->AcceptOnNotify(nullptr, QORMldFileOpenOKNotif::ClassName());
}

void QORMldBOMCom::CreateSaveBox() {
  QORDialog* father = Dialog ? Dialog->GetFatherWindow() : nullptr;
  QORFileMenuMethods::CreateCurrentDocEnvDialogBox(father, "SaveBom", SaveBoxStyle, SaveBox, nullptr);
  if (!SaveBox) return;
  SaveBox->SetTitle(QORUnicodeString("Save Bill Of Material As"));
  QORDlgDialog* boxDialog = SaveBox->GetDialog();
  SaveBoxAgent = new QORDialogAgent("ACQ_PrintBom", 0, 3);
  if (!SaveBoxAgent) return;
  SaveBoxAgent->AcceptOnNotify(boxDialog, SaveBox->GetCancelNotification());
  SaveBoxAgent->AcceptOnNotify(boxDialog, SaveBox->GetOKNotification());
}

void QORMldBOMCom::AddStatesAndTransitions() {
  QORDialogState* initialState = GetInitialState("InitialState");
  QORDialogState* selectState = AddDialogState("Select Bom File");
  if (selectState) {
    if (SaveBoxAgent) selectState->AddDialogAgent(SaveBoxAgent);
    if (PanelAgent) selectState->AddDialogAgent(PanelAgent);
  }
  if (!initialState) return;
  if (CloseAgent) initialState->AddDialogAgent(CloseAgent);
  if (ReportAgent) initialState->AddDialogAgent(ReportAgent);
  if (ProductAgent) initialState->AddDialogAgent(ProductAgent);
  if (PanelAgent) initialState->AddDialogAgent(PanelAgent);

  // The box is shown only once the report button is known to be what moved the engine.
  if (PanelAgent && selectState)
    AddTransition(initialState, selectState,
                  AndCondition(IsLastModifiedAgentCondition(PanelAgent, ReportActivation()),
                               Condition(static_cast<QORActionMethod>(&QORMldBOMCom::BomAsked))),
                  nullptr);
  if (CloseAgent)
    AddTransition(initialState, nullptr, IsOutputSetCondition(CloseAgent),
                  Action(static_cast<QORActionMethod>(&QORMldBOMCom::ActClose)));
  if (ReportAgent)
    AddTransition(initialState, initialState, IsOutputSetCondition(ReportAgent),
                  Action(static_cast<QORActionMethod>(&QORMldBOMCom::ActSelReport)));
  if (ProductAgent)
    AddTransition(initialState, initialState, IsOutputSetCondition(ProductAgent),
                  Action(static_cast<QORActionMethod>(&QORMldBOMCom::ActSelProd)));
  if (!SaveBox || !SaveBoxAgent || !selectState) return;
  AddTransition(selectState, initialState, IsLastModifiedAgentCondition(SaveBoxAgent, SaveBox->GetCancelNotification()),
                Action(static_cast<QORActionMethod>(&QORMldBOMCom::CancelDocEnvDialogBox)));
  AddTransition(selectState, initialState, IsLastModifiedAgentCondition(SaveBoxAgent, SaveBox->GetOKNotification()),
                Action(static_cast<QORActionMethod>(&QORMldBOMCom::SaveAsBom)));
}

// Replay and capture sessions name their files through the environment.
void QORMldBOMCom::ApplyReplayPresets() {
  QORRecord* recorder = QORRecord::GetMain();
  if (!SaveBox || !recorder || !(recorder->IsReplay() || recorder->IsCapture())) return;
  QORUnicodeString initialProfile;
  QORUnicodeString profile;
  if (ReadEnvironment("TlgBOM_RPL_BOMINIT_FULLNAME", initialProfile) &&
      ReadEnvironment("TlgBOM_RPL_BOM_FULLNAME", profile))
    QORFCopy(initialProfile, profile, 0);
  QORUnicodeString directory;
  QORUnicodeString name;
  QORUnicodeString fullName;
  if (!ReadEnvironment("TlgBOM_RPL_CSV_DIR", directory)) return;
  SaveBox->SetDirectory(directory);
  if (!ReadEnvironment("TlgBOM_RPL_CSV_NAME", name)) return;
  SaveBox->SetFileName(name);
  if (ReadEnvironment("TlgBOM_RPL_CSV_FULLNAME", fullName) && FileExists(fullName)) QORDeleteFile(fullName);
}

QORBoolean QORMldBOMCom::BomAsked(void* /*data*/) {
  if (!SaveBox) return FALSE;
  SaveBox->SetVisibility(QORDlgShow);
  return TRUE;
}

QORBoolean QORMldBOMCom::CancelDocEnvDialogBox(void* /*data*/) {
  if (SaveBox) {
    SaveBox->SetVisibility(QORDlgHide);
    if (SaveBoxAgent) SaveBoxAgent->InitializeAcquisition();
  }
  return TRUE;
}

QORBoolean QORMldBOMCom::ActSelReport(void* /*data*/) {
  // Re-armed before reading, so that a choice made while the profile is read is heard.
  if (ReportAgent) ReportAgent->InitializeAcquisition();
  GetProfile();
  return TRUE;
}

// =============================================================================================
// Component classification and attributes
// =============================================================================================

QORBoolean QORMldBOMCom::FindToolingType(const QORListOfQORUnicodeString& types, const QORUnicodeString& type) const {
  for (const QORUnicodeString& candidate : types)
    if (candidate == type) return TRUE;
  return FALSE;
}

HRESULT QORMldBOMCom::GetReferenceInPart(int mode, const QORIProduct_var& instance, QORUnicodeString& value,
                                         QORICkeParm_var& parameter) const {
  if (!instance) return E_FAIL;
  QORIProduct_var reference = instance->GetReferenceProduct();
  if (!reference) return E_FAIL;
  parameter = nullptr;

  QORUnicodeString moldReference;
  QORUnicodeString unitPrice;
  QORICkeParm_var unitPriceParameter;
  QORIParmPublisher_var publisher(reference);
  if (publisher) {
    QORListValQORISpecObject_var children;
    publisher->GetAllChildren(QORICkeParm::ClassName(), children);
    for (const QORISpecObject_var& child : children) {
      QORICkeParm_var candidate(child);
      if (!candidate) continue;
      const QORUnicodeString name = candidate->GetName();
      if (!IsStringParameter(candidate) && !(mode == 2 && IsRealParameter(candidate))) continue;
      const QORUnicodeString relativeName = RelativeName(candidate);
      if (mode == 1 && (name == "RefMold" || relativeName == "RefMold")) {
        moldReference = ValueText(candidate);
        break;
      }
      if (mode == 2 && (name == "UnitPrice" || relativeName == "UnitPrice")) {
        unitPrice = ValueText(candidate);
        unitPriceParameter = candidate;
        break;
      }
    }
  }

  if (!moldReference.IsEmpty()) {
    value = moldReference;
  } else if (mode == 2 && !unitPrice.IsEmpty()) {
    value = unitPrice;
    parameter = unitPriceParameter;
  } else {
    return E_FAIL;
  }
  return S_OK;
}

// =============================================================================================
// Number labels
// =============================================================================================

void QORMldBOMCom::ComputeLabelFromIndex(int index, QORUnicodeString& label) const {
  label.Empty();
  if (index < 0) return;
  const int repetitions = index / 26 + 1;
  int slot = index % 26;
  // I, O, Q and X read too much like digits and signs: they show as the next letter.
  if (slot == 8 || slot == 14 || slot == 16 || slot == 23) ++slot;
  label = QORUnicodeString(std::string(static_cast<std::size_t>(repetitions), static_cast<char>('A' + slot)));
}

HRESULT QORMldBOMCom::CheckThatLabelIsAuthorized(const QORUnicodeString& label) const {
  const std::string& text = label.Utf8();
  if (text.empty()) return E_FAIL;
  // Only A to Z are letters of a label; a multibyte character never is.
  const char first = text[0];
  if (first < 'A' || first > 'Z') return E_FAIL;
  for (const char c : text)
    if (c != first) return E_FAIL;
  return S_OK;
}

int QORMldBOMCom::ComputeIndexFromLabel(const QORUnicodeString& label) const {
  if (FAILED(CheckThatLabelIsAuthorized(label))) return -1;
  const long long length = label.GetLengthInByte();
  const long long index = 26 * length + static_cast<unsigned char>(label.Utf8()[0]) - 91;
  if (index > INT_MAX) return -1;
  return static_cast<int>(index);
}

void QORMldBOMCom::NextLetterLabel(int& counter, QORUnicodeString& label) const {
  counter = BoundedNumber(static_cast<long long>(counter) + 1);
  ComputeLabelFromIndex(counter, label);
  // The twin index of J, P, R or Y would give the same label again.
  if (Contains(label, "J") || Contains(label, "P") || Contains(label, "R") || Contains(label, "Y"))
    counter = BoundedNumber(static_cast<long long>(counter) + 1);
}

// =============================================================================================
// Product analysis
// =============================================================================================

QORBoolean QORMldBOMCom::ActSelProd(void* /*data*/) {
  AnalyseProduct(SelectedAssembly());
  if (ProductAgent) ProductAgent->InitializeAcquisition();
  return FALSE;
}

QORIProduct_var QORMldBOMCom::SelectedAssembly() const {
  if (!ProductAgent) return nullptr;
  QORBaseUnknown_var selected = ProductAgent->GetElementValue();
  if (!selected) return nullptr;
  QORIProduct_var product(selected);
  // One product per command, and only an assembly has lines to show.
  if (AnalysedProduct || !product || !Dialog || QORPrdIsAProductFromQORPart(product)) return nullptr;
  return product;
}

void QORMldBOMCom::ClearLines() {
  LineProducts.RemoveAll();
  LineTypes.RemoveAll();
  LineIndexes.RemoveAll();
  LineQuantities.RemoveAll();
  LinePartNumbers.RemoveAll();
  LineReferences.RemoveAll();
  LineMoldReferences.RemoveAll();
  LineSuppliers.RemoveAll();
  LineMaterials.RemoveAll();
  LineSources.RemoveAll();
  LineHeatTreats.RemoveAll();
  LineInstanceNames.RemoveAll();
  LineUnitPrices.RemoveAll();
  LineWidths.RemoveAll();
}

void QORMldBOMCom::AnalyseProduct(const QORIProduct_var& product) {
  const SourceTexts sources = LookUpSourceTexts();
  if (!product || !Dialog) return;

  ClearLines();
  InstanceGroups.RemoveAll();

  QORListValQORBaseUnknown_var* children = product->GetChildren(QORIProduct::ClassName());
  if (!children) return;
  const QORBoolean integerMode = Dialog->IsIntegerMode();
  const QORBoolean keepMode = Dialog->IsKeepMode();

  // Declared before the records, which point into it.
  TextPool pool;
  std::vector<QORMldBOMInstanceRecord> records;
  // Reserved so that a large mold's records are never held twice while the vector grows.
  records.reserve(static_cast<std::size_t>(children->Size()));
  WidthMaxima maxima;
  for (const QORBaseUnknown_var& child : *children) {
    QORIProduct_var instance(child);
    if (!instance) continue;
    QORMldBOMInstanceRecord record;
    if (ReadInstance(*this, instance, record, maxima, sources, pool))
      records.push_back(std::move(record));
  }
  delete children;

  if (records.empty()) return;
  BuildLines(records);
  LineWidths = WidthList(maxima);
  ShowLines(product, records, LineWidths, integerMode, keepMode);
}

void QORMldBOMCom::AppendLine(const QORMldBOMInstanceRecord& record, int quantity) {
  LineProducts.Append(QORBaseUnknown_var(record.product));
  LineTypes.Append(*record.type);
  LineIndexes.Append(IntegerText(LineIndexes.Size() + 1));
  LineQuantities.Append(IntegerText(quantity));
  LinePartNumbers.Append(*record.partNumber);
  LineReferences.Append(*record.reference);
  LineMoldReferences.Append(*record.moldReference);
  LineSuppliers.Append(*record.supplier);
  LineMaterials.Append(*record.material);
  LineSources.Append(*record.source);
  LineHeatTreats.Append(*record.heatTreat);
  LineInstanceNames.Append(record.instanceName);
  LineUnitPrices.Append(*record.unitPrice);
}

// Instances that stand for the same component become one line: same REFERENCE, or, without one,
// instances of the same product. Each record goes to the earliest head that claims it, and the
// last record never heads a group; the buckets only spare walking every later record per head.
void QORMldBOMCom::BuildLines(const std::vector<QORMldBOMInstanceRecord>& records) {
  const int count = static_cast<int>(records.size());
  // Keyed by the pooled text: equal references share one address.
  std::unordered_map<const QORUnicodeString*, std::vector<int>> byReference;
  std::unordered_map<const void*, std::vector<int>> byObject;
  for (int j = 0; j < count; ++j) {
    if (!records[j].reference->IsEmpty()) byReference[records[j].reference].push_back(j);
    if (records[j].product) byObject[ObjectIdentity(records[j].product)].push_back(j);
  }
  std::vector<int> counts(records.size(), 0);
  std::vector<int> claimed;
  for (int i = 0; i < count - 1; ++i) {
    if (counts[i] != 0) continue;
    const QORMldBOMInstanceRecord& head = records[i];
    claimed.clear();
    if (!head.reference->IsEmpty()) {
      claimed = byReference[head.reference];
    } else {
      QORListValQORBaseUnknown_var instances;
      QORTlgServicesProduct::GetAllInstanceFromProduct(head.product, instances);
      if (instances.Size() > 1) {
        const void* headObject = ObjectIdentity(head.product);
        for (const QORBaseUnknown_var& instance : instances) {
          const void* object = ObjectIdentity(instance);
          if (object == headObject) continue;
          const auto found = byObject.find(object);
          if (found != byObject.end()) claimed.insert(claimed.end(), found->second.begin(), found->second.end());
        }
        std::sort(claimed.begin(), claimed.end());
        claimed.erase(std::unique(claimed.begin(), claimed.end()), claimed.end());
      }
    }
    QORUnicodeString group = head.instanceName;
    int members = 1;
    for (const int j : claimed) {
      if (j <= i || counts[j] != 0) continue;
      counts[j] = -1;
      ++members;
      group.Append(";");
      group.Append(records[j].instanceName);
    }
    counts[i] = members;
    InstanceGroups.Append(group);
  }
  for (int i = 0; i < count; ++i)
    if (counts[i] != -1) AppendLine(records[i], counts[i] == 0 ? 1 : counts[i]);
}

void QORMldBOMCom::ShowLines(const QORIProduct_var& product, const std::vector<QORMldBOMInstanceRecord>& records,
                             const QORListOfInt& widths, QORBoolean integerMode, QORBoolean keepMode) {
  Dialog->InitReport();
  ProfileLookup.reset();
  AnalysedProduct = product;
  Dialog->SetProductToAnalyze(AnalysedProduct);

  Numbering numbering;
  numbering.integerMode = integerMode;
  numbering.keepMode = keepMode;
  int start = 1;
  if (integerMode) Dialog->GetStartAndIncrement(start, numbering.increment);
  // Below 0 only by the increment, so that the first number is the start itself.
  const long long first = static_cast<long long>(start) - numbering.increment;
  numbering.counter = integerMode ? static_cast<int>(std::clamp<long long>(first, -INT_MAX, INT_MAX)) : -1;
  if (keepMode && ProfileMaxNumber > 0) numbering.counter = ProfileMaxNumber;

  int sortType = 0;
  Dialog->GetTypeOfSort(sortType);
  if (sortType == 1) {
    QORListOfQORUnicodeString presentTypes;
    for (const QORUnicodeString& type : LineTypes)
      if (!FindToolingType(presentTypes, type)) presentTypes.Append(type);
    bool firstGroup = true;
    for (const QORUnicodeString& type : TypeOrder()) {
      if (!FindToolingType(presentTypes, type)) continue;
      if (!firstGroup) Dialog->AddBlankLine();
      firstGroup = false;
      for (int line = 1; line <= LineTypes.Size(); ++line)
        if (LineTypes[line] == type) ShowLine(line, widths, numbering);
    }
  } else {
    for (int line = 1; line <= LineTypes.Size(); ++line) ShowLine(line, widths, numbering);
  }

  QORListValQORBaseUnknown_var instances;
  QORListValQORISpecObject_var unitPriceParameters;
  for (const QORMldBOMInstanceRecord& record : records) {
    instances.Append(QORBaseUnknown_var(record.product));
    unitPriceParameters.Append(QORISpecObject_var(record.unitPriceParameter));
  }
  Dialog->SetAllParts(instances, InstanceGroups, unitPriceParameters);

  ShowProfileAddedColumns();
  ApplyProfileColumnOrder();
  Dialog->UpdatePrice();
}

void QORMldBOMCom::ShowLine(int line, const QORListOfInt& widths, Numbering& numbering) {
  QORListOfQORUnicodeString values;
  values.Append(NumberLabel(line, numbering));
  values.Append(LineQuantities[line]);
  values.Append(LinePartNumbers[line]);
  values.Append(LineReferences[line]);
  values.Append(LineMoldReferences[line]);
  values.Append(LineSuppliers[line]);
  values.Append(LineMaterials[line]);
  values.Append(LineSources[line]);
  values.Append(LineHeatTreats[line]);
  if (ProfileInstanceNames.Size() == 0) {
    values.Append(LineUnitPrices[line]);
  } else {
    // A component the profile does not know gets no unit price from its part.
    const int record = FindProfileRecord(LineInstanceNames[line]);
    if (record > 0) values.Append(EntryOr(ProfileUnitPrices, record, QORUnicodeString()));
  }
  Dialog->DisplayReport(values, widths);
  Dialog->SetAssociatedPart(QORIProduct_var(LineProducts[line]));
}

// The profile record standing for an instance: same name, or the name the instance groups lead to.
int QORMldBOMCom::FindProfileRecord(const QORUnicodeString& instanceName) {
  if (!ProfileLookup)
    ProfileLookup = std::make_unique<QORMldBOMNameLookup>(ProfileInstanceNames, ProfileAssociations, InstanceGroups);
  return ProfileLookup->FirstRecord(instanceName);
}

QORUnicodeString QORMldBOMCom::NumberLabel(int line, Numbering& numbering) {
  int kept = -1;
  if (numbering.keepMode) {
    const int record = FindProfileRecord(LineInstanceNames[line]);
    if (record > 0) kept = EntryOr(ProfileNumbers, record, -1);
  }
  QORUnicodeString label;
  if (numbering.integerMode) {
    if (kept >= 0) return IntegerText(kept);
    numbering.counter = BoundedNumber(static_cast<long long>(numbering.counter) + numbering.increment);
    return IntegerText(numbering.counter);
  }
  if (kept >= 0)
    ComputeLabelFromIndex(kept, label);
  else
    NextLetterLabel(numbering.counter, label);
  return label;
}

void QORMldBOMCom::ShowProfileAddedColumns() {
  if (ProfileColumnKinds.Size() == 0) return;
  AddProfileColumns(ProfileColumnKinds.Size());
  Dialog->DisplayAdded(ProfileInstanceNames, ProfileAddedValues, ProfileAssociations, InstanceGroups);
}

// The first count column definitions of the profile, in file order; an unknown kind adds nothing.
void QORMldBOMCom::AddProfileColumns(int count) {
  for (int k = 1; k <= count; ++k) {
    const QORUnicodeString kind = EntryOr(ProfileColumnKinds, k, QORUnicodeString());
    const QORUnicodeString title = EntryOr(ProfileColumnTitles, k, QORUnicodeString());
    if (IsKindText(kind, KindReadOnly)) {
      Dialog->AddCol(title, FALSE);
    } else if (IsKindText(kind, KindEditable)) {
      Dialog->AddCol(title, TRUE);
    } else if (IsKindText(kind, KindUserProperty)) {
      Dialog->AddColFromUserProperty(EntryOr(ProfileColumnProperties, k, QORUnicodeString()), title);
    }
  }
}

// Moves come before hides: the dialog moves columns only while none is hidden.
void QORMldBOMCom::ApplyProfileColumnOrder() {
  const int count = ProfileColumnPositions.Size();
  for (int position = 0; position < count; ++position) {
    for (int k = 1; k <= count; ++k) {
      if (PositionOfCode(ProfileColumnPositions[k]) != position) continue;
      Dialog->MoveColumnTo(k, position);
      break;
    }
  }
  for (int k = 1; k <= count; ++k) {
    const int code = ProfileColumnPositions[k];
    if (IsHiddenCode(code)) Dialog->HideCol(code - HiddenOffset);
  }
}

// =============================================================================================
// Profile writing
// =============================================================================================

QORBoolean QORMldBOMCom::ActClose(void* /*data*/) {
  WriteProfile();
  return TRUE;
}

void QORMldBOMCom::WriteProfile() {
  const QORUnicodeString path = Dialog ? Dialog->GetReportFile() : QORUnicodeString();
  if (path.IsEmpty()) return;
  unsigned int file = 0;
  if (!Dialog || FAILED(QORFOpen(path, "w+b", &file))) {
    ProfileWarning("ProfileOpenError");
    return;
  }
  auto fail = [&] {
    QORFClose(file);
    ProfileWarning("ProfileWriteError");
  };
  if (FAILED(QORMldBOMWriteHeader(Dialog, AnalysedProduct, file))) return fail();

  QORListOfQORUnicodeString marker;
  marker.Append(QORUnicodeString("DATA"));
  if (FAILED(QORMldBOMWriteLine(marker, file))) return fail();
  const int rowCount = Dialog->GetNumberOfLines();
  int partIndex = 1;
  QORListOfQORUnicodeString fields;  // one list for every line, so that its room is kept
  for (int row = 1; row < rowCount; ++row) {
    QORBoolean isBlank = FALSE;
    Dialog->GetLineInfo(row, partIndex, fields, isBlank);
    if (isBlank) continue;
    if (FAILED(QORMldBOMWriteLine(fields, file))) return fail();
    ++partIndex;
  }

  if (InstanceGroups.Size() > 0) {
    marker.RemoveAll();
    marker.Append(QORUnicodeString("ASSOCIATION"));
    if (FAILED(QORMldBOMWriteLine(marker, file))) return fail();
    for (const QORUnicodeString& group : InstanceGroups) {
      QORListOfQORUnicodeString line;
      line.Append(group);
      if (FAILED(QORMldBOMWriteLine(line, file))) return fail();
    }
  }
  QORFClose(file);
}

// =============================================================================================
// Profile reading
// =============================================================================================

void QORMldBOMCom::ClearProfile() {
  ProfileLookup.reset();
  ProfileMaxNumber = -1;
  ProfileColumnPositions.RemoveAll();
  ProfileColumnTitles.RemoveAll();
  ProfileColumnKinds.RemoveAll();
  ProfileColumnProperties.RemoveAll();
  ProfileNumbers.RemoveAll();
  ProfileInstanceNames.RemoveAll();
  ProfileUnitPrices.RemoveAll();
  ProfileAddedValues.RemoveAll();
  ProfileAssociations.RemoveAll();
}

HRESULT QORMldBOMCom::GetProfile() {
  ClearProfile();
  if (!Dialog) return S_OK;

  QORUnicodeString path;
  QORBoolean asReference = FALSE;
  if (!ChooseProfileFile(path, asReference)) return S_OK;
  if (!CheckProfileFile(path, asReference)) return S_OK;

  unsigned int file = 0;
  if (FAILED(QORFOpen(path, "rb", &file))) {
    ProfileWarning("ProfileOpenError");
    return S_OK;
  }
  QORListOfQORUnicodeString lines;
  if (FAILED(QORMldBOMReadLines(file, lines))) {
    QORFClose(file);
    ProfileWarning("ProfileEmpty");
    Dialog->SetReferenceFile(QORUnicodeString());
    return E_FAIL;
  }
  if (lines.Size() == 0) {
    QORFClose(file);
    return S_OK;
  }
  ProfileSettings settings;
  ParseProfile(lines, settings);
  QORFClose(file);
  if (settings.modeRead) ApplyProfileHeader(settings);
  return S_OK;
}

namespace {

// The reference seeds the profile: copied onto the report file, which is then the file read. A
// failed copy is not reported, but the report file is no longer named.
bool CopyReferenceOntoReport(QORMldBOMDlg& dialog, const QORUnicodeString& reference, const QORUnicodeString& report,
                             QORUnicodeString& path) {
  if (FAILED(QORFCopy(reference, report, 0))) {
    dialog.SetReportFile(QORUnicodeString());
    return false;
  }
  path = report;
  return true;
}

}  // namespace

// Decides which file to read; a reference profile is copied onto the report file when both are named.
QORBoolean QORMldBOMCom::ChooseProfileFile(QORUnicodeString& path, QORBoolean& asReference) {
  const QORUnicodeString report = Dialog->GetReportFile();
  const QORUnicodeString reference = Dialog->GetReferenceFile();
  const QORUnicodeString none;
  asReference = FALSE;

  if (report.IsEmpty()) {
    if (reference.IsEmpty()) return FALSE;
    path = reference;
    asReference = TRUE;
    return TRUE;
  }
  if (reference.GetLengthInChar() < 5) {
    path = report;
    return TRUE;
  }
  if (FileExists(report)) {
    if (!FileIsWritable(report)) {
      ProfileWarning("ProfileReadOnlyError", report);
      Dialog->SetReportFile(none);
      return FALSE;
    }
    if (report == reference) {
      ProfileWarning("ProfileIdentical");
      Dialog->SetReportFile(none);
      return FALSE;
    }
    return CopyReferenceOntoReport(*Dialog, reference, report, path) ? TRUE : FALSE;
  }
  if (!ProfileConfirmation("ProfileExistError", report)) {
    Dialog->SetReportFile(none);
    path = reference;
    asReference = TRUE;
    return TRUE;
  }
  return CopyReferenceOntoReport(*Dialog, reference, report, path) ? TRUE : FALSE;
}

QORBoolean QORMldBOMCom::CheckProfileFile(const QORUnicodeString& path, QORBoolean asReference) {
  const QORUnicodeString none;
  if (!FileExists(path)) {
    if (asReference) {
      ProfileWarning("ProfileRefExistError", path);
      Dialog->SetReferenceFile(none);
    } else if (!ProfileConfirmation("ProfileExistError", path)) {
      // Accepted, the report file stays and the profile is created when the dialog closes.
      Dialog->SetReportFile(none);
    }
    return FALSE;
  }
  if (!asReference && !FileIsWritable(path)) {
    ProfileWarning("ProfileReadOnlyError", path);
    Dialog->SetReportFile(none);
    return FALSE;
  }
  if (!FileIsReadable(path)) {
    ProfileWarning("ProfileWriteOnlyError", path);
    Dialog->SetReportFile(none);
    return FALSE;
  }
  return TRUE;
}

void QORMldBOMCom::ParseProfile(const QORListOfQORUnicodeString& lines, ProfileSettings& settings) {
  enum class Section { Header, Data, Association };
  Section section = Section::Header;
  if (lines[1] != "HEADER;") {
    ProfileWarning("ProfileEmpty");
    Dialog->SetReferenceFile(QORUnicodeString());
    return;
  }
  for (int lineNumber = 2; lineNumber <= lines.Size(); ++lineNumber) {
    const QORUnicodeString& line = lines[lineNumber];
    const bool isData = line == "DATA;";
    if (isData || line == "ASSOCIATION;") {
      if (section == Section::Header && !EndProfileHeader(lineNumber)) return;
      section = isData ? Section::Data : Section::Association;
      continue;
    }
    if (section == Section::Data) {
      ReadDataLine(line, settings);
      continue;
    }
    if (section == Section::Association) {
      ProfileAssociations.Append(line);
      continue;
    }
    const bool firstFieldSet = !SplitFields(line, 1)[1].IsEmpty();
    if (lineNumber == 2 && firstFieldSet) {
      if (!ReadSettingsLine(line, settings)) return;
    } else if (lineNumber == 3 && firstFieldSet) {
      if (!ReadFixedColumnLine(line)) return;
    } else if (!ReadColumnDefinitionLine(line, lineNumber, settings)) {
      return;
    }
  }
}

QORBoolean QORMldBOMCom::ReadSettingsLine(const QORUnicodeString& line, ProfileSettings& settings) {
  const QORListOfQORUnicodeString fields = SplitFields(line, 6);
  const QORUnicodeString& sort = fields[2];
  if (sort == "0" || sort == "1") {
    settings.sortType = sort == "1" ? 1 : 0;
  } else {
    settings.sortType = 0;
    ProfileWarning("ProfileInvalidSortType");
  }
  settings.keep = fields[3];
  if (settings.keep != "K" && settings.keep != "R") {
    settings.keep = QORUnicodeString("R");
    ProfileWarning("ProfileInvalidKeep");
  }
  settings.mode = fields[4];
  if (settings.mode != "0" && settings.mode != "A") {
    settings.mode = QORUnicodeString("0");
    ProfileWarning("ProfileInvalidNbrMode");
  }
  if (settings.mode == "0") {
    settings.start = AbsoluteValue(ReadInteger(fields[5], -1));
    settings.increment = AbsoluteValue(ReadInteger(fields[6], -1));
  } else {
    settings.start = -1;
    settings.increment = -1;
  }
  settings.modeRead = TRUE;
  return TRUE;
}

// Fields are read one at a time: the first bad one, missing or out of range, is the one reported.
QORBoolean QORMldBOMCom::ReadFixedColumnLine(const QORUnicodeString& line) {
  const QORListOfQORUnicodeString fields = SplitFields(line, FixedColumnCount);
  for (int k = 1; k <= FixedColumnCount; ++k) {
    if (fields[k].IsEmpty()) {
      ProfileWarning("ProfileInvalidFix");
      Dialog->SetReportFile(QORUnicodeString());
      return FALSE;
    }
    const int code = AbsoluteValue(ReadInteger(fields[k], -1));
    if (!IsValidPositionCode(code)) {
      ProfileWarning("ProfileInvalidFix2", IntegerText(k));
      Dialog->SetReportFile(QORUnicodeString());
      return FALSE;
    }
    ProfileColumnPositions.Append(code);
  }
  return TRUE;
}

QORBoolean QORMldBOMCom::ReadColumnDefinitionLine(const QORUnicodeString& line, int lineNumber,
                                                  ProfileSettings& settings) {
  const QORListOfQORUnicodeString fields = SplitFields(line, 4);
  const QORUnicodeString number = IntegerText(lineNumber);
  auto refuse = [&](const char* key) {
    ProfileWarning(key, number);
    Dialog->SetReportFile(QORUnicodeString());
    return FALSE;
  };

  const int code = ReadInteger(fields[1], -1);
  if (!IsValidPositionCode(code)) return refuse("ProfileInvalidAdded");
  ProfileColumnPositions.Append(code);

  const QORUnicodeString& title = fields[2];
  if (title.IsEmpty() || title.RemoveBlanks().IsEmpty()) return refuse("ProfileInvalidAdded2");
  ProfileColumnTitles.Append(title);

  const int kind = ReadInteger(fields[3], 0);
  if (kind != KindEditable && kind != KindReadOnly && kind != KindUserProperty) return refuse("ProfileInvalidAdded3");
  ProfileColumnKinds.Append(fields[3]);

  if (fields[4].IsEmpty() && kind == KindUserProperty) return refuse("ProfileInvalidAdded4");
  ProfileColumnProperties.Append(fields[4]);
  ++settings.addedCount;
  return TRUE;
}

// At the first section marker the header must be complete: no code twice, every position in the table.
// Codes are compared as written, so a shown and a hidden column on one position pass.
QORBoolean QORMldBOMCom::EndProfileHeader(int lineNumber) {
  if (lineNumber == 2 || lineNumber == 3) {
    ProfileWarning("ProfileHeaderError");
    Dialog->SetReportFile(QORUnicodeString());
    return FALSE;
  }
  const int count = ProfileColumnPositions.Size();
  if (count == 0) return FALSE;
  for (int k = 1; k <= count; ++k) {
    const int code = ProfileColumnPositions[k];
    const int position = PositionOfCode(code);
    const bool repeated = ProfileColumnPositions.Locate(code) != k;
    if (repeated || position < 0 || position >= count) {
      ProfileWarning("ProfileHeaderNumColError");
      Dialog->SetReportFile(QORUnicodeString());
      return FALSE;
    }
  }
  return TRUE;
}

void QORMldBOMCom::ReadDataLine(const QORUnicodeString& line, const ProfileSettings& settings) {
  const QORListOfQORUnicodeString fields = SplitFields(line, 3 + settings.addedCount);
  const QORUnicodeString& number = fields[1];
  int index = -1;
  if (!number.IsEmpty() && settings.mode == "0") index = ReadInteger(number, -1);
  if (!number.IsEmpty() && settings.mode == "A") index = ComputeIndexFromLabel(number);
  if (index > ProfileMaxNumber) ProfileMaxNumber = index;
  ProfileNumbers.Append(index);

  ProfileInstanceNames.Append(fields[2]);

  // Only a price below 0 is refused: "nan" is a number the scan reads, and not below 0.
  double price = 0.0;
  const bool validPrice = ScanDouble(fields[3].ConvertToChar(), price) && !(price < 0.0);
  ProfileUnitPrices.Append(validPrice ? fields[3] : QORUnicodeString());

  for (int k = 1; k <= settings.addedCount; ++k) ProfileAddedValues.Append(fields[3 + k]);
}

void QORMldBOMCom::ApplyProfileHeader(const ProfileSettings& settings) {
  const QORBoolean integers = settings.mode == "0" ? TRUE : FALSE;
  Dialog->SetTypeOfSort(settings.sortType);
  Dialog->SetKeepMode(settings.keep == "K" ? TRUE : FALSE);
  Dialog->SetNumberingMode(integers);
  Dialog->SetInitialNumberingMode(integers);
  Dialog->SetStartAndIncrement(settings.start, settings.increment);
  Dialog->InitReport();
  AddProfileColumns(settings.addedCount);
  ApplyProfileColumnOrder();
}

// =============================================================================================
// CSV report
// =============================================================================================

// The product's place in the host's tree: "/" and the alias of every element from the top down.
QORUnicodeString QORMldBOMCom::ProjectPath() const {
  QORUnicodeString projectPath;
  QORIPathAccess_var access(AnalysedProduct);
  if (!access) return projectPath;
  QORPathElement* path = nullptr;
  if (FAILED(access->GetPathElement(path)) || !path) {
    QORRelease(path);
    return projectPath;
  }
  path->InitToTopElement();
  for (QORBaseUnknown_var element = path->NextChildElement(); element; element = path->NextChildElement()) {
    QORIAlias_var alias(element);
    if (!alias) continue;
    projectPath.Append("/");
    projectPath.Append(alias->GetAlias());
  }
  QORRelease(path);
  return projectPath;
}

QORBoolean QORMldBOMCom::SaveAsBom(void* /*data*/) {
  const QORUnicodeString path = SaveBox ? SaveBox->GetSelectedPath() : QORUnicodeString();
  QORListOfQORUnicodeString dateLine;
  dateLine.Append(QORTlgErrorServices::BuildMessage(CommandCatalog, "ComputeDateTitle") +
                  QORTime().ConvertToString("%c", 0));
  const int rowCount = Dialog ? Dialog->GetNumberOfLines() : -1;
  QORListOfQORUnicodeString titles;
  if (Dialog) Dialog->GetColumnTitles(titles);

  unsigned int file = 0;
  if (FAILED(QORFOpen(path, "w+b", &file))) {
    CsvWarning("CsvOpenError");
  } else {
    WriteReport(file, dateLine, titles, rowCount);
    QORFClose(file);
  }
  // Hidden and re-armed whatever happened, so that the report can be saved again.
  if (SaveBox) {
    SaveBox->SetVisibility(QORDlgHide);
    if (SaveBoxAgent) SaveBoxAgent->InitializeAcquisition();
  }
  return TRUE;
}

void QORMldBOMCom::WriteReport(unsigned int file, const QORListOfQORUnicodeString& dateLine,
                               const QORListOfQORUnicodeString& titles, int rowCount) {
  if (FAILED(QORMldBOMWriteReportLine(dateLine, file))) return CsvWarning("CsvWriteError");

  QORListOfQORUnicodeString projectLine;
  projectLine.Append(QORTlgErrorServices::BuildMessage(CommandCatalog, "ProjectTitle") + ProjectPath());
  projectLine.Append(QORTlgErrorServices::BuildMessage(CommandCatalog, "OwnerTitle"));
  char login[LoginBufferSize] = {};
  projectLine.Append(QORGetLoginName(login, LoginBufferSize) == 0 ? QORUnicodeString(login) : QORUnicodeString());
  // A project line that cannot be written is not worth a message of its own.
  QORMldBOMWriteReportLine(projectLine, file);

  if (FAILED(QORMldBOMWriteReportLine(titles, file))) return CsvWarning("CsvWriteError");
  QORListOfQORUnicodeString cells;  // one list for every line, so that its room is kept
  for (int row = 1; row < rowCount; ++row) {
    Dialog->GetLine(row, cells);
    if (FAILED(QORMldBOMWriteReportLine(cells, file))) return CsvWarning("CsvWriteError");
  }
}
