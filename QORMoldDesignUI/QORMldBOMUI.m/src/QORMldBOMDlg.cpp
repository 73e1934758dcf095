// The BOM dialog: widgets and wiring, column model, table rows, prices, column commands,
// highlighting and the choice of profile files.
#include "QORMldBOMDlg.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <vector>

#include "QORMessages.h"
#include "QORMldBOMHelpers.h"
#include "QORMldBOMLookup.h"
#include "QORRecorder.h"
#include "QORSystemServices.h"

using namespace QORMldBOM;

const int QORMldBOMDlg::ColumnSlotCount = QORMldBOM::ColumnSlotCount;
const int QORMldBOMDlg::FixedColumnCount = QORMldBOM::FixedColumnCount;

// One click on a numbering radio button notifies both buttons; this toggle, shared by every
// dialog of the module, lets only the first of the two show the numbering-mode warning.
static int ModeChangeWarningToggle = 0;

namespace {

// Descriptors of the fixed columns the dialog itself computes with.
const int DescNumber = 1;
const int DescQuantity = 2;
const int DescPartNumber = 3;
const int DescUnitPrice = 10;
const int DescPrice = 11;

const int MarkerRow = 0;
const int SpareColumnWidth = 8;
const int VisibleLineCount = 30;

// Client data of the two profile-name editors.
const intptr_t ReportNameData = 99;
const intptr_t RefProfNameData = 98;

// Kinds of profile chosen through a file dialog.
const int ProfileKind = 0;
const int ReferenceKind = 1;

const char* const DialogCatalog = "QORMldBOMDlg";
const char* const CommandCatalog = "QORMldBOMCom";
const char* const ProfileExtension = ".bom";

// Catalog keys of the fixed titles, in the order FixedTitles holds them.
const char* const FixedTitleKeys[] = {"TitleNUMBER",   "TitleQUANTITY",  "TitlePARTNUMBER", "TitleREFERENCE",
                                      "TitleSUPPLIER", "TitleMATERIAL",  "TitleSOURCE",     "TitleHEATTREAT",
                                      "TitleUNITPRICE", "TitlePRICE",    "TitleMOLDREFERENCE"};

// Where FixedTitles keeps the title of each fixed descriptor: MOLDREFERENCE, fifth in the
// table, is held last.
const int FixedTitleSlotOfDescriptor[] = {0, 1, 2, 3, 10, 4, 5, 6, 7, 8, 9};

QORDialog* ApplicationMainWindow() {
  QORApplicationFrame* frame = QORApplicationFrame::GetFrame();
  return frame ? frame->GetMainWindow() : nullptr;
}

template <class Widget>
Widget* Create(QORDialog* parent, const char* identifier, int style) {
  return parent ? new Widget(parent, identifier, style) : nullptr;
}

void Show(QORDialog* widget) {
  if (widget) widget->SetVisibility(QORDlgShow);
}

void Hide(QORDialog* widget) {
  if (widget) widget->SetVisibility(QORDlgHide);
}

void Enable(QORDialog* widget) {
  if (widget) widget->SetSensitivity(QORDlgEnable);
}

void Disable(QORDialog* widget) {
  if (widget) widget->SetSensitivity(QORDlgDisable);
}

void EnableWhen(QORDialog* widget, bool enabled) {
  if (enabled)
    Enable(widget);
  else
    Disable(widget);
}

void PlaceOnGrid(QORDialog* widget, int row, int column, int columnSpan, int rowSpan, int justification) {
  if (widget) widget->SetGridConstraints(row, column, columnSpan, rowSpan, justification);
}

void SetText(QORDlgEditor* editor, const QORUnicodeString& text) {
  if (editor) editor->SetLine(text, -1, 0);
}

QORUnicodeString TextOf(const QORDlgEditor* editor) { return editor ? editor->GetLine() : QORUnicodeString(); }

template <class Button>
bool IsChecked(const Button* button) {
  return button && button->GetState() == QORDlgChecked;
}

template <class Button>
void SetChecked(Button* button, bool checked, int notify = 0) {
  if (button) button->SetState(checked ? QORDlgChecked : QORDlgUnchecked, notify);
}

QORNotification* ActivateOf(QORDlgPushButton* button) {
  return button ? button->GetPushBActivateNotification() : nullptr;
}

QORNotification* RepeatOf(QORDlgPushButton* button) {
  return button ? button->GetPushBRepetitiveNotification() : nullptr;
}

QORNotification* ModifyOf(QORDlgEditor* editor) { return editor ? editor->GetEditModifyNotification() : nullptr; }

QORNotification* ModifyOf(QORDlgRadioButton* radio) { return radio ? radio->GetRadBModifyNotification() : nullptr; }

bool Contains(const QORUnicodeString& text, const QORUnicodeString& part) { return text.SearchSubString(part) >= 0; }

// Text that holds no number counts 0, as a user leaving a price blank would expect.
double ScanReal(const QORUnicodeString& text) {
  double value = 0.0;
  if (!QORMldBOM::ScanDouble(text.ConvertToChar(), value)) value = 0.0;
  return value;
}

QORUnicodeString FormatReal(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%g", value);
  return QORUnicodeString(buffer);
}

// The width a long title needs; 0 when the column's width may stay as it is.
int WidthForTitle(int length) {
  const int width = length / 2 + 2;
  return (length > 8 && width > 10) ? width : 0;
}

QORUnicodeString InstanceNameOf(const QORBaseUnknown_var& object) {
  QORUnicodeString name;
  QORIProduct_var product(object);
  if (product) product->GetPrdInstanceName(name);
  return name;
}

QORUnicodeString WithProfileExtension(QORUnicodeString path) {
  if (path.GetLengthInChar() < 5 || !Contains(path, ProfileExtension)) path += ProfileExtension;
  return path;
}

}  // namespace

// =============================================================================================
// Construction, copy and destruction
// =============================================================================================

QORMldBOMDlg::QORMldBOMDlg() : QORDlgDialog(ApplicationMainWindow(), "QORMldBOMDlg", 0x10000000) {
  InitializeMembers();
  CurrentEditor = QORFrmEditor::GetCurrentEditor();
}

// The base is a new dialog window: a widget cannot share its place in the widget tree.
QORMldBOMDlg::QORMldBOMDlg(const QORMldBOMDlg& other)
    : QORBaseUnknown(other), QORDlgDialog(other.GetParent(), other.GetName(), other.GetStyle()) {
  InitializeMembers();
  CopyMembers(other);
}

QORMldBOMDlg& QORMldBOMDlg::operator=(const QORMldBOMDlg& other) {
  if (this == &other) return *this;
  QORRelease(ProfileFileBox);
  QORRelease(ProfileChooser);
  CopyMembers(other);
  return *this;
}

QORMldBOMDlg::~QORMldBOMDlg() {
  RemoveCallbacks();
  ForgetWidgets();
  QORRelease(ProfileFileBox);
  QORRelease(ProfileChooser);
  ColumnPositions.RemoveAll();
  ColumnKinds.RemoveAll();
  ColumnProperties.RemoveAll();
  AssociatedParts.RemoveAll();
  ComponentInstances.RemoveAll();
  InstanceGroups.RemoveAll();
  UnitPriceParameters.RemoveAll();
  EmptyHSO();
  CurrentEditor = nullptr;
}

void QORMldBOMDlg::InitializeMembers() {
  CbClose = CbWindClose = CbSave = CbAdd = CbAddUser = CbLeft = CbLeftRepeat = CbRight = CbRightRepeat = 0;
  CbHide = CbDisplay = CbRename = CbDelete = CbCellModify = CbColumnActivate = CbListSelect = 0;
  CbRadioInteger = CbRadioLetter = CbStartNumber = CbIncrNumber = CbEditName = CbEditNameUser = 0;
  CbEditRename = CbFileOpen = CbOpenRefProf = CbReportName = CbRefProfName = 0;
  ForgetWidgets();
  CurrentEditor = nullptr;
  ProfileChooser = nullptr;
  ProfileFileBox = nullptr;
  for (QORUnicodeString& title : FixedTitles) title.Empty();
  ReportFile.Empty();
  ReferenceFile.Empty();
  InitialNumberingMode = -1;
  NumberOfItems = FixedColumnCount;
  SelectedColumn = -1;
  ColumnPositions.RemoveAll();
  ColumnKinds.RemoveAll();
  ColumnProperties.RemoveAll();
  AssociatedParts.RemoveAll();
  ComponentInstances.RemoveAll();
  InstanceGroups.RemoveAll();
  UnitPriceParameters.RemoveAll();
  PartLookup.reset();
}

