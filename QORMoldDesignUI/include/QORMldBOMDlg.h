// The BOM dialog: settings, profile fields, the column bar, the BOM table and the total price.
#ifndef QORMldBOMDlg_H
#define QORMldBOMDlg_H

#include "QORBase.h"
#include "QORDialogToolkit.h"
#include "QOREditor.h"
#include "QORFileBoxes.h"
#include "QORKnowledge.h"
#include "QORProductStructure.h"

#include <memory>

class QORMldBOMPartLookup;

class QOR_EXPORT QORMldBOMDlg : public QORDlgDialog {
 public:
  static const int ColumnSlotCount;
  static const int FixedColumnCount;

  QORMldBOMDlg();
  QORMldBOMDlg(const QORMldBOMDlg& other);
  QORMldBOMDlg& operator=(const QORMldBOMDlg& other);
  ~QORMldBOMDlg() override;

  const char* GetResourceFilename(int level) const override;
  void Build();

  // Column model.
  void InitReport();
  void AddCol(const QORUnicodeString& title, const QORBoolean& editable);
  void AddColFromUserProperty(const QORUnicodeString& propertyName, const QORUnicodeString& title);
  void HideCol(const int& position);
  void MoveColumnTo(const int& descriptor, const int& position);
  void GetColumnTitles(QORListOfQORUnicodeString& titles);
  void GetListOfColInfo(QORListOfInt& positions, QORListOfInt& kinds, QORListOfQORUnicodeString& properties,
                        QORListOfQORUnicodeString& titles);
  int GetNumberOfLines();
  int GetNumberOfItems();
  void SetAssociatedPart(QORIProduct_var product);
  void SetProductToAnalyze(QORIProduct_var product);
  void SetAllParts(const QORListValQORBaseUnknown_var& instances, const QORListOfQORUnicodeString& groups,
                   const QORListValQORISpecObject_var& unitPriceParameters);
  QORUnicodeString GetReportFile();
  QORUnicodeString GetReferenceFile();
  void SetReportFile(const QORUnicodeString& path);
  void SetReferenceFile(const QORUnicodeString& path);

  // Report display and numbering.
  void DisplayReport(const QORListOfQORUnicodeString& values, const QORListOfInt& widths);
  void AddBlankLine();
  void DisplayAdded(const QORListOfQORUnicodeString& names, const QORListOfQORUnicodeString& values,
                    const QORListOfQORUnicodeString& groupsA, const QORListOfQORUnicodeString& groupsB);
  QORUnicodeString SearchInstanceName(const QORUnicodeString& name, const QORListOfQORUnicodeString& known,
                                      const QORListOfQORUnicodeString& groupsA,
                                      const QORListOfQORUnicodeString& groupsB);
  void GetLine(const int& row, QORListOfQORUnicodeString& cells);
  void GetLineInfo(const int& row, const int& partIndex, QORListOfQORUnicodeString& fields, QORBoolean& isBlank);
  void GetTypeOfSort(int& type);
  void SetTypeOfSort(const int& type);
  QORBoolean IsIntegerMode();
  void SetNumberingMode(const QORBoolean& integers);
  void SetInitialNumberingMode(const QORBoolean& integers);
  QORBoolean IsKeepMode();
  void SetKeepMode(const QORBoolean& keep);
  void GetStartAndIncrement(int& start, int& increment);
  void SetStartAndIncrement(const int& start, const int& increment);

  // Prices.
  void UpdatePrice();

  // Profile selection.
  void OpenAnyProfile(const int& kind);

 private:
  // Unit tests reach the members through this class.
  friend class QORMldBOMDlgTestAccess;

  // Private column operation: moves the selected column one place.
  void MoveColumn(QORBoolean toTheRight, int& from, int& to);
  void HighlightComponents();
  void EmptyHSO();

