// Reaches the BOM command's private state from the module tests.
#pragma once

#include "QORMldBOMCom.h"

class QORMldBOMComTestAccess {
 public:
  static QORListOfQORUnicodeString& LineTypes(QORMldBOMCom& command) { return command.LineTypes; }
  static QORListOfQORUnicodeString& LineInstanceNames(QORMldBOMCom& command) { return command.LineInstanceNames; }

  static QORListOfQORUnicodeString& ProfileInstanceNames(QORMldBOMCom& command) { return command.ProfileInstanceNames; }
  static QORListOfInt& ProfileColumnPositions(QORMldBOMCom& command) { return command.ProfileColumnPositions; }

  static void NextLetterLabel(const QORMldBOMCom& command, int& counter, QORUnicodeString& label) {
    command.NextLetterLabel(counter, label);
  }
};