// Member by member; the file dialogs are shared, so the copy holds its own reference on them.
void QORMldBOMDlg::CopyMembers(const QORMldBOMDlg& other) {
  CbClose = other.CbClose;
  CbWindClose = other.CbWindClose;
  CbSave = other.CbSave;
  CbAdd = other.CbAdd;
  CbAddUser = other.CbAddUser;
  CbLeft = other.CbLeft;
  CbLeftRepeat = other.CbLeftRepeat;
  CbRight = other.CbRight;
  CbRightRepeat = other.CbRightRepeat;
  CbHide = other.CbHide;
  CbDisplay = other.CbDisplay;
  CbRename = other.CbRename;
  CbDelete = other.CbDelete;
  CbCellModify = other.CbCellModify;
  CbColumnActivate = other.CbColumnActivate;
  CbListSelect = other.CbListSelect;
  CbRadioInteger = other.CbRadioInteger;
  CbRadioLetter = other.CbRadioLetter;
  CbStartNumber = other.CbStartNumber;
  CbIncrNumber = other.CbIncrNumber;
  CbEditName = other.CbEditName;
  CbEditNameUser = other.CbEditNameUser;
  CbEditRename = other.CbEditRename;
  CbFileOpen = other.CbFileOpen;
  CbOpenRefProf = other.CbOpenRefProf;
  CbReportName = other.CbReportName;
  CbRefProfName = other.CbRefProfName;
  FrmRoot = other.FrmRoot;
  FrmNumber = other.FrmNumber;
  FrmMode = other.FrmMode;
  FrmExisting = other.FrmExisting;
  FrmTop = other.FrmTop;
  FrmBottom = other.FrmBottom;
  LbProdSel = other.LbProdSel;
  ProductSelector = other.ProductSelector;
  CheckSort = other.CheckSort;
  FrmResults = other.FrmResults;
  ComboDisplay = other.ComboDisplay;
  ListBOM = other.ListBOM;
  PushLeft_ = other.PushLeft_;
  PushRight_ = other.PushRight_;
  PushHide_ = other.PushHide_;
  PushDisplay_ = other.PushDisplay_;
  PushAdd_ = other.PushAdd_;
  PushAddUser = other.PushAddUser;
  PushRename_ = other.PushRename_;
  PushDelete_ = other.PushDelete_;
  PushFileOpen = other.PushFileOpen;
  PushOpenRefProf = other.PushOpenRefProf;
  RadioInteger = other.RadioInteger;
  RadioLetter = other.RadioLetter;
  RadioKeep = other.RadioKeep;
  RadioReplace = other.RadioReplace;
  CheckEditable = other.CheckEditable;
  StartNumber = other.StartNumber;
  LbIntStart = other.LbIntStart;
  IncrNumber = other.IncrNumber;
  LbIntIncr = other.LbIntIncr;
  EditRename = other.EditRename;
  ReportName = other.ReportName;
  RefProfName = other.RefProfName;
  EditName = other.EditName;
  EditNameUser = other.EditNameUser;
  LbTotalPrice = other.LbTotalPrice;
  EditTotalPrice = other.EditTotalPrice;
  CurrentEditor = other.CurrentEditor;
  ProfileChooser = other.ProfileChooser;
  if (ProfileChooser) ProfileChooser->AddRef();
  ProfileFileBox = other.ProfileFileBox;
  if (ProfileFileBox) ProfileFileBox->AddRef();
  for (int i = 0; i < FixedColumnCount; ++i) FixedTitles[i] = other.FixedTitles[i];
  ReportFile = other.ReportFile;
  ReferenceFile = other.ReferenceFile;
  InitialNumberingMode = other.InitialNumberingMode;
  NumberOfItems = other.NumberOfItems;
  SelectedColumn = other.SelectedColumn;
  ColumnPositions = other.ColumnPositions;
  ColumnKinds = other.ColumnKinds;
  ColumnProperties = other.ColumnProperties;
  AssociatedParts = other.AssociatedParts;
  ComponentInstances = other.ComponentInstances;
  InstanceGroups = other.InstanceGroups;
  UnitPriceParameters = other.UnitPriceParameters;
  PartLookup.reset();
  PushAnalyze = other.PushAnalyze;
}

// The toolkit destroys the widgets with the dialog; the dialog only forgets them.
void QORMldBOMDlg::ForgetWidgets() {
  FrmRoot = FrmNumber = FrmMode = FrmExisting = FrmTop = FrmBottom = FrmResults = nullptr;
  LbProdSel = LbIntStart = LbIntIncr = LbTotalPrice = nullptr;
  ProductSelector = StartNumber = IncrNumber = EditRename = ReportName = RefProfName = nullptr;
  EditName = EditNameUser = EditTotalPrice = nullptr;
  CheckSort = CheckEditable = nullptr;
  ComboDisplay = nullptr;
  ListBOM = nullptr;
  PushLeft_ = PushRight_ = PushHide_ = PushDisplay_ = PushAdd_ = PushAddUser = nullptr;
  PushRename_ = PushDelete_ = PushFileOpen = PushOpenRefProf = PushAnalyze = nullptr;
  RadioInteger = RadioLetter = RadioKeep = RadioReplace = nullptr;
}

void QORMldBOMDlg::RemoveCallbacks() {
  QORCallback* handles[] = {&CbClose,        &CbWindClose,     &CbSave,        &CbAdd,          &CbAddUser,
                            &CbLeft,         &CbLeftRepeat,    &CbRight,       &CbRightRepeat,  &CbHide,
                            &CbDisplay,      &CbRename,        &CbDelete,      &CbCellModify,   &CbColumnActivate,
                            &CbListSelect,   &CbRadioInteger,  &CbRadioLetter, &CbStartNumber,  &CbIncrNumber,
                            &CbEditName,     &CbEditNameUser,  &CbEditRename,  &CbFileOpen,     &CbOpenRefProf,
                            &CbReportName,   &CbRefProfName};
  for (QORCallback* handle : handles) {
    if (*handle == 0) continue;
    RemoveAnalyseNotificationCB(*handle);
    *handle = 0;
  }
}

const char* QORMldBOMDlg::GetResourceFilename(int level) const {
  if (level > 0) return QORDialog::GetResourceFilename(level - 1);
  return "QORMldBOMDlg";
}

// =============================================================================================
// Build
// =============================================================================================

void QORMldBOMDlg::Build() {
  LoadFixedTitles();
  QORDlgLabel* lbMode = nullptr;
  QORDlgLabel* lbExisting = nullptr;
  CreateWidgets(lbMode, lbExisting);
  LayOutFrames();
  PlaceGridChildren(lbMode, lbExisting);
  WireCallbacks();
  // The marker row: row 0 only ever carries the icon above the selected column.
  if (ListBOM) {
    ListBOM->SetColumnItem(0, "", "", -1, QORDlgDataAdd);
    ListBOM->SetRowEditable(MarkerRow, 0);
  }
}

void QORMldBOMDlg::LoadFixedTitles() {
  QORMsgCatalog catalog;
  catalog.LoadMsgCatalog(DialogCatalog);
  for (int i = 0; i < FixedColumnCount; ++i) {
    QORMsg message;
    if (SUCCEEDED(catalog.GetCatalogMsg(FixedTitleKeys[i], message))) message.BuildMessage(FixedTitles[i], nullptr, 0);
  }
}

QORUnicodeString QORMldBOMDlg::FixedTitle(int descriptor) const {
  if (descriptor < 1 || descriptor > FixedColumnCount) return QORUnicodeString();
  return FixedTitles[FixedTitleSlotOfDescriptor[descriptor - 1]];
}

void QORMldBOMDlg::CreateWidgets(QORDlgLabel*& lbMode, QORDlgLabel*& lbExisting) {
  FrmRoot = Create<QORDlgFrame>(this, "FrmRoot", 0x80000);
  FrmNumber = Create<QORDlgFrame>(FrmRoot, "FrmNumber", 1);
  LbProdSel = Create<QORDlgLabel>(FrmNumber, "LbProdSel", 0);
  ProductSelector = Create<QORDlgEditor>(FrmNumber, "ProductSelector", QORDlgEdtReadOnly);
  CheckSort = Create<QORDlgCheckButton>(FrmNumber, "CheckSort", 0);
  SetChecked(CheckSort, false);
  PushFileOpen = Create<QORDlgPushButton>(FrmNumber, "PushFileOpen", 0);
  ReportName = Create<QORDlgEditor>(FrmNumber, "ReportName", 0);
  PushOpenRefProf = Create<QORDlgPushButton>(FrmNumber, "PushOpenRefProf", 0);
  RefProfName = Create<QORDlgEditor>(FrmNumber, "RefProfName", 0);

  FrmMode = Create<QORDlgFrame>(FrmNumber, "FrmMode", 0x80001);
  lbMode = Create<QORDlgLabel>(FrmMode, "LbMode", 0);
  RadioInteger = Create<QORDlgRadioButton>(FrmMode, "RadioInteger", 0);
  SetChecked(RadioInteger, true, /*notify=*/1);
  RadioLetter = Create<QORDlgRadioButton>(FrmMode, "RadioLetter", 0);
  SetChecked(RadioLetter, false);
  LbIntStart = Create<QORDlgLabel>(FrmMode, "LbIntStart", 0);
  LbIntIncr = Create<QORDlgLabel>(FrmMode, "LbIntIncr", 0);
  StartNumber = Create<QORDlgEditor>(FrmMode, "StartNumber", QORDlgEdtInteger);
  if (StartNumber) StartNumber->SetIntegerValue(1, /*notify=*/0);
  IncrNumber = Create<QORDlgEditor>(FrmMode, "IncrNumber", QORDlgEdtInteger);
  if (IncrNumber) IncrNumber->SetIntegerValue(1, /*notify=*/0);

  FrmExisting = Create<QORDlgFrame>(FrmNumber, "FrmExisting", 0x80001);
  lbExisting = Create<QORDlgLabel>(FrmExisting, "LbExisting", 0);
  RadioKeep = Create<QORDlgRadioButton>(FrmExisting, "RadioKeep", 0);
  SetChecked(RadioKeep, false);
  Disable(RadioKeep);
  RadioReplace = Create<QORDlgRadioButton>(FrmExisting, "RadioReplace", 0);
  SetChecked(RadioReplace, true, /*notify=*/1);
  Disable(RadioReplace);

  FrmTop = Create<QORDlgFrame>(FrmRoot, "FrmTop", 1);
  Disable(FrmTop);
  CheckEditable = Create<QORDlgCheckButton>(FrmTop, "CheckEditable", 0);
  SetChecked(CheckEditable, true, /*notify=*/0);
  EditName = Create<QORDlgEditor>(FrmTop, "EditName", 0);
  PushAdd_ = Create<QORDlgPushButton>(FrmTop, "PushAdd", 0);
  Disable(PushAdd_);
  EditNameUser = Create<QORDlgEditor>(FrmTop, "EditNameUser", 0);
  PushAddUser = Create<QORDlgPushButton>(FrmTop, "PushAddUser", 0);
  Disable(PushAddUser);
  PushLeft_ = Create<QORDlgPushButton>(FrmTop, "PushLeft", QORDlgPushBRepetitive);
  Disable(PushLeft_);
  if (PushLeft_) PushLeft_->SetIconName("I_MoveLeft", "", "", "", 0);
  PushRename_ = Create<QORDlgPushButton>(FrmTop, "PushRename", 0);
  Hide(PushRename_);
  Disable(PushRename_);
  EditRename = Create<QORDlgEditor>(FrmTop, "EditRename", 0);
  Hide(EditRename);
  PushDelete_ = Create<QORDlgPushButton>(FrmTop, "PushDelete", 0);
  Hide(PushDelete_);
  Disable(PushDelete_);
  PushRight_ = Create<QORDlgPushButton>(FrmTop, "PushRight", QORDlgPushBRepetitive);
  Disable(PushRight_);
  if (PushRight_) PushRight_->SetIconName("I_MoveRight", "", "", "", 0);
  PushHide_ = Create<QORDlgPushButton>(FrmTop, "PushHide", 0);
  Disable(PushHide_);
  PushDisplay_ = Create<QORDlgPushButton>(FrmTop, "PushDisplay", 0);
  Hide(PushDisplay_);
  ComboDisplay = Create<QORDlgCombo>(FrmTop, "ComboDisplay", 0x40000);
  Hide(ComboDisplay);
  FillComboDisplay();

  FrmResults = Create<QORDlgFrame>(FrmRoot, "FrmResults", 0);
  ListBOM = Create<QORDlgMultiList>(FrmResults, "ListBOM", 0);
  if (ListBOM) {
    SetUpTableColumns();
    for (int k = 1; k <= ColumnSlotCount; ++k) {
      const bool fixed = k <= FixedColumnCount;
      ColumnPositions.Append(fixed ? k - 1 : HiddenOffset + k - 1);
      ColumnKinds.Append(fixed ? KindFixed : KindSpare);
      ColumnProperties.Append(QORUnicodeString());
    }
  }

  FrmBottom = Create<QORDlgFrame>(FrmRoot, "FrmBottom", 0x80001);
  Disable(FrmBottom);
  PushAnalyze = Create<QORDlgPushButton>(FrmBottom, "PushAnalyze", 0);
  LbTotalPrice = Create<QORDlgLabel>(FrmBottom, "LbTotalPrice", 0);
  EditTotalPrice = Create<QORDlgEditor>(FrmBottom, "EditTotalPrice", QORDlgEdtReadOnly | QORDlgEdtFloat);
  if (EditTotalPrice) EditTotalPrice->SetFloatValue(0.0, /*notify=*/0);
}

