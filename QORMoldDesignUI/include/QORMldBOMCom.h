// The Bill of Materials command: its state graph, the product analysis, profiles and the report.
#ifndef QORMldBOMCom_H
#define QORMldBOMCom_H

#include "QORBase.h"
#include "QORCommandEngine.h"
#include "QORFileBoxes.h"
#include "QORKnowledge.h"
#include "QORProductStructure.h"

#include <memory>

class QORMldBOMDlg;
class QORMldBOMNameLookup;
// What the analysis keeps of one component instance; defined with the command's code.
struct QORMldBOMInstanceRecord;

class QOR_EXPORT QORMldBOMCom : public QORStateCommand {
 public:
  explicit QORMldBOMCom(QORString* argument = nullptr);
  QORMldBOMCom(const QORMldBOMCom& other);
  ~QORMldBOMCom() override;
  QORMldBOMCom& operator=(const QORMldBOMCom&) = delete;

  QORStatusChange Activate(QORCommand* from, QORNotification* notification) override;
  QORStatusChange Desactivate(QORCommand* from, QORNotification* notification) override;
  QORStatusChange Cancel(QORCommand* from, QORNotification* notification) override;
  const char* GetResourceFilename(int index) const override;
  void BuildGraph() override;

  // Actions and conditions of the state graph.
  QORBoolean BomAsked(void* data);
  QORBoolean CancelDocEnvDialogBox(void* data);
  QORBoolean ActSelReport(void* data);
  QORBoolean ActSelProd(void* data);
  QORBoolean ActClose(void* data);
  QORBoolean SaveAsBom(void* data);

  // Profiles.
  HRESULT GetProfile();

  // Number labels of the letter numbering.
  void ComputeLabelFromIndex(int index, QORUnicodeString& label) const;
  HRESULT CheckThatLabelIsAuthorized(const QORUnicodeString& label) const;
  int ComputeIndexFromLabel(const QORUnicodeString& label) const;

  // Component attributes.
  QORBoolean FindToolingType(const QORListOfQORUnicodeString& types, const QORUnicodeString& type) const;
  HRESULT GetReferenceInPart(int mode, const QORIProduct_var& instance, QORUnicodeString& value,
                             QORICkeParm_var& parameter) const;

  // For the host's views and tests: read-only access to the command's state.
  QORMldBOMDlg* GetDialog() const { return Dialog; }
  QORIFmuDialogBox* GetSaveBox() const { return SaveBox; }

 private:
  // Unit tests reach the members through this class.
  friend class QORMldBOMComTestAccess;

  // Working types of the numbering and of the profile reader, defined with the code.
  struct Numbering;
  struct ProfileSettings;

  // State graph.
  QORNotification* ReportActivation() const;
  void CreateAgents();
  void CreateSaveBox();
  void AddStatesAndTransitions();
  void ApplyReplayPresets();

  // Successor rule of the letter numbering: the next label to hand out, moving the counter.
  void NextLetterLabel(int& counter, QORUnicodeString& label) const;

  // Product analysis.
  QORIProduct_var SelectedAssembly() const;
  void AnalyseProduct(const QORIProduct_var& product);
  void ClearLines();
  void BuildLines(const std::vector<QORMldBOMInstanceRecord>& records);
  void AppendLine(const QORMldBOMInstanceRecord& record, int quantity);
  void ShowLines(const QORIProduct_var& product, const std::vector<QORMldBOMInstanceRecord>& records,
                 const QORListOfInt& widths, QORBoolean integerMode, QORBoolean keepMode);
  void ShowLine(int line, const QORListOfInt& widths, Numbering& numbering);
  QORUnicodeString NumberLabel(int line, Numbering& numbering);
  int FindProfileRecord(const QORUnicodeString& instanceName);
  void ShowProfileAddedColumns();
  void AddProfileColumns(int count);
  void ApplyProfileColumnOrder();

