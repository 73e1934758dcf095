// A host session with the module loaded and the sample mold current, its messages kept in a
// string; shared by the tests of the user-event entry point, dumps and journals.
#pragma once

#include <gtest/gtest.h>

#include <sstream>

#include "HostSession.h"
#include "JournalPresenter.h"
#include "UserEvents.h"

namespace moldbom {

class SessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Outcome module = HostSession::LoadModule();
    ASSERT_TRUE(module) << module.Why();
    Outcome mold = session.LoadMold(kSampleMoldPath);
    ASSERT_TRUE(mold) << mold.Why();
  }

  void StartBom() {
    Outcome started = events.Perform({"start", "QORMldBOMCom"});
    ASSERT_TRUE(started) << started.Why();
  }

  void StartAndAnalyse() {
    StartBom();
    Outcome selected = events.Perform({"select", "TM-2417"});
    ASSERT_TRUE(selected) << selected.Why();
  }

  std::ostringstream shown;
  JournalPresenter presenter{shown};
  QORPresenterScope presenting{&presenter};
  HostSession session;
  UserEvents events{session};
};

}  // namespace moldbom