// The combo starts with sample lines; hiding a column replaces them with the hidden titles.
void QORMldBOMDlg::FillComboDisplay() {
  if (!ComboDisplay) return;
  for (int k = 1; k <= FixedColumnCount; ++k) ComboDisplay->SetLine(FixedTitle(k), -1, QORDlgDataAdd);
  ComboDisplay->SetLine("Added1", -1, QORDlgDataAdd);
  ComboDisplay->SetLine("Added2", -1, QORDlgDataAdd);
  ComboDisplay->SetLine("Added3", -1, QORDlgDataAdd);
  ComboDisplay->SetVisibleTextWidth(10);
}

// Titles, widths and editability of the 61 columns; shared by Build and the column reset.
void QORMldBOMDlg::SetUpTableColumns() {
  if (!ListBOM) return;
  ListBOM->SetVisibleColumnCount(FixedColumnCount);
  ListBOM->SetVisibleLineCount(VisibleLineCount);
  QORListOfQORUnicodeString titles;
  for (int position = 0; position < ColumnSlotCount; ++position) {
    if (position < FixedColumnCount)
      titles.Append(FixedTitle(position + 1));
    else
      titles.Append(QORUnicodeString("Added") + QORUnicodeString::FromInt(position - FixedColumnCount + 1));
  }
  ListBOM->SetColumnTitles(titles);
  const int widths[] = {20, 10, 8, 10, 8, 6, 8};
  for (int i = 0; i < 7; ++i) ListBOM->SetColumnTextWidth(i + 2, widths[i]);
  // A reset keeps the column order a profile made, and editability travels with each column.
  for (int position = 0; position < ColumnSlotCount; ++position)
    ListBOM->SetColumnEditable(position, position == DescUnitPrice - 1 ? 1 : 0);
  for (int position = FixedColumnCount; position < ColumnSlotCount; ++position) {
    ListBOM->SetColumnVisibility(position, QORDlgHide);
    ListBOM->SetColumnTextWidth(position, SpareColumnWidth);
  }
}

void QORMldBOMDlg::LayOutFrames() {
  QORDialog* const end = nullptr;
  if (FrmRoot) {
    Attach4Sides(FrmRoot);
    FrmRoot->SetDefaultOrientation(0);
  }
  if (FrmRoot && FrmNumber) {
    FrmRoot->SetVerticalAttachment(0, 1, FrmNumber, end);
    FrmRoot->SetVerticalAttachment(1, 4, FrmNumber, end);
    FrmRoot->SetHorizontalAttachment(0, 1, FrmNumber, end);
    FrmRoot->SetHorizontalAttachment(1, 3, FrmNumber, end);
  }
  if (FrmRoot && FrmTop) {
    FrmRoot->SetVerticalAttachment(0, 1, FrmTop, end);
    FrmRoot->SetVerticalAttachment(1, 4, FrmTop, end);
    FrmRoot->SetHorizontalAttachment(2, 3, FrmTop, end);
  }
  if (FrmRoot && FrmResults) FrmRoot->Attach4Sides(FrmResults);
  if (FrmRoot && FrmBottom) {
    FrmRoot->SetVerticalAttachment(0, 1, FrmBottom, end);
    FrmRoot->SetVerticalAttachment(1, 4, FrmBottom, end);
    FrmRoot->SetHorizontalAttachment(6, 3, FrmBottom, end);
  }
  if (FrmResults && ListBOM) FrmResults->Attach4Sides(ListBOM);
}

void QORMldBOMDlg::PlaceGridChildren(QORDlgLabel* lbMode, QORDlgLabel* lbExisting) {
  PlaceOnGrid(LbProdSel, 0, 0, 1, 1, 0x60);
  PlaceOnGrid(ProductSelector, 0, 1, 1, 1, 0x60);
  PlaceOnGrid(CheckSort, 0, 4, 1, 1, 0x60);
  PlaceOnGrid(PushFileOpen, 2, 0, 1, 1, 0x60);
  PlaceOnGrid(ReportName, 2, 1, 4, 1, 0x1E);
  PlaceOnGrid(PushOpenRefProf, 1, 0, 1, 1, 0x60);
  PlaceOnGrid(RefProfName, 1, 1, 4, 1, 0x1E);
  PlaceOnGrid(FrmMode, 0, 2, 1, 1, 0x60);
  PlaceOnGrid(lbMode, 0, 0, 1, 1, 0x60);
  PlaceOnGrid(RadioInteger, 0, 1, 1, 1, 0x60);
  PlaceOnGrid(RadioLetter, 1, 1, 1, 1, 0x60);
  PlaceOnGrid(LbIntStart, 0, 2, 1, 1, 0x7E);
  PlaceOnGrid(LbIntIncr, 1, 2, 1, 1, 0x7E);
  PlaceOnGrid(StartNumber, 0, 3, 1, 1, 0x7E);
  PlaceOnGrid(IncrNumber, 1, 3, 1, 1, 0x7E);
  PlaceOnGrid(FrmExisting, 0, 3, 1, 1, 0x60);
  PlaceOnGrid(lbExisting, 0, 0, 1, 1, 0x60);
  PlaceOnGrid(RadioKeep, 0, 1, 1, 1, 0x60);
  PlaceOnGrid(RadioReplace, 1, 1, 1, 1, 0x60);
  PlaceOnGrid(CheckEditable, 0, 2, 1, 1, 0x7E);
  PlaceOnGrid(EditName, 0, 1, 1, 1, 0x7E);
  PlaceOnGrid(PushAdd_, 0, 0, 1, 1, 0x7E);
  PlaceOnGrid(EditNameUser, 1, 1, 1, 1, 0x7E);
  PlaceOnGrid(PushAddUser, 1, 0, 1, 1, 0x7E);
  PlaceOnGrid(PushLeft_, 0, 3, 1, 1, 0x7E);
  PlaceOnGrid(PushRename_, 0, 8, 1, 1, 0x7E);
  PlaceOnGrid(EditRename, 0, 9, 1, 1, 0x7E);
  PlaceOnGrid(PushDelete_, 0, 10, 1, 1, 0x7E);
  PlaceOnGrid(PushRight_, 0, 4, 1, 1, 0x7E);
  PlaceOnGrid(PushHide_, 0, 5, 1, 1, 0x7E);
  PlaceOnGrid(PushDisplay_, 0, 6, 1, 1, 0x7E);
  PlaceOnGrid(ComboDisplay, 0, 7, 1, 1, 0x7E);
  PlaceOnGrid(PushAnalyze, 0, 0, 1, 1, 0x60);
  PlaceOnGrid(LbTotalPrice, 0, 2, 1, 1, 0x02);
  PlaceOnGrid(EditTotalPrice, 0, 3, 1, 1, 0x02);
}

QORCallback QORMldBOMDlg::Wire(QORCommand* publisher, QORNotification* notification, Handler handler,
                               QORCommandClientData data) {
  if (!publisher || !notification) return 0;
  return AddAnalyseNotificationCB(publisher, notification, static_cast<QORCommandMethod>(handler), data);
}

void QORMldBOMDlg::WireCallbacks() {
  CbClose = Wire(this, GetDiaCLOSENotification(), &QORMldBOMDlg::PushClose);
  CbWindClose = Wire(this, GetWindCloseNotification(), &QORMldBOMDlg::PushClose);
  CbSave = Wire(PushAnalyze, ActivateOf(PushAnalyze), &QORMldBOMDlg::PushSave);
  CbAdd = Wire(PushAdd_, ActivateOf(PushAdd_), &QORMldBOMDlg::PushAdd);
  CbAddUser = Wire(PushAddUser, ActivateOf(PushAddUser), &QORMldBOMDlg::PushAddFromUserProperty);
  CbLeft = Wire(PushLeft_, ActivateOf(PushLeft_), &QORMldBOMDlg::PushLeft);
  CbLeftRepeat = Wire(PushLeft_, RepeatOf(PushLeft_), &QORMldBOMDlg::PushLeft);
  CbRight = Wire(PushRight_, ActivateOf(PushRight_), &QORMldBOMDlg::PushRight);
  CbRightRepeat = Wire(PushRight_, RepeatOf(PushRight_), &QORMldBOMDlg::PushRight);
  CbHide = Wire(PushHide_, ActivateOf(PushHide_), &QORMldBOMDlg::PushHide);
  CbDisplay = Wire(PushDisplay_, ActivateOf(PushDisplay_), &QORMldBOMDlg::PushDisplay);
  CbRename = Wire(PushRename_, ActivateOf(PushRename_), &QORMldBOMDlg::PushRename);
  CbDelete = Wire(PushDelete_, ActivateOf(PushDelete_), &QORMldBOMDlg::PushDelete);
  if (ListBOM) {
    CbCellModify = Wire(ListBOM, ListBOM->GetListCellModifyNotification(), &QORMldBOMDlg::ModifyCell);
    CbColumnActivate = Wire(ListBOM, ListBOM->GetListColumnActivateNotification(), &QORMldBOMDlg::SelectCol);
    CbListSelect = Wire(ListBOM, ListBOM->GetListSelectNotification(), &QORMldBOMDlg::SelectList);
  }
  CbRadioInteger = Wire(RadioInteger, ModifyOf(RadioInteger), &QORMldBOMDlg::ModifyMode);
  CbRadioLetter = Wire(RadioLetter, ModifyOf(RadioLetter), &QORMldBOMDlg::ModifyMode);
  CbStartNumber = Wire(StartNumber, ModifyOf(StartNumber), &QORMldBOMDlg::VerifyInteger);
  CbIncrNumber = Wire(IncrNumber, ModifyOf(IncrNumber), &QORMldBOMDlg::VerifyInteger);
  CbEditName = Wire(EditName, ModifyOf(EditName), &QORMldBOMDlg::VerifyNameCol);
  CbEditNameUser = Wire(EditNameUser, ModifyOf(EditNameUser), &QORMldBOMDlg::VerifyNameCol);
  CbEditRename = Wire(EditRename, ModifyOf(EditRename), &QORMldBOMDlg::VerifyRename);
  CbFileOpen = Wire(PushFileOpen, ActivateOf(PushFileOpen), &QORMldBOMDlg::OnPushButtonFileOpenNotification);
  CbOpenRefProf =
      Wire(PushOpenRefProf, ActivateOf(PushOpenRefProf), &QORMldBOMDlg::OnPushButtonOpenRefProfNotification);
  CbReportName = Wire(ReportName, ModifyOf(ReportName), &QORMldBOMDlg::OnEdtNameProfNotification,
                      reinterpret_cast<QORCommandClientData>(ReportNameData));
  CbRefProfName = Wire(RefProfName, ModifyOf(RefProfName), &QORMldBOMDlg::OnEdtNameProfNotification,
                       reinterpret_cast<QORCommandClientData>(RefProfNameData));
}

