// Dialog toolkit: commands and notifications, and a headless, retained widget model (dialogs,
// frames, labels, editors, buttons, combos and the multi-column list).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "QORBase.h"

class QORCommand;
class QORNotification;
class QORDlgDialog;

// ---------------------------------------------------------------------------------------------
// Toolkit values
// ---------------------------------------------------------------------------------------------
inline constexpr int QORDlgShow = 2;
inline constexpr int QORDlgHide = 4;
inline constexpr int QORDlgEnable = 8;
inline constexpr int QORDlgDisable = 16;
inline constexpr int QORDlgChecked = 0x40000;
inline constexpr int QORDlgUnchecked = 0x80000;
inline constexpr int QORDlgDataAdd = 64;
inline constexpr int QORDlgDataModify = 128;

// Editor styles.
inline constexpr int QORDlgEdtInteger = 0x200000;
inline constexpr int QORDlgEdtFloat = 0x400000;
inline constexpr int QORDlgEdtReadOnly = 0x4000000;
// Push button style: sends a repetitive notification while held down.
inline constexpr int QORDlgPushBRepetitive = 0x40000;

// ---------------------------------------------------------------------------------------------
// Notifications
// ---------------------------------------------------------------------------------------------

// A notification. Each widget owns one notification object per kind it publishes; handlers and
// agents registered for a notification object match that object, or any notification of its class
// when registered by class name.
class QOR_EXPORT QORNotification : public virtual QORBaseUnknown {
 public:
  explicit QORNotification(std::string className = "QORNotification") : className_(std::move(className)) {}
  static const char* ClassName() { return "QORNotification"; }
  const char* GetImplClassName() const override { return className_.c_str(); }

 private:
  std::string className_;
};

// Sent by the BOM dialog to its father command when the user has named a profile.
class QOR_EXPORT QORMldFileOpenOKNotif : public QORNotification {
 public:
  QORMldFileOpenOKNotif() : QORNotification(ClassName()) {}
  static const char* ClassName() { return "QORMldFileOpenOKNotif"; }
};

// Notifications created by the module are handed here; the host releases them when the current
// user event (transaction) ends.
class QOR_EXPORT QORCleaner {
 public:
  static void DeleteOnTransactionEnd(QORBaseUnknown* object);
};

using QORCommandClientData = void*;
using QORCallback = int;
// A handler: a member of the subscribing command, cast to this type by the subscriber.
using QORCommandMethod = void (QORCommand::*)(QORCommand* publisher, QORNotification* notification,
                                              QORCommandClientData data);

// A node of the host's command tree: widgets, dialogs, agents and state commands are commands.
// Notifications travel from a publisher to the handlers registered for it, and up the tree with
// SendNotification.
class QOR_EXPORT QORCommand : public virtual QORBaseUnknown {
 public:
  explicit QORCommand(const QORString& identifier = "", int mode = 0);
  ~QORCommand() override;
  QORCommand(const QORCommand&);
  QORCommand& operator=(const QORCommand&);

  static const char* ClassName() { return "QORCommand"; }
  const char* GetImplClassName() const override { return ClassName(); }
  const QORString& GetName() const { return identifier_; }
  int GetMode() const { return mode_; }

  QORCommand* GetFather() const { return father_; }
  void SetFather(QORCommand* father) { father_ = father; }

  // Registers a handler of this command for a notification published by publisher (null: any
  // publisher). Returns a non-zero handle for RemoveAnalyseNotificationCB.
  QORCallback AddAnalyseNotificationCB(QORCommand* publisher, QORNotification* notification,
                                       QORCommandMethod method, QORCommandClientData data);
  // The same for every notification of a class, by class name.
  QORCallback AddAnalyseNotificationCB(QORCommand* publisher, const char* notificationClassName,
                                       QORCommandMethod method, QORCommandClientData data);
  // Removes a handler this command registered; a handle of another command's is left alone.
  void RemoveAnalyseNotificationCB(QORCallback callback);

  // Sends a notification from this command to target: target's handlers for it run; when target
  // has none, the notification goes on to target's father.
  void SendNotification(QORCommand* target, QORNotification* notification);

  // Publishes a notification as the result of a user event on this command: the handlers
  // registered for it run in registration order, then the running state command sees it.
  void Dispatch(QORNotification* notification);

