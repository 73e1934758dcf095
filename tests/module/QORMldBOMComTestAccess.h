// Reaches the BOM command's private state from the module tests.
#pragma once

#include "QORMldBOMCom.h"

class QORMldBOMComTestAccess {
 public:
  static QORListOfQORUnicodeString& LineTypes(QORMldBOMCom& command) { return command.LineTypes; }
  static QORListOfQORUnicodeString& LineIndexes(QORMldBOMCom& command) { return command.LineIndexes; }
  static QORListOfQORUnicodeString& LinePartNumbers(QORMldBOMCom& command) { return command.LinePartNumbers; }
  static QORListOfQORUnicodeString& LineInstanceNames(QORMldBOMCom& command) { return command.LineInstanceNames; }
  static QORListOfInt& LineWidths(QORMldBOMCom& command) { return command.LineWidths; }
  static QORListOfQORUnicodeString& InstanceGroups(QORMldBOMCom& command) { return command.InstanceGroups; }
  static QORIProduct_var& AnalysedProduct(QORMldBOMCom& command) { return command.AnalysedProduct; }

  static int& ProfileMaxNumber(QORMldBOMCom& command) { return command.ProfileMaxNumber; }
  static QORListOfInt& ProfileNumbers(QORMldBOMCom& command) { return command.ProfileNumbers; }
  static QORListOfQORUnicodeString& ProfileInstanceNames(QORMldBOMCom& command) { return command.ProfileInstanceNames; }
  static QORListOfQORUnicodeString& ProfileUnitPrices(QORMldBOMCom& command) { return command.ProfileUnitPrices; }
  static QORListOfQORUnicodeString& ProfileAddedValues(QORMldBOMCom& command) { return command.ProfileAddedValues; }
  static QORListOfQORUnicodeString& ProfileAssociations(QORMldBOMCom& command) { return command.ProfileAssociations; }
  static QORListOfInt& ProfileColumnPositions(QORMldBOMCom& command) { return command.ProfileColumnPositions; }
  static QORListOfQORUnicodeString& ProfileColumnTitles(QORMldBOMCom& command) { return command.ProfileColumnTitles; }
  static QORListOfQORUnicodeString& ProfileColumnKinds(QORMldBOMCom& command) { return command.ProfileColumnKinds; }
  static QORListOfQORUnicodeString& ProfileColumnProperties(QORMldBOMCom& command) {
    return command.ProfileColumnProperties;
  }

  static void NextLetterLabel(const QORMldBOMCom& command, int& counter, QORUnicodeString& label) {
    command.NextLetterLabel(counter, label);
  }
};