  // Callbacks.
  void PushClose(QORCommand* publisher, QORNotification* notification, QORCommandClientData data);
  void PushSave(QORCommand* publisher, QORNotification* notification, QORCommandClientData data);
  void PushAdd(QORCommand* publisher, QORNotification* notification, QORCommandClientData data);
  void PushAddFromUserProperty(QORCommand* publisher, QORNotification* notification, QORCommandClientData data);
  void PushLeft(QORCommand* publisher, QORNotification* notification, QORCommandClientData data);
  void PushRight(QORCommand* publisher, QORNotification* notification, QORCommandClientData data);
  void PushHide(QORCommand* publisher, QORNotification* notification, QORCommandClientData data);
  void PushDisplay(QORCommand* publisher, QORNotification* notification, QORCommandClientData data);
  void PushRename(QORCommand* publisher, QORNotification* notification, QORCommandClientData data);
  void PushDelete(QORCommand* publisher, QORNotification* notification, QORCommandClientData data);
  void ModifyCell(QORCommand* publisher, QORNotification* notification, QORCommandClientData data);
  void SelectCol(QORCommand* publisher, QORNotification* notification, QORCommandClientData data);
  void SelectList(QORCommand* publisher, QORNotification* notification, QORCommandClientData data);
  void ModifyMode(QORCommand* publisher, QORNotification* notification, QORCommandClientData data);
  void VerifyInteger(QORCommand* publisher, QORNotification* notification, QORCommandClientData data);
  void VerifyNameCol(QORCommand* publisher, QORNotification* notification, QORCommandClientData data);
  void VerifyRename(QORCommand* publisher, QORNotification* notification, QORCommandClientData data);
  void OnPushButtonFileOpenNotification(QORCommand* publisher, QORNotification* notification,
                                        QORCommandClientData data);
  void OnPushButtonOpenRefProfNotification(QORCommand* publisher, QORNotification* notification,
                                           QORCommandClientData data);
  void OnOKFileOpenNotification(QORCommand* publisher, QORNotification* notification, QORCommandClientData data);
  void OnCancelFileOpenNotification(QORCommand* publisher, QORNotification* notification,
                                    QORCommandClientData data);
  void OnOKOpenRefProfNotification(QORCommand* publisher, QORNotification* notification,
                                   QORCommandClientData data);
  void OnCancelOpenRefProfNotification(QORCommand* publisher, QORNotification* notification,
                                       QORCommandClientData data);
  void OnEdtNameProfNotification(QORCommand* publisher, QORNotification* notification, QORCommandClientData data);

  // Private helpers of the implementation.
  using Handler = void (QORMldBOMDlg::*)(QORCommand*, QORNotification*, QORCommandClientData);
  void InitializeMembers();
  void CopyMembers(const QORMldBOMDlg& other);
  void LoadFixedTitles();
  QORUnicodeString FixedTitle(int descriptor) const;
  void CreateWidgets(QORDlgLabel*& lbMode, QORDlgLabel*& lbExisting);
  void FillComboDisplay();
  void SetUpTableColumns();
  void LayOutFrames();
  void PlaceGridChildren(QORDlgLabel* lbMode, QORDlgLabel* lbExisting);
  QORCallback Wire(QORCommand* publisher, QORNotification* notification, Handler handler,
                   QORCommandClientData data = nullptr);
  void WireCallbacks();
  void RemoveCallbacks();
  void ForgetWidgets();
  int StoredPosition(int descriptor) const;
  int DisplayPosition(int descriptor) const;
  int ColumnKind(int descriptor) const;
  int ShownDescriptorAt(int position) const;
  int HiddenDescriptorAt(int position) const;
  QORUnicodeString CellText(int position, int row) const;
  QORUnicodeString DescriptorCell(int descriptor, int row) const;
  void SetCellText(int position, int row, const QORUnicodeString& text);
  void SetColumnTitle(int position, const QORUnicodeString& title);
  QORBoolean IsTitleInUse(const QORUnicodeString& title) const;
  void CollectHiddenTitles(QORListOfQORUnicodeString& titles) const;
  void ClearMarkerRow();
  void ResetColumnSelection();
  void DisableAddWidgetsWhenFull();
  int MoveTarget(QORBoolean toTheRight, int from) const;
  void RotateToLastInUse(int position);
  void MoveSelectedColumn(QORBoolean toTheRight);
  QORUnicodeString PartInstanceName(int partIndex) const;
  void FindLineInstanceNames(int row, int partIndex, QORListOfQORUnicodeString& names) const;
  bool IsDataRow(int row) const;
  void ShowTotalPrice(int pricePosition);
  void ReadUserPropertyValues(const QORUnicodeString& propertyName, QORListOfQORUnicodeString& values) const;
  void CloseProfileBoxes();
  void AcceptChosenProfile(int kind);
  void SendProfileChosen();