  // Ends this command's life once the host is done with it (after the current user event; a
  // dialog is hidden at once and goes when the command that created it has ended).
  virtual void RequestDelayedDestruction();
  bool IsDestructionRequested() const { return destructionRequested_; }

  // Resource names of the class chain, most derived first (level 0).
  virtual const char* GetResourceFilename(int level) const;

 private:
  QORString identifier_;
  int mode_ = 0;
  QORCommand* father_ = nullptr;
  bool destructionRequested_ = false;
};

// Deletes a command at once (releases the creator's reference).
QOR_EXPORT void QORCommandDeletion(QORCommand* command);

// ---------------------------------------------------------------------------------------------
// Widgets
// ---------------------------------------------------------------------------------------------

// Base of every widget. A widget is created with its parent, which owns it (the creation
// reference); it keeps the state the module sets and a user event changes.
class QOR_EXPORT QORDialog : public QORCommand {
 public:
  QORDialog(QORDialog* parent, const QORString& identifier, int style);
  ~QORDialog() override;
  QORDialog(const QORDialog&) = delete;
  QORDialog& operator=(const QORDialog&) = delete;
  static const char* ClassName() { return "QORDialog"; }
  const char* GetImplClassName() const override { return ClassName(); }
  const char* GetResourceFilename(int level) const override;
  // A widget whose destruction is requested is hidden at once.
  void RequestDelayedDestruction() override;

  QORDialog* GetParent() const { return parent_; }
  // The window the widget lives in (its parent dialog's parent for a dialog).
  QORDialog* GetFatherWindow() const { return parent_; }
  int GetStyle() const { return style_; }
  const std::vector<QORDialog*>& GetChildren() const { return children_; }
  // The text the dialog's resources give this widget (label, button text, title).
  QORUnicodeString GetTitle() const;
  void SetTitle(const QORUnicodeString& title) {
    title_ = title;
    titleSet_ = true;
  }

  void SetVisibility(int visibility, int notify = 0);
  int GetVisibility() const { return visibility_; }
  void SetSensitivity(int sensitivity, int notify = 0);
  int GetSensitivity() const { return sensitivity_; }
  // Shown and enabled here and in every ancestor: what a user can act on.
  bool IsUsable() const;

  void SetGridConstraints(int row, int column, int columnSpan, int rowSpan, int justification);
  struct Grid {
    bool set = false;
    int row = 0, column = 0, columnSpan = 1, rowSpan = 1, justification = 0;
  };
  const Grid& GetGridConstraints() const { return grid_; }

  // An icon and three alternative icons (pressed, disabled, focus); flag is the toolkit's.
  void SetIconName(const QORUnicodeString& icon, const QORUnicodeString& pressed = "",
                   const QORUnicodeString& disabled = "", const QORUnicodeString& focus = "", int flag = 0);
  const QORUnicodeString& GetIconName() const { return icon_; }

  // Finds a widget of this subtree by identifier.
  QORDialog* FindWidget(const QORString& identifier);

  // Host side: the nearest QORDlgDialog, this widget included; null when there is none.
  QORDlgDialog* GetDialog() const;
  // Host side: visits this widget and its subtree depth first, children in creation order; depth
  // is 0 for this widget. GetImplClassName() gives each widget's class.
  void VisitTree(const std::function<void(const QORDialog& widget, int depth)>& visit) const;
  // Host side: takes the widget out of its parent's children without releasing it; the caller
  // then owns the creation reference (the engine destroying a closed dialog).
  void DetachFromParent();

 private:
  friend class QORDlgFrame;
  QORDialog* parent_ = nullptr;
  int style_ = 0;
  int visibility_ = QORDlgShow;
  int sensitivity_ = QORDlgEnable;
  Grid grid_;
  QORUnicodeString icon_;
  QORUnicodeString title_;
  bool titleSet_ = false;
  std::vector<QORDialog*> children_;
};

// A top-level dialog window, hidden until its command shows it. It publishes its close
// notifications; its widget texts come from the resource file named by GetResourceFilename(0).
// Without a parent it goes under the main window; its father is the command that created it.
class QOR_EXPORT QORDlgDialog : public QORDialog {
 public:
  QORDlgDialog(QORDialog* parent, const QORString& identifier, int style);
  ~QORDlgDialog() override;
  static const char* ClassName() { return "QORDlgDialog"; }
  const char* GetImplClassName() const override { return ClassName(); }
  const char* GetResourceFilename(int level) const override;