// =============================================================================================
// Descriptors and cells
// =============================================================================================

int QORMldBOMDlg::StoredPosition(int descriptor) const {
  if (descriptor < 1 || descriptor > ColumnPositions.Size()) return -1;
  return ColumnPositions[descriptor];
}

int QORMldBOMDlg::DisplayPosition(int descriptor) const {
  const int stored = StoredPosition(descriptor);
  return stored >= HiddenOffset ? stored - HiddenOffset : stored;
}

int QORMldBOMDlg::ColumnKind(int descriptor) const {
  if (descriptor < 1 || descriptor > ColumnKinds.Size()) return KindSpare;
  return ColumnKinds[descriptor];
}

// The descriptor in use shown at position, 0 when none.
int QORMldBOMDlg::ShownDescriptorAt(int position) const {
  if (position < 0) return 0;
  for (int k = 1; k <= NumberOfItems; ++k)
    if (StoredPosition(k) == position) return k;
  return 0;
}

// The descriptor in use hidden at position, 0 when none.
int QORMldBOMDlg::HiddenDescriptorAt(int position) const {
  if (position < 0) return 0;
  for (int k = 1; k <= NumberOfItems; ++k)
    if (StoredPosition(k) == position + HiddenOffset) return k;
  return 0;
}

QORUnicodeString QORMldBOMDlg::CellText(int position, int row) const {
  QORUnicodeString text;
  if (ListBOM && position >= 0 && row >= 0) ListBOM->GetColumnItem(position, text, row);
  return text;
}

QORUnicodeString QORMldBOMDlg::DescriptorCell(int descriptor, int row) const {
  return CellText(DisplayPosition(descriptor), row);
}

void QORMldBOMDlg::SetCellText(int position, int row, const QORUnicodeString& text) {
  if (ListBOM && position >= 0 && row >= 0) ListBOM->SetColumnItem(position, text, row, QORDlgDataModify);
}

// Titles are set all at once: the table takes its titles as one list.
void QORMldBOMDlg::SetColumnTitle(int position, const QORUnicodeString& title) {
  if (!ListBOM) return;
  QORListOfQORUnicodeString titles;
  ListBOM->GetColumnTitles(titles);
  if (position < 0 || position >= titles.Size()) return;
  titles[position + 1] = title;
  ListBOM->SetColumnTitles(titles);
}

QORBoolean QORMldBOMDlg::IsTitleInUse(const QORUnicodeString& title) const {
  if (!ListBOM) return FALSE;
  for (int position = 0; position < NumberOfItems; ++position)
    if (ListBOM->GetColumnTitle(position) == title) return TRUE;
  return FALSE;
}

void QORMldBOMDlg::CollectHiddenTitles(QORListOfQORUnicodeString& titles) const {
  titles.RemoveAll();
  if (!ListBOM) return;
  for (int k = 1; k <= NumberOfItems; ++k)
    if (StoredPosition(k) >= HiddenOffset) titles.Append(ListBOM->GetColumnTitle(DisplayPosition(k)));
}

void QORMldBOMDlg::ClearMarkerRow() {
  if (!ListBOM) return;
  for (int position = 0; position < NumberOfItems; ++position)
    ListBOM->SetColumnItem(position, "", "", MarkerRow, QORDlgDataModify);
}

void QORMldBOMDlg::ResetColumnSelection() {
  Disable(PushHide_);
  Disable(PushLeft_);
  Disable(PushRight_);
  Hide(PushRename_);
  Disable(PushRename_);
  Hide(EditRename);
  Hide(PushDelete_);
  Disable(PushDelete_);
  SetText(EditNameUser, "");
  ClearMarkerRow();
  SelectedColumn = -1;
}

// All 61 columns are in use: nothing more can be added.
void QORMldBOMDlg::DisableAddWidgetsWhenFull() {
  if (NumberOfItems != ColumnSlotCount) return;
  Disable(CheckEditable);
  Disable(EditName);
  Disable(EditNameUser);
}

// =============================================================================================
// Column model
// =============================================================================================

void QORMldBOMDlg::InitReport() {
  ColumnPositions.RemoveAll();
  ColumnKinds.RemoveAll();
  ColumnProperties.RemoveAll();
  SelectedColumn = -1;
  NumberOfItems = FixedColumnCount;
  if (ListBOM) {
    SetUpTableColumns();
    for (int position = 0; position < ColumnSlotCount; ++position) {
      if (position < FixedColumnCount) {
        ListBOM->SetColumnVisibility(position, QORDlgShow);
        ColumnPositions.Append(position);
        ColumnKinds.Append(KindFixed);
      } else {
        ListBOM->SetColumnVisibility(position, QORDlgHide);
        ListBOM->SetColumnTextWidth(position, SpareColumnWidth);
        ColumnPositions.Append(HiddenOffset + position);
        ColumnKinds.Append(KindSpare);
      }
      ColumnProperties.Append(QORUnicodeString());
    }
  }
  if (ComboDisplay) {
    ComboDisplay->ClearLine();
    Hide(ComboDisplay);
  }
  Hide(PushDisplay_);
}

void QORMldBOMDlg::AddCol(const QORUnicodeString& title, const QORBoolean& editable) {
  if (!ListBOM || title.IsEmpty()) return;
  // The table has no slot beyond the 61st; the add widgets are disabled before that.
  if (NumberOfItems >= ColumnSlotCount || NumberOfItems >= ColumnPositions.Size()) return;
  const int n = ++NumberOfItems;
  const int position = n - 1;
  SetColumnTitle(position, title);
  ListBOM->SetColumnVisibility(position, QORDlgShow);
  const int width = WidthForTitle(title.GetLengthInChar());
  if (width > 0) ListBOM->SetColumnTextWidth(position, width);
  int kind = KindReadOnly;
  if (editable) {
    ListBOM->SetColumnEditable(position, 1);
    kind = KindEditable;
  }
  ColumnPositions[n] = position;
  ColumnKinds[n] = kind;
  ColumnProperties[n] = QORUnicodeString();
  SetText(EditName, "");
  SetText(EditNameUser, "");
  Disable(PushAdd_);
  Disable(PushAddUser);
  DisableAddWidgetsWhenFull();
}

// One value per associated part: the first user property whose name contains propertyName.
void QORMldBOMDlg::ReadUserPropertyValues(const QORUnicodeString& propertyName,
                                          QORListOfQORUnicodeString& values) const {
  for (const QORBaseUnknown_var& part : AssociatedParts) {
    QORUnicodeString value;
    QORIProduct_var product(part);
    QORIProduct_var reference = product ? product->GetReferenceProduct() : QORIProduct_var();
    QORIPrdProperties_var properties(reference);
    QORIParmPublisher* publisher = nullptr;
    if (properties && SUCCEEDED(properties->GetUserPropertiesPublisher(publisher, 0)) && publisher) {
      QORListValQORISpecObject_var parameters;
      publisher->GetAllChildren(QORICkeParm::ClassName(), parameters);
      for (const QORISpecObject_var& object : parameters) {
        QORICkeParm_var parameter(object);
        if (parameter && Contains(parameter->GetName(), propertyName)) {
          value = parameter->Show();
          break;
        }
      }
    }
    QORRelease(publisher);
    values.Append(value);
  }
}

void QORMldBOMDlg::AddColFromUserProperty(const QORUnicodeString& propertyName, const QORUnicodeString& title) {
  if (!ListBOM || propertyName.IsEmpty()) return;
  if (NumberOfItems >= ColumnSlotCount || NumberOfItems >= ColumnPositions.Size()) return;
  QORListOfQORUnicodeString values;
  ReadUserPropertyValues(propertyName, values);
  const int n = ++NumberOfItems;
  const int position = n - 1;
  SetColumnTitle(position, title.IsEmpty() ? propertyName : title);
  ListBOM->SetColumnVisibility(position, QORDlgShow);
  const int width = WidthForTitle(propertyName.GetLengthInChar());
  if (width > 0) ListBOM->SetColumnTextWidth(position, width);
  // Values follow the data rows only: the marker row and blank lines have no part.
  const int rows = ListBOM->GetLineCount();
  int part = 0;
  for (int row = 1; row < rows && part < values.Size(); ++row) {
    if (DescriptorCell(DescNumber, row).IsEmpty()) continue;
    ++part;
    SetCellText(position, row, values[part]);
  }
  ColumnPositions[n] = position;
  ColumnKinds[n] = KindUserProperty;
  ColumnProperties[n] = propertyName;
  SetText(EditNameUser, "");
  Disable(PushAdd_);
  Disable(PushAddUser);
  DisableAddWidgetsWhenFull();
}

