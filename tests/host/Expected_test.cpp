// Tests of the host's result type: where an error's message puts its place, and values that only move.
#include "QORExpected.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

struct MessageCase {
  QORError error;
  const char* message;
};

TEST(ExpectedTest, MessageNamesAsMuchOfThePlaceAsIsKnown) {
  const MessageCase cases[] = {
      {QORError("no command is running"), "no command is running"},
      {QORError("mold.json", 0, 0, "cannot open the file"), "mold.json: cannot open the file"},
      {QORError("a.messages", 3, 0, "no quote"), "a.messages:3: no quote"},
      {QORError("mold.json", 12, 7, "expected a string"), "mold.json:12:7: expected a string"},
      {QORError("", 12, 7, "no file"), "no file"},
  };
  for (const MessageCase& c : cases) EXPECT_EQ(c.error.Message(), c.message);
}

TEST(ExpectedTest, HoldsAMoveOnlyValueOrAnError) {
  QORExpected<std::unique_ptr<int>> held(std::make_unique<int>(4));
  ASSERT_TRUE(held);
  std::unique_ptr<int> taken = std::move(held).Value();
  EXPECT_EQ(*taken, 4);

  const QORExpected<std::unique_ptr<int>> failed(QORError("f", 2, 0, "bad"));
  ASSERT_FALSE(failed);
  EXPECT_EQ(failed.Error().line, 2);
  EXPECT_EQ(failed.Why(), "f:2: bad");
}

TEST(ExpectedTest, AnOutcomeIsEmptyWhenItWentThrough) {
  const QOROutcome done;
  EXPECT_TRUE(done);
  const QOROutcome refused = QORError("refused");
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.Why(), "refused");
}

}  // namespace
