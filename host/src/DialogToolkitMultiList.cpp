// The multi-column list: whole columns addressed by display position, rows shared by all columns,
// row selection and the cell the user modified.
#include "QORDialogToolkit.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <vector>

namespace {

bool IsIndex(int index, std::size_t count) { return index >= 0 && static_cast<std::size_t>(index) < count; }

std::size_t At(int index) { return static_cast<std::size_t>(index); }

bool IsPermutation(const int* permutation, int count, std::size_t columns) {
  if (!permutation || count < 0 || static_cast<std::size_t>(count) > columns) return false;
  std::vector<bool> seen(At(count), false);
  for (int i = 0; i < count; ++i) {
    const int from = permutation[i];
    if (!IsIndex(from, seen.size()) || seen[At(from)]) return false;
    seen[At(from)] = true;
  }
  return true;
}

std::uint64_t NextRevision() {
  static std::atomic<std::uint64_t> counter{0};
  return ++counter;
}

}  // namespace

QORDlgMultiList::QORDlgMultiList(QORDialog* parent, const QORString& identifier, int style)
    : QORDialog(parent, identifier, style),
      cellModify_(new QORNotification("QORListCellModifyNotification")),
      columnActivate_(new QORNotification("QORListColumnActivateNotification")),
      select_(new QORNotification("QORListSelectNotification")) {}

QORDlgMultiList::~QORDlgMultiList() {
  QORRelease(cellModify_);
  QORRelease(columnActivate_);
  QORRelease(select_);
}

QORDlgMultiList::Column* QORDlgMultiList::ColumnAt(int position) {
  return IsIndex(position, columns_.size()) ? &columns_[At(position)] : nullptr;
}

const QORDlgMultiList::Column* QORDlgMultiList::ColumnAt(int position) const {
  return IsIndex(position, columns_.size()) ? &columns_[At(position)] : nullptr;
}

void QORDlgMultiList::AddRow() { rows_.push_back(Row{true, false, NextRevision()}); }

void QORDlgMultiList::RowChanged(std::size_t row) { rows_[row].revision = NextRevision(); }

void QORDlgMultiList::ColumnsChanged() { columnsRevision_ = NextRevision(); }

std::uint64_t QORDlgMultiList::GetRowRevision(int row) const { return IsIndex(row, rows_.size()) ? rows_[At(row)].revision : 0; }

bool QORDlgMultiList::Column::IsWritten(int row) const { return IsIndex(row, written.size()) && written[At(row)]; }

QORUnicodeString QORDlgMultiList::Column::TextAt(int row) const {
  return IsIndex(row, texts.size()) ? texts[At(row)] : QORUnicodeString();
}

QORUnicodeString QORDlgMultiList::Column::IconAt(int row) const {
  const auto found = icons.find(row);
  return found == icons.end() ? QORUnicodeString() : found->second;
}

bool QORDlgMultiList::Column::Write(int row, const QORUnicodeString& text, const QORUnicodeString& icon) {
  if (IsWritten(row) && texts[At(row)] == text && IconAt(row) == icon) return false;
  if (!IsIndex(row, texts.size())) {
    texts.resize(At(row) + 1);
    written.resize(At(row) + 1, false);
  }
  texts[At(row)] = text;
  written[At(row)] = true;
  if (icon.IsEmpty())
    icons.erase(row);
  else
    icons[row] = icon;
  return true;
}

// ---------------------------------------------------------------------------------------------
// Columns
// ---------------------------------------------------------------------------------------------

// Setting as many titles as there are columns only renames them; another count adds empty
// columns at the end or drops the last ones.
void QORDlgMultiList::SetColumnTitles(const QORListOfQORUnicodeString& titles) {
  columns_.resize(At(titles.Size()));
  for (std::size_t i = 0; i < columns_.size(); ++i) columns_[i].title = titles.Items()[i];
  ColumnsChanged();
}

void QORDlgMultiList::GetColumnTitles(QORListOfQORUnicodeString& titles) const {
  titles.RemoveAll();
  for (const Column& column : columns_) titles.Append(column.title);
}

QORUnicodeString QORDlgMultiList::GetColumnTitle(int position) const {
  const Column* column = ColumnAt(position);
  return column ? column->title : QORUnicodeString();
}

void QORDlgMultiList::SetColumnTextWidth(int position, int width) {
  if (Column* column = ColumnAt(position)) {
    column->width = width;
    ColumnsChanged();
  }
}

int QORDlgMultiList::GetColumnTextWidth(int position) const {
  const Column* column = ColumnAt(position);
  return column ? column->width : 0;
}

void QORDlgMultiList::SetColumnEditable(int position, int editable) {
  if (Column* column = ColumnAt(position)) {
    column->editable = editable != 0;
    ColumnsChanged();
  }
}

int QORDlgMultiList::GetColumnEditable(int position) const {
  const Column* column = ColumnAt(position);
  return column && column->editable ? 1 : 0;
}