 public:
  // For the host's views and the command: the report button, whose activation the command hears.
  QORDlgPushButton* GetReportButton() const { return PushAnalyze; }

 private:
  // Callback handles, one per registration made by Build.
  QORCallback CbClose, CbWindClose, CbSave, CbAdd, CbAddUser, CbLeft, CbLeftRepeat, CbRight, CbRightRepeat,
      CbHide, CbDisplay, CbRename, CbDelete, CbCellModify, CbColumnActivate, CbListSelect, CbRadioInteger,
      CbRadioLetter, CbStartNumber, CbIncrNumber, CbEditName, CbEditNameUser, CbEditRename, CbFileOpen,
      CbOpenRefProf, CbReportName, CbRefProfName;

  QORDlgFrame* FrmRoot;
  QORDlgFrame* FrmNumber;
  QORDlgFrame* FrmMode;
  QORDlgFrame* FrmExisting;
  QORDlgFrame* FrmTop;
  QORDlgFrame* FrmBottom;
  QORDlgLabel* LbProdSel;
  QORDlgEditor* ProductSelector;
  QORDlgCheckButton* CheckSort;
  QORDlgFrame* FrmResults;
  QORDlgCombo* ComboDisplay;
  QORDlgMultiList* ListBOM;
  QORDlgPushButton* PushLeft_;
  QORDlgPushButton* PushRight_;
  QORDlgPushButton* PushHide_;
  QORDlgPushButton* PushDisplay_;
  QORDlgPushButton* PushAdd_;
  QORDlgPushButton* PushAddUser;
  QORDlgPushButton* PushRename_;
  QORDlgPushButton* PushDelete_;
  QORDlgPushButton* PushFileOpen;
  QORDlgPushButton* PushOpenRefProf;
  QORDlgRadioButton* RadioInteger;
  QORDlgRadioButton* RadioLetter;
  QORDlgRadioButton* RadioKeep;
  QORDlgRadioButton* RadioReplace;
  QORDlgCheckButton* CheckEditable;
  QORDlgEditor* StartNumber;
  QORDlgLabel* LbIntStart;
  QORDlgEditor* IncrNumber;
  QORDlgLabel* LbIntIncr;
  QORDlgEditor* EditRename;
  QORDlgEditor* ReportName;
  QORDlgEditor* RefProfName;
  QORDlgEditor* EditName;
  QORDlgEditor* EditNameUser;
  QORDlgLabel* LbTotalPrice;
  QORDlgEditor* EditTotalPrice;

  QORFrmEditor* CurrentEditor;
  QORIFmuDocChooser* ProfileChooser;
  QORIFmuDialogBox* ProfileFileBox;
  QORUnicodeString FixedTitles[11];
  QORUnicodeString ReportFile;
  QORUnicodeString ReferenceFile;
  int InitialNumberingMode;
  int NumberOfItems;
  int SelectedColumn;
  QORListOfInt ColumnPositions;
  QORListOfInt ColumnKinds;
  QORListOfQORUnicodeString ColumnProperties;
  QORListValQORBaseUnknown_var AssociatedParts;
  QORListValQORBaseUnknown_var ComponentInstances;
  QORListOfQORUnicodeString InstanceGroups;
  QORListValQORISpecObject_var UnitPriceParameters;
  // Built from the groups and the component instances at first use after SetAllParts.
  mutable std::unique_ptr<QORMldBOMPartLookup> PartLookup;
  const QORMldBOMPartLookup& Parts() const;
  QORDlgPushButton* PushAnalyze;
};

#endif
