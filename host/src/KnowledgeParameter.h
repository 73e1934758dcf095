// A knowledge parameter of a product or of a user-property set, and its value object.
#pragma once

#include "MoldDescription.h"
#include "ProductSupport.h"
#include "QORKnowledge.h"

#include <string>

namespace qorhost {

// The text of a value: a string as given, a real in its shortest exact form, an integer in
// decimal, a boolean as "true" or "false"; numbers always in the C locale.
std::string KnowledgeValueText(const KnowledgeValue& value);

class KnowledgeParameter : public QORICkeParm, public QORISpecObject {
 public:
  // publisher publishes the parameter and owns it; it detaches the parameter when it goes away.
  KnowledgeParameter(MoldParameter definition, QORISpecObject* publisher);

  const char* GetImplClassName() const override { return "KnowledgeParameter"; }

  QORUnicodeString GetName() const override { return QORUnicodeString(name_); }
  QORIType_var GetType() const override;
  QORUnicodeString GetRelativeName(QORIParmPublisher* publisher) const override;
  QORIValue_var GetValue() const override;
  QORUnicodeString Show() const override { return QORUnicodeString(KnowledgeValueText(value_)); }
  void Valuate(double value) override;

  QORISpecObject* GetFather() override;

  void DetachFromPublisher() { publisher_ = nullptr; }
  const KnowledgeValue& Value() const { return value_; }

 private:
  std::string name_;
  KnowledgeValue value_;
  QORISpecObject* publisher_;
  LiveObjectToken live_;
};

}  // namespace qorhost