void QORDlgMultiList::SetColumnVisibility(int position, int visibility) {
  if (Column* column = ColumnAt(position)) {
    column->visibility = visibility;
    ColumnsChanged();
  }
}

int QORDlgMultiList::GetColumnVisibility(int position) const {
  const Column* column = ColumnAt(position);
  return column ? column->visibility : 0;
}

void QORDlgMultiList::ReorderColumns(const int* permutation, int count, int /*flag*/) {
  if (!IsPermutation(permutation, count, columns_.size())) return;
  std::vector<Column> moved;
  moved.reserve(At(count));
  for (int i = 0; i < count; ++i) moved.push_back(std::move(columns_[At(permutation[i])]));
  std::move(moved.begin(), moved.end(), columns_.begin());
  ColumnsChanged();
}

// ---------------------------------------------------------------------------------------------
// Cells and rows
// ---------------------------------------------------------------------------------------------
void QORDlgMultiList::SetColumnItem(int position, const QORUnicodeString& text, int row, int mode) {
  SetColumnItem(position, text, QORUnicodeString(), row, mode);
}

void QORDlgMultiList::SetColumnItem(int position, const QORUnicodeString& text, const QORUnicodeString& icon,
                                    int row, int mode) {
  QOR_HOST_CALL();
  if (!ColumnAt(position)) return;
  const bool existingRow = IsIndex(row, rows_.size());
  if (mode == QORDlgDataModify && !existingRow) return;
  if (mode != QORDlgDataModify && mode != QORDlgDataAdd) return;
  if (!existingRow) {
    // A row is appended left to right: the leftmost column starts it, whichever column object
    // reordering put there, and the others fill it; a column that already wrote the last row
    // starts another.
    if (rows_.empty() || position == 0 || ColumnAt(position)->IsWritten(GetLineCount() - 1)) AddRow();
    row = GetLineCount() - 1;
  }
  if (ColumnAt(position)->Write(row, text, icon)) RowChanged(At(row));
}

HRESULT QORDlgMultiList::GetColumnItem(int position, QORUnicodeString& text, int row) const {
  QOR_HOST_CALL();
  const Column* column = ColumnAt(position);
  if (!column || !IsIndex(row, rows_.size())) return E_FAIL;
  text = column->TextAt(row);
  return S_OK;
}

QORUnicodeString QORDlgMultiList::GetCellIcon(int position, int row) const {
  const Column* column = ColumnAt(position);
  if (!column || !IsIndex(row, rows_.size())) return {};
  return column->IconAt(row);
}

void QORDlgMultiList::SetRowEditable(int row, int editable) {
  if (!IsIndex(row, rows_.size()) || rows_[At(row)].editable == (editable != 0)) return;
  rows_[At(row)].editable = editable != 0;
  RowChanged(At(row));
}

int QORDlgMultiList::GetRowEditable(int row) const { return IsIndex(row, rows_.size()) && rows_[At(row)].editable ? 1 : 0; }

bool QORDlgMultiList::IsCellEditable(int position, int row) const {
  return GetColumnEditable(position) == 1 && GetRowEditable(row) == 1;
}

// ---------------------------------------------------------------------------------------------
// Selection and the modified cell
// ---------------------------------------------------------------------------------------------
int QORDlgMultiList::GetSelectCount() const {
  return static_cast<int>(std::count_if(rows_.begin(), rows_.end(), [](const Row& r) { return r.selected; }));
}

void QORDlgMultiList::GetSelect(int* rows, int size) const {
  if (!rows) return;
  int filled = 0;
  for (std::size_t r = 0; r < rows_.size() && filled < size; ++r)
    if (rows_[r].selected) rows[filled++] = static_cast<int>(r);
}

bool QORDlgMultiList::IsRowSelected(int row) const { return IsIndex(row, rows_.size()) && rows_[At(row)].selected; }

void QORDlgMultiList::ClearSelect() { SetSelect({}); }

// Replaces the selection; rows that do not exist are left out.
void QORDlgMultiList::SetSelect(const std::vector<int>& rows) {
  std::vector<bool> chosen(rows_.size(), false);
  for (int row : rows)
    if (IsIndex(row, rows_.size())) chosen[At(row)] = true;
  for (std::size_t r = 0; r < rows_.size(); ++r)
    if (rows_[r].selected != chosen[r]) {
      rows_[r].selected = chosen[r];
      RowChanged(r);
    }
}

int QORDlgMultiList::GetModifiedCell(int& row, int& position) const {
  if (modifiedRow_ < 0 || modifiedColumn_ < 0) return 0;
  row = modifiedRow_;
  position = modifiedColumn_;
  return 1;
}

void QORDlgMultiList::SetModifiedCell(int row, int position) {
  modifiedRow_ = row;
  modifiedColumn_ = position;
}