void QORMldBOMDlg::HideCol(const int& position) {
  const int column = position;
  QORApplicationFrame::SetBusyCursor();
  if (ListBOM) {
    if (column >= 0 && column < NumberOfItems) {
      ListBOM->SetColumnVisibility(column, QORDlgHide);
      for (int k = 1; k <= NumberOfItems; ++k)
        if (StoredPosition(k) == column) ColumnPositions[k] = column + HiddenOffset;
      QORListOfQORUnicodeString hidden;
      CollectHiddenTitles(hidden);
      if (hidden.Size() > 0 && ComboDisplay && PushDisplay_) {
        ComboDisplay->SetLines(hidden, 0, QORDlgDataModify);
        Show(ComboDisplay);
        Show(PushDisplay_);
      }
    }
    ListBOM->ClearSelect();
  }
  ResetColumnSelection();
}

// The next shown position from `from` toward the edge; hidden columns are stepped over. -1 when
// every position up to the edge is hidden.
int QORMldBOMDlg::MoveTarget(QORBoolean toTheRight, int from) const {
  if (toTheRight) {
    for (int position = from + 1; position <= NumberOfItems - 1; ++position)
      if (!HiddenDescriptorAt(position)) return position;
    return -1;
  }
  for (int position = from - 1; position >= 0; --position)
    if (!HiddenDescriptorAt(position)) return position;
  return -1;
}

void QORMldBOMDlg::MoveColumn(QORBoolean toTheRight, int& from, int& to) {
  from = -1;
  to = -1;
  if (!ListBOM) return;
  const int n = NumberOfItems;
  if (n < 1) return;
  int* permutation = new (std::nothrow) int[static_cast<std::size_t>(n)];
  if (!permutation) return;
  for (int i = 0; i < n; ++i) permutation[i] = i;
  const int selected = SelectedColumn;
  // A hidden column cannot be carried: it has no shown descriptor to swap.
  const bool noMove = selected < 0 || (toTheRight && selected >= n - 1) || (!toTheRight && selected <= 0) ||
                      !ShownDescriptorAt(selected);
  const int target = noMove ? -1 : MoveTarget(toTheRight, selected);
  if (target >= 0) {
    permutation[selected] = target;
    permutation[target] = selected;
    SelectedColumn = target;
    const int moving = ShownDescriptorAt(selected);
    const int other = ShownDescriptorAt(target);
    if (moving && other) {
      ColumnPositions[moving] = target;
      ColumnPositions[other] = selected;
    }
    from = selected;
    to = target;
  }
  ListBOM->ReorderColumns(permutation, n, 0);
  ListBOM->ClearSelect();
  delete[] permutation;
}

void QORMldBOMDlg::MoveColumnTo(const int& descriptor, const int& position) {
  const int k = descriptor;
  const int target = position;
  const int n = NumberOfItems;
  if (k < 2 || k > n || target < 0 || target > n - 1) return;
  SelectedColumn = DisplayPosition(k);
  const QORBoolean toTheRight = target > SelectedColumn ? TRUE : FALSE;
  // With hidden columns a step may jump over the target or find no shown place: stop there.
  while (SelectedColumn != target) {
    const int next = MoveTarget(toTheRight, SelectedColumn);
    if (next < 0 || (toTheRight && next > target) || (!toTheRight && next < target)) break;
    int from = -1;
    int to = -1;
    MoveColumn(toTheRight, from, to);
    if (from < 0 || to < 0) break;
  }
  SelectedColumn = -1;
}

void QORMldBOMDlg::GetColumnTitles(QORListOfQORUnicodeString& titles) {
  titles.RemoveAll();
  if (!ListBOM || NumberOfItems < 1) return;
  for (int position = 0; position < NumberOfItems; ++position)
    if (ShownDescriptorAt(position)) titles.Append(ListBOM->GetColumnTitle(position));
}

void QORMldBOMDlg::GetListOfColInfo(QORListOfInt& positions, QORListOfInt& kinds,
                                    QORListOfQORUnicodeString& properties, QORListOfQORUnicodeString& titles) {
  positions.RemoveAll();
  kinds.RemoveAll();
  properties.RemoveAll();
  titles.RemoveAll();
  positions = ColumnPositions;
  kinds = ColumnKinds;
  properties = ColumnProperties;
  if (!ListBOM) return;
  for (int k = 1; k <= NumberOfItems; ++k) titles.Append(ListBOM->GetColumnTitle(DisplayPosition(k)));
}

int QORMldBOMDlg::GetNumberOfLines() { return ListBOM ? ListBOM->GetLineCount() : 0; }

int QORMldBOMDlg::GetNumberOfItems() { return NumberOfItems; }

void QORMldBOMDlg::SetAssociatedPart(QORIProduct_var product) {
  if (product) AssociatedParts.Append(QORBaseUnknown_var(product));
}

// After the analysis the settings are frozen and the column bar and report button come alive.
void QORMldBOMDlg::SetProductToAnalyze(QORIProduct_var product) {
  if (!product) return;
  QORIAlias_var alias(product);
  if (!alias) return;
  if (ProductSelector) ProductSelector->SetLine(alias->GetAlias(), -1, 0);
  Enable(FrmTop);
  Enable(FrmBottom);
  Disable(FrmMode);
  Disable(FrmExisting);
  Disable(CheckSort);
  Disable(PushFileOpen);
  Disable(PushOpenRefProf);
  Disable(ReportName);
  Disable(RefProfName);
}

void QORMldBOMDlg::SetAllParts(const QORListValQORBaseUnknown_var& instances, const QORListOfQORUnicodeString& groups,
                               const QORListValQORISpecObject_var& unitPriceParameters) {
  if (instances.Size() < 1 || groups.Size() < 1 || unitPriceParameters.Size() < 1) return;
  for (const QORBaseUnknown_var& instance : instances) ComponentInstances.Append(instance);
  for (const QORUnicodeString& group : groups) InstanceGroups.Append(group);
  for (const QORISpecObject_var& parameter : unitPriceParameters) UnitPriceParameters.Append(parameter);
  PartLookup.reset();
}

const QORMldBOMPartLookup& QORMldBOMDlg::Parts() const {
  if (!PartLookup) PartLookup = std::make_unique<QORMldBOMPartLookup>(InstanceGroups, ComponentInstances);
  return *PartLookup;
}

QORUnicodeString QORMldBOMDlg::GetReportFile() { return ReportFile; }

QORUnicodeString QORMldBOMDlg::GetReferenceFile() { return ReferenceFile; }

void QORMldBOMDlg::SetReportFile(const QORUnicodeString& path) {
  ReportFile = path;
  SetText(ReportName, ReportFile);
}

void QORMldBOMDlg::SetReferenceFile(const QORUnicodeString& path) {
  ReferenceFile = path;
  SetText(RefProfName, ReferenceFile);
}

// =============================================================================================
// Report display and numbering
// =============================================================================================

void QORMldBOMDlg::DisplayReport(const QORListOfQORUnicodeString& values, const QORListOfInt& widths) {
  if (!ListBOM) return;
  // The command displays right after the column reset, so stored positions are display positions.
  for (int k = 1; k <= DescUnitPrice; ++k) {
    const QORUnicodeString text = k <= values.Size() ? values[k] : QORUnicodeString();
    ListBOM->SetColumnItem(StoredPosition(k), text, -1, QORDlgDataAdd);
  }
  struct WidthRule {
    int entry, minimum, position;
  };
  const WidthRule rules[] = {{3, 0, 2}, {4, 0, 3}, {5, 4, 5}, {6, 4, 6}, {7, 4, 7}, {8, 4, 8}};
  for (const WidthRule& rule : rules)
    if (rule.entry <= widths.Size() && widths[rule.entry] > rule.minimum)
      ListBOM->SetColumnTextWidth(rule.position, widths[rule.entry]);
}

void QORMldBOMDlg::AddBlankLine() {
  if (!ListBOM) return;
  const int row = ListBOM->GetLineCount();
  for (int position = 0; position < ColumnSlotCount; ++position)
    ListBOM->SetColumnItem(position, "", -1, QORDlgDataAdd);
  ListBOM->SetRowEditable(row, 0);
}

QORUnicodeString QORMldBOMDlg::SearchInstanceName(const QORUnicodeString& name, const QORListOfQORUnicodeString& known,
                                                  const QORListOfQORUnicodeString& groupsA,
                                                  const QORListOfQORUnicodeString& groupsB) {
  return QORMldBOMNameLookup(known, groupsA, groupsB).Search(name);
}

// A part index beyond the list counts as a part that is not a product.
QORUnicodeString QORMldBOMDlg::PartInstanceName(int partIndex) const {
  if (partIndex < 1 || partIndex > AssociatedParts.Size()) return QORUnicodeString();
  return InstanceNameOf(AssociatedParts[partIndex]);
}

void QORMldBOMDlg::DisplayAdded(const QORListOfQORUnicodeString& names, const QORListOfQORUnicodeString& values,
                                const QORListOfQORUnicodeString& groupsA, const QORListOfQORUnicodeString& groupsB) {
  if (!ListBOM) return;
  const int rows = ListBOM->GetLineCount();
  if (rows == 0 || names.Size() == 0) return;
  const int n = NumberOfItems;
  auto isStoredColumn = [this](int k) {
    const int kind = ColumnKind(k);
    return kind == KindEditable || kind == KindReadOnly;
  };
  for (int k = FixedColumnCount + 1; k <= n; ++k)
    if (isStoredColumn(k))
      for (int row = 1; row < rows; ++row) SetCellText(DisplayPosition(k), row, "");
  if (rows < 2) return;
  const QORMldBOMNameLookup lookup(names, groupsA, groupsB);
  int part = 1;
  for (int row = 1; row < rows; ++row) {
    if (DescriptorCell(DescNumber, row).IsEmpty()) continue;
    const QORUnicodeString instanceName = PartInstanceName(part);
    ++part;
    if (instanceName.IsEmpty()) continue;
    const int line = lookup.FirstRecord(instanceName);
    if (!line) continue;
    for (int k = FixedColumnCount + 1; k <= n; ++k) {
      if (!isStoredColumn(k)) continue;
      const int index = (line - 1) * (n - FixedColumnCount) + (k - FixedColumnCount);
      SetCellText(DisplayPosition(k), row, index <= values.Size() ? values[index] : QORUnicodeString());
    }
  }
}