  QORNotification* GetDiaCLOSENotification() { return close_; }
  QORNotification* GetWindCloseNotification() { return windowClose_; }
  QORNotification* GetDiaOKNotification() { return ok_; }
  QORNotification* GetDiaCANCELNotification() { return cancel_; }
  void SetOKSensitivity(int sensitivity) { okSensitivity_ = sensitivity; }
  int GetOKSensitivity() const { return okSensitivity_; }

  // Layout of attached children (frames): records what the module asked for.
  void Attach4Sides(QORDialog* child);
  void SetDefaultOrientation(int orientation) { orientation_ = orientation; }
  int GetDefaultOrientation() const { return orientation_; }
  const std::vector<QORDialog*>& GetAttachedToAllSides() const { return allSides_; }

  // Host side: the command that was running when the dialog was created.
  QORCommand* GetCreator() const { return creator_; }

 private:
  QORNotification* close_;
  QORNotification* windowClose_;
  QORNotification* ok_;
  QORNotification* cancel_;
  int okSensitivity_ = QORDlgEnable;
  int orientation_ = 0;
  std::vector<QORDialog*> allSides_;
  QORCommand* creator_ = nullptr;
};

// A frame: groups children placed by grid constraints or by tabulation attachments.
class QOR_EXPORT QORDlgFrame : public QORDialog {
 public:
  QORDlgFrame(QORDialog* parent, const QORString& identifier, int style = 0);
  static const char* ClassName() { return "QORDlgFrame"; }
  const char* GetImplClassName() const override { return ClassName(); }

  void Attach4Sides(QORDialog* child);
  void SetDefaultOrientation(int orientation) { orientation_ = orientation; }
  int GetDefaultOrientation() const { return orientation_; }
  // Attaches the children (a list ended by null) to tabulation tab with the attachment mode.
  void SetVerticalAttachment(int tab, int mode, QORDialog* child, ...);
  void SetHorizontalAttachment(int tab, int mode, QORDialog* child, ...);

  struct Attachment {
    bool vertical;
    int tab, mode;
    QORDialog* child;
  };
  const std::vector<Attachment>& GetAttachments() const { return attachments_; }
  const std::vector<QORDialog*>& GetAttachedToAllSides() const { return allSides_; }

 private:
  int orientation_ = 0;
  std::vector<Attachment> attachments_;
  std::vector<QORDialog*> allSides_;
};

class QOR_EXPORT QORDlgLabel : public QORDialog {
 public:
  QORDlgLabel(QORDialog* parent, const QORString& identifier, int style = 0);
  static const char* ClassName() { return "QORDlgLabel"; }
  const char* GetImplClassName() const override { return ClassName(); }
};

// A one-line editor. Style QORDlgEdtInteger holds an integer, QORDlgEdtFloat a real,
// QORDlgEdtReadOnly only shows what the program writes.
class QOR_EXPORT QORDlgEditor : public QORDialog {
 public:
  QORDlgEditor(QORDialog* parent, const QORString& identifier, int style = 0);
  ~QORDlgEditor() override;
  static const char* ClassName() { return "QORDlgEditor"; }
  const char* GetImplClassName() const override { return ClassName(); }

  // Line -1: the whole text. Notify 1 publishes the modify notification.
  void SetLine(const QORUnicodeString& text, int line = -1, int notify = 0);
  QORUnicodeString GetLine() const { return text_; }
  void SetIntegerValue(int value, int notify = 0);
  int GetIntegerValue() const;
  // The real value is kept in double precision; its text shows it with two decimals.
  void SetFloatValue(double value, int notify = 0);
  double GetFloatValue() const;
  void SetVisibleTextWidth(int width) { textWidth_ = width; }
  int GetVisibleTextWidth() const { return textWidth_; }

  QORNotification* GetEditModifyNotification() { return modify_; }

 private:
  QORUnicodeString text_;
  double real_ = 0.0;
  int textWidth_ = 0;
  QORNotification* modify_;
};

class QOR_EXPORT QORDlgPushButton : public QORDialog {
 public:
  QORDlgPushButton(QORDialog* parent, const QORString& identifier, int style = 0);
  ~QORDlgPushButton() override;
  static const char* ClassName() { return "QORDlgPushButton"; }
  const char* GetImplClassName() const override { return ClassName(); }
  QORNotification* GetPushBActivateNotification() { return activate_; }
  QORNotification* GetPushBRepetitiveNotification() { return repetitive_; }