  // Profile reading and writing.
  void ClearProfile();
  QORBoolean ChooseProfileFile(QORUnicodeString& path, QORBoolean& asReference);
  QORBoolean CheckProfileFile(const QORUnicodeString& path, QORBoolean asReference);
  void ParseProfile(const QORListOfQORUnicodeString& lines, ProfileSettings& settings);
  QORBoolean ReadSettingsLine(const QORUnicodeString& line, ProfileSettings& settings);
  QORBoolean ReadFixedColumnLine(const QORUnicodeString& line);
  QORBoolean ReadColumnDefinitionLine(const QORUnicodeString& line, int lineNumber, ProfileSettings& settings);
  QORBoolean EndProfileHeader(int lineNumber);
  void ReadDataLine(const QORUnicodeString& line, const ProfileSettings& settings);
  void ApplyProfileHeader(const ProfileSettings& settings);
  void WriteProfile();

  // The CSV report.
  QORUnicodeString ProjectPath() const;
  void WriteReport(unsigned int file, const QORListOfQORUnicodeString& dateLine, const QORListOfQORUnicodeString& titles,
                   int rowCount);

  QORDialogAgent* CloseAgent;
  QORDialogAgent* ReportAgent;
  QORPathElementAgent* ProductAgent;
  QORMldBOMDlg* Dialog;
  QORIProduct_var AnalysedProduct;
  QORListValQORBaseUnknown_var LineProducts;
  QORListOfQORUnicodeString LineTypes;
  QORListOfQORUnicodeString LineIndexes;
  QORListOfQORUnicodeString LineQuantities;
  QORListOfQORUnicodeString LinePartNumbers;
  QORListOfQORUnicodeString LineReferences;
  QORListOfQORUnicodeString LineMoldReferences;
  QORListOfQORUnicodeString LineSuppliers;
  QORListOfQORUnicodeString LineMaterials;
  QORListOfQORUnicodeString LineSources;
  QORListOfQORUnicodeString LineHeatTreats;
  QORListOfQORUnicodeString LineInstanceNames;
  QORListOfQORUnicodeString LineUnitPrices;
  QORIFmuDialogBox* SaveBox;
  QORDialogAgent* SaveBoxAgent;
  QORPanelAcquisition* PanelAgent;
  int ProfileMaxNumber;
  QORListOfInt ProfileColumnPositions;
  QORListOfQORUnicodeString ProfileColumnTitles;
  QORListOfQORUnicodeString ProfileColumnKinds;
  QORListOfQORUnicodeString ProfileColumnProperties;
  QORListOfQORUnicodeString InstanceGroups;
  QORListOfInt ProfileNumbers;
  QORListOfQORUnicodeString ProfileInstanceNames;
  QORListOfQORUnicodeString ProfileUnitPrices;
  QORListOfQORUnicodeString ProfileAddedValues;
  QORListOfQORUnicodeString ProfileAssociations;
  // The profile records by name, built at the first lookup of an analysis.
  std::unique_ptr<QORMldBOMNameLookup> ProfileLookup;
  // The column widths handed with every line of the last analysis.
  QORListOfInt LineWidths;
};

// The factory the class dictionary knows the command by.
extern "C" QOR_EXPORT QORBaseUnknown* fctCreateQORMldBOMCom(QORString* argument);

// File-level functions of the profile and report files.
// Writes the elements of line, each followed by ";", then CR LF, in one write call.
QOR_EXPORT HRESULT QORMldBOMWriteLine(const QORListOfQORUnicodeString& line, unsigned int file);
// Writes a line of the CSV report as QORMldBOMWriteLine does, each field made safe for a
// spreadsheet first: quoted when it holds ";", a double quote, CR or LF, and led by an apostrophe
// when it would start a formula.
QOR_EXPORT HRESULT QORMldBOMWriteReportLine(const QORListOfQORUnicodeString& line, unsigned int file);
// Writes the header section of a profile.
QOR_EXPORT HRESULT QORMldBOMWriteHeader(QORMldBOMDlg* dialog, const QORIProduct_var& product, unsigned int file);
// Reads the whole file and appends its non-empty lines.
QOR_EXPORT HRESULT QORMldBOMReadLines(unsigned int file, QORListOfQORUnicodeString& lines);

#endif
