// The dialog's private state as its unit tests read it; every module test that needs it includes this.
#pragma once

#include <array>

#include "QORMldBOMDlg.h"

class QORMldBOMDlgTestAccess {
 public:
  static const QORListOfInt& Positions(const QORMldBOMDlg& d) { return d.ColumnPositions; }
  static const QORListOfInt& Kinds(const QORMldBOMDlg& d) { return d.ColumnKinds; }
  static const QORListOfQORUnicodeString& Properties(const QORMldBOMDlg& d) { return d.ColumnProperties; }
  static int SelectedColumn(const QORMldBOMDlg& d) { return d.SelectedColumn; }
  static void Move(QORMldBOMDlg& d, bool toTheRight, int& from, int& to) {
    d.MoveColumn(toTheRight ? TRUE : FALSE, from, to);
  }
  static void SetSelectedColumn(QORMldBOMDlg& d, int position) { d.SelectedColumn = position; }
  // Sizes of the component instances, instance groups and unit-price parameters given by SetAllParts.
  static std::array<int, 3> PartListSizes(const QORMldBOMDlg& d) {
    return {d.ComponentInstances.Size(), d.InstanceGroups.Size(), d.UnitPriceParameters.Size()};
  }
};