void QORMldBOMDlg::GetLine(const int& row, QORListOfQORUnicodeString& cells) {
  cells.RemoveAll();
  if (!ListBOM || row < 0) return;
  // Positions marked once, rather than every descriptor searched for every position; a report
  // asks this for every line, so nothing is allocated but the cells.
  const int items = std::clamp(NumberOfItems, 0, QORMldBOM::ColumnSlotCount);
  std::array<bool, QORMldBOM::ColumnSlotCount> shown{};
  for (int k = 1; k <= items; ++k) {
    const int position = StoredPosition(k);
    if (position >= 0 && position < items) shown[static_cast<std::size_t>(position)] = true;
  }
  cells.Reserve(static_cast<std::size_t>(items));
  for (int position = 0; position < items; ++position)
    if (shown[static_cast<std::size_t>(position)]) cells.Append(CellText(position, row));
}

void QORMldBOMDlg::GetLineInfo(const int& row, const int& partIndex, QORListOfQORUnicodeString& fields,
                               QORBoolean& isBlank) {
  fields.RemoveAll();
  isBlank = FALSE;
  if (!ListBOM || row < 0) return;
  const QORUnicodeString number = DescriptorCell(DescNumber, row);
  if (number.IsEmpty()) {
    isBlank = TRUE;
    return;
  }
  // Empty cells, and a part that is no product, are written as a blank so the field keeps its place.
  auto orBlank = [](const QORUnicodeString& text) { return text.IsEmpty() ? QORUnicodeString(" ") : text; };
  const bool isProduct = partIndex >= 1 && partIndex <= AssociatedParts.Size() &&
                         static_cast<bool>(QORIProduct_var(AssociatedParts[partIndex]));
  fields.Append(number);
  fields.Append(isProduct ? PartInstanceName(partIndex) : QORUnicodeString(" "));
  fields.Append(orBlank(DescriptorCell(DescUnitPrice, row)));
  for (int k = FixedColumnCount + 1; k <= NumberOfItems; ++k) fields.Append(orBlank(DescriptorCell(k, row)));
}

void QORMldBOMDlg::GetTypeOfSort(int& type) { type = IsChecked(CheckSort) ? 1 : 0; }

void QORMldBOMDlg::SetTypeOfSort(const int& type) {
  if (type == 0) SetChecked(CheckSort, false);
  if (type == 1) SetChecked(CheckSort, true);
}

QORBoolean QORMldBOMDlg::IsIntegerMode() {
  if (!RadioInteger || !RadioLetter) return TRUE;
  if (!IsChecked(RadioInteger) && IsChecked(RadioLetter)) return FALSE;
  return TRUE;
}

void QORMldBOMDlg::SetNumberingMode(const QORBoolean& integers) {
  if (!RadioInteger || !RadioLetter) return;
  SetChecked(RadioInteger, integers != 0);
  SetChecked(RadioLetter, integers == 0);
  EnableWhen(StartNumber, integers != 0);
  EnableWhen(IncrNumber, integers != 0);
}

void QORMldBOMDlg::SetInitialNumberingMode(const QORBoolean& integers) { InitialNumberingMode = integers ? 1 : 0; }

QORBoolean QORMldBOMDlg::IsKeepMode() {
  if (!RadioKeep || !RadioReplace) return FALSE;
  return (IsChecked(RadioKeep) && !IsChecked(RadioReplace)) ? TRUE : FALSE;
}

void QORMldBOMDlg::SetKeepMode(const QORBoolean& keep) {
  if (!RadioKeep || !RadioReplace) return;
  SetChecked(RadioKeep, keep != 0);
  SetChecked(RadioReplace, keep == 0);
  Enable(RadioKeep);
  Enable(RadioReplace);
}

void QORMldBOMDlg::GetStartAndIncrement(int& start, int& increment) {
  start = 1;
  increment = 1;
  if (StartNumber) start = StartNumber->GetIntegerValue();
  if (IncrNumber) increment = IncrNumber->GetIntegerValue();
}

void QORMldBOMDlg::SetStartAndIncrement(const int& start, const int& increment) {
  if (StartNumber) StartNumber->SetIntegerValue(start > 1 ? start : 1, 0);
  if (IncrNumber) IncrNumber->SetIntegerValue(increment > 1 ? increment : 1, 0);
}

// =============================================================================================
// Cell editing and prices
// =============================================================================================

// The instance names of the BOM line shown in row, the partIndex-th data row: its own associated
// part names the instance, and the first instance group holding that name lists the line. Parts
// share part numbers, so the part number cannot tell which line a row shows.
void QORMldBOMDlg::FindLineInstanceNames(int row, int partIndex, QORListOfQORUnicodeString& names) const {
  names.RemoveAll();
  if (DescriptorCell(DescPartNumber, row).IsEmpty() || !IsDataRow(row)) return;
  const QORUnicodeString instanceName = PartInstanceName(partIndex);
  if (instanceName.IsEmpty()) return;
  const int group = Parts().GroupOf(instanceName);
  if (group > 0) {
    GroupNames(InstanceGroups[group], names);
    return;
  }
  // The last record when nothing merged it, or the single kept instance, heads no group.
  names.Append(instanceName);
}

bool QORMldBOMDlg::IsDataRow(int row) const { return !DescriptorCell(DescNumber, row).IsEmpty(); }

// The sum of the PRICE cells of every row, in double precision so that cents survive large totals.
void QORMldBOMDlg::ShowTotalPrice(int pricePosition) {
  const int rows = ListBOM ? ListBOM->GetLineCount() : 0;
  double total = 0.0;
  for (int r = 1; r < rows; ++r) total += ScanReal(CellText(pricePosition, r));
  if (EditTotalPrice) EditTotalPrice->SetFloatValue(total, 0);
}

void QORMldBOMDlg::ModifyCell(QORCommand*, QORNotification*, QORCommandClientData) {
  if (ListBOM) {
    int row = -1;
    int position = -1;
    // The stored position keeps its hidden offset here, so a hidden UNITPRICE never matches.
    if (ListBOM->GetModifiedCell(row, position) == 1 && position == StoredPosition(DescUnitPrice)) {
      const double unitPrice = ScanReal(CellText(position, row));
      const int rows = ListBOM->GetLineCount();
      const int partNumberPosition = DisplayPosition(DescPartNumber);
      if (partNumberPosition >= 0 && partNumberPosition < NumberOfItems && UnitPriceParameters.Size() > 0 &&
          rows >= 2) {
        int part = 0;
        for (int r = 1; r < rows; ++r) {
          if (IsDataRow(r)) ++part;
          if (!ListBOM->IsRowSelected(r) || DescriptorCell(DescPartNumber, r).IsEmpty()) continue;
          QORListOfQORUnicodeString names;
          FindLineInstanceNames(r, part, names);
          if (names.Size() == 0) continue;
          for (const int i : Parts().ComponentsNamed(names, names.Size())) {
            QORICkeParm_var parameter =
                i <= UnitPriceParameters.Size() ? QORICkeParm_var(UnitPriceParameters[i]) : QORICkeParm_var();
            if (parameter) parameter->Valuate(unitPrice);
          }
        }
      }
      const double quantity = ScanReal(DescriptorCell(DescQuantity, row));
      SetCellText(DisplayPosition(DescPrice), row, FormatReal(quantity * unitPrice));
      ShowTotalPrice(DisplayPosition(DescPrice));
    }
    ListBOM->ClearSelect();
  }
  ResetColumnSelection();
  EmptyHSO();
}

void QORMldBOMDlg::UpdatePrice() {
  if (!ListBOM) return;
  const int rows = ListBOM->GetLineCount();
  if (rows == 0) return;
  const int unitPricePosition = DisplayPosition(DescUnitPrice);
  const int quantityPosition = DisplayPosition(DescQuantity);
  const int pricePosition = DisplayPosition(DescPrice);
  const int partNumberPosition = DisplayPosition(DescPartNumber);
  if (UnitPriceParameters.Size() > 0 && rows >= 2) {
    int part = 0;
    for (int r = 1; r < rows; ++r) {
      if (IsDataRow(r)) ++part;
      if (!CellText(unitPricePosition, r).IsEmpty()) continue;
      if (partNumberPosition < 0 || partNumberPosition >= NumberOfItems) continue;
      QORListOfQORUnicodeString names;
      FindLineInstanceNames(r, part, names);
      for (const int i : Parts().ComponentsNamed(names, -1)) {
        QORICkeParm_var parameter =
            i <= UnitPriceParameters.Size() ? QORICkeParm_var(UnitPriceParameters[i]) : QORICkeParm_var();
        if (!parameter) continue;
        SetCellText(unitPricePosition, r, parameter->Show());
        break;
      }
    }
  }
  // Negative and zero products leave the cell empty yet still count in the total.
  double total = 0.0;
  for (int r = 1; r < rows; ++r) {
    const double price = ScanReal(CellText(quantityPosition, r)) * ScanReal(CellText(unitPricePosition, r));
    SetCellText(pricePosition, r, price > 0 ? FormatReal(price) : QORUnicodeString());
    total += price;
  }
  if (EditTotalPrice) EditTotalPrice->SetFloatValue(total, 0);
  for (int position = 0; position < NumberOfItems; ++position) {
    int width = ListBOM->GetColumnTitle(position).GetLengthInChar();
    for (int r = 1; r < rows; ++r) {
      const int length = CellText(position, r).GetLengthInChar();
      if (length > width) width = length;
    }
    if (width > 0) ListBOM->SetColumnTextWidth(position, width / 2 + 2);
  }
}

void QORMldBOMDlg::VerifyInteger(QORCommand*, QORNotification*, QORCommandClientData) {
  QORDlgEditor* fields[] = {StartNumber, IncrNumber};
  for (QORDlgEditor* field : fields) {
    if (!field) continue;
    const int value = field->GetIntegerValue();
    const int absolute = value >= 0 ? value : (value == INT_MIN ? INT_MAX : -value);
    field->SetIntegerValue(absolute, 0);
  }
}

void QORMldBOMDlg::VerifyRename(QORCommand*, QORNotification*, QORCommandClientData) {
  if (!ListBOM || !EditRename || !PushRename_) return;
  const QORUnicodeString title = EditRename->GetLine();
  const bool acceptable = !title.IsEmpty() && !Contains(title, ";") && !IsTitleInUse(title);
  EnableWhen(PushRename_, acceptable);
}

void QORMldBOMDlg::VerifyNameCol(QORCommand*, QORNotification*, QORCommandClientData) {
  if (!ListBOM || !EditName || !EditNameUser) return;
  const QORUnicodeString name = EditName->GetLine();
  const QORUnicodeString userName = EditNameUser->GetLine();
  // ";" separates the fields of the profile and report files, so no title may hold one.
  const bool acceptable = (!name.IsEmpty() || !userName.IsEmpty()) && !Contains(name, ";") && !Contains(userName, ";");
  const QORUnicodeString candidate = userName.IsEmpty() ? name : userName;
  if (acceptable && !IsTitleInUse(candidate)) {
    if (candidate == name) Enable(PushAdd_);
    if (candidate == userName) Enable(PushAddUser);
    return;
  }
  SetText(EditName, "");
  SetText(EditNameUser, "");
  Disable(PushAdd_);
  Disable(PushAddUser);
}