 private:
  QORNotification* activate_;
  QORNotification* repetitive_;
};

class QOR_EXPORT QORDlgCheckButton : public QORDialog {
 public:
  QORDlgCheckButton(QORDialog* parent, const QORString& identifier, int style = 0);
  ~QORDlgCheckButton() override;
  static const char* ClassName() { return "QORDlgCheckButton"; }
  const char* GetImplClassName() const override { return ClassName(); }
  // QORDlgChecked or QORDlgUnchecked.
  void SetState(int state, int notify = 0);
  int GetState() const { return state_; }
  QORNotification* GetChkBModifyNotification() { return modify_; }

 private:
  int state_ = QORDlgUnchecked;
  QORNotification* modify_;
};

// A radio button; the radio buttons of one frame are exclusive when the user clicks one.
class QOR_EXPORT QORDlgRadioButton : public QORDialog {
 public:
  QORDlgRadioButton(QORDialog* parent, const QORString& identifier, int style = 0);
  ~QORDlgRadioButton() override;
  static const char* ClassName() { return "QORDlgRadioButton"; }
  const char* GetImplClassName() const override { return ClassName(); }
  void SetState(int state, int notify = 0);
  int GetState() const { return state_; }
  QORNotification* GetRadBModifyNotification() { return modify_; }

  // Host side, a user's click: button becomes checked and the other radio buttons of its parent
  // unchecked; then each button whose state changed publishes its modify notification, the
  // unchecked ones first. Returns those buttons in that order.
  static std::vector<QORDlgRadioButton*> ClickExclusive(QORDlgRadioButton* button);

 private:
  int state_ = QORDlgUnchecked;
  QORNotification* modify_;
};

// A drop-down list of text lines with one chosen line.
class QOR_EXPORT QORDlgCombo : public QORDialog {
 public:
  QORDlgCombo(QORDialog* parent, const QORString& identifier, int style = 0);
  ~QORDlgCombo() override;
  static const char* ClassName() { return "QORDlgCombo"; }
  const char* GetImplClassName() const override { return ClassName(); }

  // Mode QORDlgDataAdd appends at index -1 (or inserts at index); QORDlgDataModify replaces the
  // line at index.
  void SetLine(const QORUnicodeString& text, int index = -1, int mode = QORDlgDataAdd);
  // Mode QORDlgDataModify from index: the lines from index on become lines (the rest removed);
  // mode QORDlgDataAdd appends them. The first line becomes the chosen one when all are replaced.
  void SetLines(const QORListOfQORUnicodeString& lines, int index, int mode);
  void ClearLine();
  int GetLineCount() const { return static_cast<int>(lines_.size()); }
  void GetLine(QORUnicodeString& text, int index) const;
  // The chosen line's index, -1 when none.
  int GetSelect() const { return selected_; }
  void SetSelect(int index, int notify = 0);
  void SetVisibleTextWidth(int width) { textWidth_ = width; }
  int GetVisibleTextWidth() const { return textWidth_; }
  QORNotification* GetComboSelectNotification() { return select_; }

 private:
  std::vector<QORUnicodeString> lines_;
  int selected_ = -1;
  int textWidth_ = 0;
  QORNotification* select_;
};

// A table of columns addressed by display position (0 = leftmost) and rows from 0. Every column
// carries its title, cells, cell icons, text width, editability and visibility; reordering moves
// whole columns.
class QOR_EXPORT QORDlgMultiList : public QORDialog {
 public:
  QORDlgMultiList(QORDialog* parent, const QORString& identifier, int style = 0);
  ~QORDlgMultiList() override;
  static const char* ClassName() { return "QORDlgMultiList"; }
  const char* GetImplClassName() const override { return ClassName(); }

  // The number of column slots follows the titles set (SetColumnTitles).
  void SetColumnTitles(const QORListOfQORUnicodeString& titles);
  void GetColumnTitles(QORListOfQORUnicodeString& titles) const;
  QORUnicodeString GetColumnTitle(int position) const;
  int GetColumnCount() const { return static_cast<int>(columns_.size()); }