void QORMldBOMDlg::ModifyMode(QORCommand*, QORNotification*, QORCommandClientData) {
  if (ReportFile.IsEmpty() && ReferenceFile.IsEmpty()) {
    InitialNumberingMode = -1;
    ModeChangeWarningToggle = 0;
  }
  if (InitialNumberingMode != -1) {
    const bool integers = IsIntegerMode() != 0;
    const bool disagrees = (InitialNumberingMode == 0 && integers) || (InitialNumberingMode == 1 && !integers);
    if (disagrees) {
      // Numbers of another mode cannot be kept.
      if (RadioKeep && RadioReplace) {
        SetChecked(RadioReplace, true);
        SetChecked(RadioKeep, false);
      }
      Disable(RadioKeep);
      Disable(RadioReplace);
      if (ModeChangeWarningToggle == 0) {
        QORTlgErrorServices::DisplayWarning(CommandCatalog, "ProfileTitle2", "ProfileChangeNbrMode", nullptr, 0);
        if (ModeChangeWarningToggle == 0) ModeChangeWarningToggle = 1;
      } else {
        ModeChangeWarningToggle = 0;
      }
    } else {
      Enable(RadioKeep);
      Enable(RadioReplace);
    }
  }
  const bool letters = RadioInteger && !IsChecked(RadioInteger);
  EnableWhen(StartNumber, !letters);
  EnableWhen(IncrNumber, !letters);
}

void QORMldBOMDlg::PushSave(QORCommand*, QORNotification* notification, QORCommandClientData) {
  QORApplicationFrame::SetBusyCursor();
  SendNotification(GetFather(), notification);
}

void QORMldBOMDlg::PushClose(QORCommand*, QORNotification* notification, QORCommandClientData) {
  SendNotification(GetFather(), notification);
  RequestDelayedDestruction();
}

// =============================================================================================
// Column commands
// =============================================================================================

void QORMldBOMDlg::SelectCol(QORCommand*, QORNotification*, QORCommandClientData) {
  const int column = ListBOM ? ListBOM->GetSelectedColumn() : -1;
  if (column >= 0) {
    SelectedColumn = column;
    ClearMarkerRow();
    ListBOM->SetColumnItem(column, "", "I_MoveUp", MarkerRow, QORDlgDataModify);
    Enable(PushHide_);
    EnableWhen(PushLeft_, column > 0);
    EnableWhen(PushRight_, column < NumberOfItems - 1);
  }
  if (ListBOM) ListBOM->ClearSelect();
  if (EditRename && PushDelete_) {
    const int k = ShownDescriptorAt(column);
    SetText(EditNameUser, (k && ColumnKind(k) == KindUserProperty) ? ColumnProperties[k] : QORUnicodeString());
    if (!k || k <= FixedColumnCount) {
      Hide(EditRename);
      Hide(PushRename_);
      Hide(PushDelete_);
      Disable(PushDelete_);
    } else {
      // Renaming waits for an acceptable new title; the rename check enables the button.
      EditRename->SetLine(ListBOM->GetColumnTitle(column), -1, 0);
      Show(EditRename);
      Show(PushRename_);
      Show(PushDelete_);
      Enable(PushDelete_);
    }
  }
  EmptyHSO();
}

void QORMldBOMDlg::SelectList(QORCommand*, QORNotification*, QORCommandClientData) {
  HighlightComponents();
  ResetColumnSelection();
}

void QORMldBOMDlg::MoveSelectedColumn(QORBoolean toTheRight) {
  QORApplicationFrame::SetBusyCursor();
  int from = -1;
  int to = -1;
  MoveColumn(toTheRight, from, to);
  if (ListBOM && from >= 0 && to >= 0) {
    const int moved = toTheRight ? (from > to ? from : to) : (from < to ? from : to);
    Enable(PushHide_);
    EnableWhen(PushLeft_, moved > 0);
    EnableWhen(PushRight_, moved < NumberOfItems - 1);
    ListBOM->ClearSelect();
  }
  EmptyHSO();
}

void QORMldBOMDlg::PushLeft(QORCommand*, QORNotification*, QORCommandClientData) { MoveSelectedColumn(FALSE); }

void QORMldBOMDlg::PushRight(QORCommand*, QORNotification*, QORCommandClientData) { MoveSelectedColumn(TRUE); }

void QORMldBOMDlg::PushHide(QORCommand*, QORNotification*, QORCommandClientData) {
  QORApplicationFrame::SetBusyCursor();
  const int column = SelectedColumn;
  HideCol(column);
  EmptyHSO();
}

void QORMldBOMDlg::PushDisplay(QORCommand*, QORNotification*, QORCommandClientData) {
  QORApplicationFrame::SetBusyCursor();
  if (!ListBOM || !ComboDisplay) {
    EmptyHSO();
    return;
  }
  QORUnicodeString chosen;
  ComboDisplay->GetLine(chosen, ComboDisplay->GetSelect());
  for (int position = 0; position < NumberOfItems; ++position) {
    if (ListBOM->GetColumnTitle(position) != chosen) continue;
    const int k = HiddenDescriptorAt(position);
    if (!k) continue;
    ColumnPositions[k] = position;
    ListBOM->SetColumnVisibility(position, QORDlgShow);
    break;
  }
  QORListOfQORUnicodeString hidden;
  CollectHiddenTitles(hidden);
  if (hidden.Size() > 0) {
    ComboDisplay->SetLines(hidden, 0, QORDlgDataModify);
    Show(ComboDisplay);
    Show(PushDisplay_);
  } else {
    Hide(ComboDisplay);
    Hide(PushDisplay_);
  }
  ListBOM->ClearSelect();
  EmptyHSO();
}

void QORMldBOMDlg::PushRename(QORCommand*, QORNotification*, QORCommandClientData) {
  QORApplicationFrame::SetBusyCursor();
  const int column = SelectedColumn;
  if (ListBOM && EditRename && column >= 0) {
    const QORUnicodeString title = EditRename->GetLine();
    SetColumnTitle(column, title);
    const int width = WidthForTitle(title.GetLengthInChar());
    if (width > 0) ListBOM->SetColumnTextWidth(column, width);
  }
  Disable(PushRename_);
  EmptyHSO();
}

// Carries the column at position to the last place in use when only hidden columns lie to its
// right (a right move cannot step over them): one rotation shifts those hidden columns one place
// left, keeping their order, and their descriptors follow.
void QORMldBOMDlg::RotateToLastInUse(int position) {
  const int n = NumberOfItems;
  if (!ListBOM || position < 0 || position >= n - 1) return;
  int* permutation = new (std::nothrow) int[static_cast<std::size_t>(n)];
  if (!permutation) return;
  for (int i = 0; i < n; ++i) permutation[i] = i;
  for (int i = position; i < n - 1; ++i) permutation[i] = i + 1;
  permutation[n - 1] = position;
  ListBOM->ReorderColumns(permutation, n, 0);
  delete[] permutation;
  for (int k = 1; k <= n; ++k) {
    const int stored = StoredPosition(k);
    const int offset = stored >= HiddenOffset ? HiddenOffset : 0;
    const int shown = stored - offset;
    if (shown == position)
      ColumnPositions[k] = offset + n - 1;
    else if (shown > position && shown < n)
      ColumnPositions[k] = stored - 1;
  }
  SelectedColumn = n - 1;
}

void QORMldBOMDlg::PushDelete(QORCommand*, QORNotification*, QORCommandClientData) {
  QORApplicationFrame::SetBusyCursor();
  const int column = SelectedColumn;
  if (!ListBOM || column < 0) {
    EmptyHSO();
    return;
  }
  const int n = NumberOfItems;
  SetColumnTitle(column, "Removed");
  ListBOM->SetColumnEditable(column, 0);
  const int k = ShownDescriptorAt(column);
  int position = column;
  // Right moves carry the column past shown ones while hidden columns keep their places; once only
  // hidden columns remain to its right, no move is reported and a rotation finishes the way.
  while (position < n - 1) {
    int from = -1;
    int to = -1;
    MoveColumn(TRUE, from, to);
    if (from < 0 || to < 0) {
      RotateToLastInUse(position);
      position = n - 1;
      break;
    }
    position = from > to ? from : to;
  }
  if (k >= 1 && k <= n - 1) {
    for (int j = k; j < n; ++j) {
      ColumnPositions[j] = ColumnPositions[j + 1];
      ColumnKinds[j] = ColumnKinds[j + 1];
      ColumnProperties[j] = ColumnProperties[j + 1];
    }
  }
  if (n >= 1 && n <= ColumnPositions.Size()) {
    ColumnPositions[n] = HiddenOffset + n - 1;
    ColumnKinds[n] = KindSpare;
    ColumnProperties[n] = QORUnicodeString();
  }
  ListBOM->SetColumnVisibility(position, QORDlgHide);
  ResetColumnSelection();
  --NumberOfItems;
  SelectedColumn = -1;
  ListBOM->ClearSelect();
  EmptyHSO();
}

void QORMldBOMDlg::PushAdd(QORCommand*, QORNotification*, QORCommandClientData) {
  QORApplicationFrame::SetBusyCursor();
  if (ListBOM) {
    const QORUnicodeString title = TextOf(EditName);
    const QORBoolean editable = IsChecked(CheckEditable) ? TRUE : FALSE;
    AddCol(title, editable);
  }
  EmptyHSO();
}

void QORMldBOMDlg::PushAddFromUserProperty(QORCommand*, QORNotification*, QORCommandClientData) {
  QORApplicationFrame::SetBusyCursor();
  if (ListBOM) {
    const QORUnicodeString propertyName = TextOf(EditNameUser);
    AddColFromUserProperty(propertyName, propertyName);
  }
  EmptyHSO();
}

// =============================================================================================
// Highlighting
// =============================================================================================

void QORMldBOMDlg::EmptyHSO() {
  if (!CurrentEditor) return;
  QORHSO* hso = CurrentEditor->GetHSO();
  if (hso) hso->Empty();
}

void QORMldBOMDlg::HighlightComponents() {
  if (!ListBOM || !CurrentEditor || ComponentInstances.Size() == 0) return;
  const int partNumberPosition = DisplayPosition(DescPartNumber);
  if (partNumberPosition < 0 || partNumberPosition >= NumberOfItems) return;
  const int rows = ListBOM->GetLineCount();
  if (rows < 2) {
    ListBOM->ClearSelect();
    EmptyHSO();
    return;
  }
  bool added = false;
  int part = 0;
  for (int r = 1; r < rows; ++r) {
    if (IsDataRow(r)) ++part;
    if (!ListBOM->IsRowSelected(r)) continue;
    if (CellText(partNumberPosition, r).IsEmpty()) continue;
    QORListOfQORUnicodeString names;
    FindLineInstanceNames(r, part, names);
    QORHSO* hso = CurrentEditor->GetHSO();
    if (names.Size() == 0 || !hso) continue;
    // Each selected row replaces what an earlier row highlighted.
    hso->Empty();
    for (const int i : Parts().ComponentsNamed(names, names.Size())) {
      QORPathElement* context = CurrentEditor->GetContextPath();
      QORIBuildPath_var builder(ComponentInstances[i]);
      QORPathElement* path = nullptr;
      if (builder && SUCCEEDED(builder->ExtractPathElement(context, path)) && path) {
        hso->AddElements(path);
        added = true;
      }
      QORRelease(path);
      QORRelease(context);
    }
    hso->EndAddElements();
  }
  if (!added) {
    ListBOM->ClearSelect();
    EmptyHSO();
  }
}

// =============================================================================================
// Profile and reference-profile selection
// =============================================================================================

void QORMldBOMDlg::OnPushButtonFileOpenNotification(QORCommand*, QORNotification*, QORCommandClientData) {
  OpenAnyProfile(ProfileKind);
}

void QORMldBOMDlg::OnPushButtonOpenRefProfNotification(QORCommand*, QORNotification*, QORCommandClientData) {
  OpenAnyProfile(ReferenceKind);
}

// Only one file dialog is open at a time.
void QORMldBOMDlg::CloseProfileBoxes() {
  if (ProfileChooser) {
    ProfileChooser->SetVisibility(QORDlgHide);
    QORRelease(ProfileChooser);
  }
  if (ProfileFileBox) {
    ProfileFileBox->SetVisibility(QORDlgHide);
    ProfileFileBox->Close();
    QORRelease(ProfileFileBox);
  }
}

void QORMldBOMDlg::OpenAnyProfile(const int& kind) {
  const int choice = kind;
  CloseProfileBoxes();
  QORRecord* recorder = QORRecord::GetMain();
  const bool replay = recorder && (recorder->IsReplay() || recorder->IsCapture());
  const QORUnicodeString title = QORTlgErrorServices::BuildMessage(
      DialogCatalog, choice == ReferenceKind ? "TitleRefProfileSelection" : "TitleProfileSelection", nullptr, 0);
  const QORUnicodeString description =
      QORMsgCatalog::BuildMessage(DialogCatalog, "TitleProfileDescription", nullptr, 0, "Tooling Profile (*.bom)");
  const Handler onOK =
      choice == ReferenceKind ? &QORMldBOMDlg::OnOKOpenRefProfNotification : &QORMldBOMDlg::OnOKFileOpenNotification;
  const Handler onCancel = choice == ReferenceKind ? &QORMldBOMDlg::OnCancelOpenRefProfNotification
                                                   : &QORMldBOMDlg::OnCancelFileOpenNotification;

  if (QORFmuProtectedServices::IsNormalOrRecordGE(9) && !replay) {
    QORFileMenuMethods::CreateDocChooser(GetFatherWindow(), "FileOpen", 0, 0x1001200, nullptr, ProfileChooser);
    if (!ProfileChooser) return;
    ProfileChooser->AddFileFilter(description, "*.bom", 1);
    ProfileChooser->SetTitle(title);
    QORCommand* command = nullptr;
    QORNotification* okNotification = nullptr;
    QORNotification* cancelNotification = nullptr;
    if (SUCCEEDED(ProfileChooser->GetCommand(command)) &&
        SUCCEEDED(ProfileChooser->GetOKNotification(okNotification)) &&
        SUCCEEDED(ProfileChooser->GetCancelNotification(cancelNotification))) {
      if (!command || !okNotification || !cancelNotification) {
        QORSysCheckFailure(
            "ExpressionCheck:NULL != pCmd && NULL != pDiaOKNotification && NULL != pDiaCANCELNotification",
            "QORMldBOMDlg", 793);
      } else {
        command->SetFather(this);
        Wire(command, okNotification, onOK);
        Wire(command, cancelNotification, onCancel);
      }
    }
    ProfileChooser->SetVisibility(QORDlgShow);
    return;
  }

  QORFileMenuMethods::CreateCurrentDocEnvDialogBox(GetFatherWindow(), "FileSelection", 512, ProfileFileBox, nullptr);
  if (!ProfileFileBox) return;
  ProfileFileBox->AddFileFilter(description, "*.bom", 1);
  ProfileFileBox->SetTitle(title);
  if (replay && (choice == ProfileKind || choice == ReferenceKind)) {
    // Replayed sessions preset the box, and start from a fresh profile unless told to keep one.
    QORUnicodeString directory;
    QORUnicodeString name;
    if (ReadEnvironment(choice == ProfileKind ? "TlgBOM_RPL_BOM_DIR" : "TlgBOM_RPL_BOMREF_DIR", directory)) {
      ProfileFileBox->SetDirectory(directory);
      if (ReadEnvironment(choice == ProfileKind ? "TlgBOM_RPL_BOM_NAME" : "TlgBOM_RPL_BOMREF_NAME", name)) {
        ProfileFileBox->SetFileName(name);
        QORUnicodeString initial;
        QORUnicodeString fullName;
        const bool keepProfile = choice == ProfileKind && ReadEnvironment("TlgBOM_RPL_BOMINIT_FULLNAME", initial);
        if (!keepProfile && ReadEnvironment("TlgBOM_RPL_BOM_FULLNAME", fullName) &&
            QORFileAccess(fullName, QORFileExists) == 0)
          QORDeleteFile(fullName);
      }
    }
  }
  QORCommand* command = nullptr;
  ProfileFileBox->GetCommand(command);
  if (command) {
    command->SetFather(this);
    Wire(command, ProfileFileBox->GetOKNotification(), onOK);
    Wire(command, ProfileFileBox->GetCancelNotification(), onCancel);
  }
  ProfileFileBox->SetVisibility(QORDlgShow);
}

void QORMldBOMDlg::AcceptChosenProfile(int kind) {
  QORUnicodeString path;
  if (ProfileChooser) {
    QORListValQORIDocId_var documents;
    ProfileChooser->GetSelectedDocuments(documents);
    QORIDocId_var document = documents.Size() >= 1 ? documents[1] : QORIDocId_var();
    QORIDocEnvironment* environment = nullptr;
    if (document) document->GetDocEnvironment(environment);
    if (environment) {
      const QORUnicodeString identifier = document->GetIdentifier();
      QORUnicodeString realPath;
      if (environment->GetType() == "File")
        path = identifier;
      else if (SUCCEEDED(QORGetRealPath(identifier, realPath)) && !realPath.IsEmpty())
        environment->ConvertIdToPath(identifier, path);
    }
    QORRelease(environment);
    ProfileChooser->SetVisibility(QORDlgHide);
    QORRelease(ProfileChooser);
  } else if (ProfileFileBox) {
    QORIDocument* document = nullptr;
    if (SUCCEEDED(ProfileFileBox->GetSelectedDocument(document)) && document) path = document->GetPath();
    QORRelease(document);
    ProfileFileBox->SetVisibility(QORDlgHide);
    ProfileFileBox->Close();
    QORRelease(ProfileFileBox);
  } else {
    return;
  }
  path = WithProfileExtension(path);
  if (kind == ReferenceKind)
    SetReferenceFile(path);
  else
    SetReportFile(path);
  SendProfileChosen();
}

// The host deletes the notification when the current user event ends.
void QORMldBOMDlg::SendProfileChosen() {
  QORMldFileOpenOKNotif* notification = new QORMldFileOpenOKNotif();
  if (!notification) return;
  QORCleaner::DeleteOnTransactionEnd(notification);
  SendNotification(GetFather(), notification);
}

void QORMldBOMDlg::OnOKFileOpenNotification(QORCommand*, QORNotification*, QORCommandClientData) {
  AcceptChosenProfile(ProfileKind);
}

void QORMldBOMDlg::OnOKOpenRefProfNotification(QORCommand*, QORNotification*, QORCommandClientData) {
  AcceptChosenProfile(ReferenceKind);
}

void QORMldBOMDlg::OnCancelFileOpenNotification(QORCommand*, QORNotification*, QORCommandClientData) {
  if (ProfileChooser) {
    ProfileChooser->SetVisibility(QORDlgHide);
    QORRelease(ProfileChooser);
    return;
  }
  if (ProfileFileBox) {
    ProfileFileBox->SetVisibility(QORDlgHide);
    ProfileFileBox->Close();
    QORRelease(ProfileFileBox);
  }
}

void QORMldBOMDlg::OnCancelOpenRefProfNotification(QORCommand* publisher, QORNotification* notification,
                                                   QORCommandClientData data) {
  OnCancelFileOpenNotification(publisher, notification, data);
}

void QORMldBOMDlg::OnEdtNameProfNotification(QORCommand*, QORNotification*, QORCommandClientData data) {
  const intptr_t which = reinterpret_cast<intptr_t>(data);
  if (which != ReportNameData && which != RefProfNameData) return;
  QORDlgEditor* editor = which == ReportNameData ? ReportName : RefProfName;
  QORUnicodeString& stored = which == ReportNameData ? ReportFile : ReferenceFile;
  if (!editor) return;
  bool valid = true;
  QORUnicodeString text = editor->GetLine();
  if (!text.IsEmpty()) {
    if (!Contains(text, ProfileExtension)) text += ProfileExtension;
    // A bare name would be looked for wherever the host happens to run: a directory is required.
    if (!Contains(text, "\\") && !Contains(text, "/")) {
      QORTlgErrorServices::DisplayWarning(CommandCatalog, "ProfileTitle", "ProfileDirError", nullptr, 0);
      valid = false;
    }
  }
  if (text == stored) valid = false;
  stored = text;
  editor->SetLine(stored, -1, 0);
  if (valid) SendProfileChosen();
}