  void SetVisibleColumnCount(int count) { visibleColumns_ = count; }
  void SetVisibleLineCount(int count) { visibleLines_ = count; }
  // Width in characters; 0 is the toolkit's default.
  void SetColumnTextWidth(int position, int width);
  int GetColumnTextWidth(int position) const;
  void SetColumnEditable(int position, int editable);
  int GetColumnEditable(int position) const;
  void SetColumnVisibility(int position, int visibility);
  int GetColumnVisibility(int position) const;

  // Mode QORDlgDataAdd with row -1 appends: at display position 0 it always starts a new last row
  // (for every column); elsewhere the text fills the last row when this column's cell there was
  // never set, otherwise it starts a new last row. With an existing
  // row it writes that cell, with a row past the end it appends. Mode QORDlgDataModify sets the
  // cell at an existing row. A cell holds the text and icon of its last write (no icon for the
  // text-only form).
  void SetColumnItem(int position, const QORUnicodeString& text, int row = -1, int mode = QORDlgDataAdd);
  void SetColumnItem(int position, const QORUnicodeString& text, const QORUnicodeString& icon, int row,
                     int mode);
  HRESULT GetColumnItem(int position, QORUnicodeString& text, int row) const;
  QORUnicodeString GetCellIcon(int position, int row) const;
  int GetLineCount() const { return static_cast<int>(rows_.size()); }

  void SetRowEditable(int row, int editable);
  int GetRowEditable(int row) const;
  // Editable cell: its column and its row are editable.
  bool IsCellEditable(int position, int row) const;

  // Position i then holds the column that was at permutation[i] (positions from count on keep
  // theirs); flag is the toolkit's. Anything but a permutation of 0 to count - 1 is ignored.
  void ReorderColumns(const int* permutation, int count, int flag);

  int GetSelectCount() const;
  // Fills rows (size entries at most) with the selected rows, ascending.
  void GetSelect(int* rows, int size) const;
  bool IsRowSelected(int row) const;
  void ClearSelect();
  void SetSelect(const std::vector<int>& rows);

  // The column whose header was last activated, -1 when none.
  int GetSelectedColumn() const { return selectedColumn_; }
  void SetSelectedColumn(int position) { selectedColumn_ = position; }
  // 1 and the cell when the user modified one, 0 otherwise.
  int GetModifiedCell(int& row, int& position) const;
  void SetModifiedCell(int row, int position);

  QORNotification* GetListCellModifyNotification() { return cellModify_; }
  QORNotification* GetListColumnActivateNotification() { return columnActivate_; }
  QORNotification* GetListSelectNotification() { return select_; }

  int GetVisibleColumnCount() const { return visibleColumns_; }
  int GetVisibleLineCount() const { return visibleLines_; }

  // Host side, for views that redraw only what changed: a row's revision moves whenever its cells,
  // icons, editability or selection change, the columns' revision whenever a column's title, width,
  // editability, visibility or place does. Revisions come from one counter for every list of the
  // process, so no two changes anywhere share one.
  std::uint64_t GetRowRevision(int row) const;
  std::uint64_t GetColumnsRevision() const { return columnsRevision_; }

 private:
  // A report fills a dozen of its many columns, so a column stores its cells only up to the last
  // row it wrote, and icons apart: a cell never written reads as empty.
  struct Column {
    QORUnicodeString title;
    int width = 0;
    bool editable = false;
    int visibility = QORDlgShow;
    std::vector<QORUnicodeString> texts;
    std::vector<bool> written;
    std::unordered_map<int, QORUnicodeString> icons;

    bool IsWritten(int row) const;
    QORUnicodeString TextAt(int row) const;
    QORUnicodeString IconAt(int row) const;
    // False when the cell already held this text and icon.
    bool Write(int row, const QORUnicodeString& text, const QORUnicodeString& icon);
  };
  struct Row {
    bool editable = true;
    bool selected = false;
    std::uint64_t revision = 0;
  };
  Column* ColumnAt(int position);
  const Column* ColumnAt(int position) const;
  void AddRow();
  void RowChanged(std::size_t row);
  void ColumnsChanged();

  std::vector<Column> columns_;
  std::vector<Row> rows_;
  int visibleColumns_ = 0;
  int visibleLines_ = 0;
  int selectedColumn_ = -1;
  std::uint64_t columnsRevision_ = 0;
  int modifiedRow_ = -1;
  int modifiedColumn_ = -1;
  QORNotification* cellModify_;
  QORNotification* columnActivate_;
  QORNotification* select_;
};
