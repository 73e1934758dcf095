// The gate of the page's server: token entry, session cookie, host and origin checks.
#include "AccessGuard.h"

#include <gtest/gtest.h>

namespace moldbom {
namespace {

constexpr int kPort = 41234;
const std::string kToken(64, 'a');
const std::string kSecret(64, 'b');
const std::string kCookie = std::string(AccessGuard::kCookieName) + "_41234=" + kSecret;

using Kind = AccessDecision::Kind;

struct GateCase {
  const char* name;
  RequestFacts request;
  Kind kind;
  int status;
};

void PrintTo(const GateCase& c, std::ostream* os) { *os << c.name; }

RequestFacts Get(std::string path, std::string cookie = kCookie, std::string host = "127.0.0.1:41234") {
  return {"GET", std::move(path), "", false, std::move(host), "", false, std::move(cookie)};
}

RequestFacts Post(std::string origin, std::string host = "127.0.0.1:41234", bool hasOrigin = true) {
  return {"POST", "/api/event", "", false, std::move(host), std::move(origin), hasOrigin, kCookie};
}

RequestFacts Enter(std::string token) {
  return {"GET", "/", std::move(token), true, "127.0.0.1:41234", "", false, ""};
}

class Gate : public ::testing::TestWithParam<GateCase> {};

TEST_P(Gate, DecidesAsExpected) {
  const AccessGuard guard(kToken, kSecret, kPort);
  const AccessDecision decision = guard.Check(GetParam().request);
  EXPECT_EQ(decision.kind, GetParam().kind) << decision.why;
  EXPECT_EQ(decision.status, GetParam().status) << decision.why;
}

INSTANTIATE_TEST_SUITE_P(
    Requests, Gate,
    ::testing::Values(
        GateCase{"TokenEntersThePage", Enter(kToken), Kind::EnterPage, 303},
        GateCase{"WrongToken", Enter(std::string(64, 'c')), Kind::Refuse, 403},
        GateCase{"TruncatedToken", Enter(kToken.substr(0, 32)), Kind::Refuse, 403},
        GateCase{"EmptyToken", Enter(""), Kind::Refuse, 403},
        GateCase{"TokenOnAnotherPathIsNoEntry", {"GET", "/api/state", kToken, true, "127.0.0.1:41234", "", false, ""}, Kind::Refuse, 403},
        GateCase{"CookieAdmits", Get("/api/state"), Kind::Allow, 200},
        GateCase{"CookieAmongOthers", Get("/", "theme=dark; " + kCookie + "; x=1"), Kind::Allow, 200},
        GateCase{"NoCookie", Get("/api/state", ""), Kind::Refuse, 403},
        GateCase{"WrongCookie", Get("/api/state", std::string(AccessGuard::kCookieName) + "_41234=" + kToken), Kind::Refuse, 403},
        GateCase{"CookieOfAnotherPort", Get("/api/state", std::string(AccessGuard::kCookieName) + "_8080=" + kSecret), Kind::Refuse, 403},
        GateCase{"LocalhostHost", Get("/", kCookie, "localhost:41234"), Kind::Allow, 200},
        GateCase{"LocalhostHostAnyCase", Get("/", kCookie, "LocalHost:41234"), Kind::Allow, 200},
        GateCase{"RebindingHost", Get("/", kCookie, "attacker.example:41234"), Kind::Refuse, 403},
        GateCase{"OtherPort", Get("/", kCookie, "127.0.0.1:8080"), Kind::Refuse, 403},
        GateCase{"HostWithoutPort", Get("/", kCookie, "127.0.0.1"), Kind::Refuse, 403},
        GateCase{"NoHost", Get("/", kCookie, ""), Kind::Refuse, 403},
        GateCase{"OtherLoopbackAddress", Get("/", kCookie, "127.0.0.2:41234"), Kind::Refuse, 403},
        GateCase{"PostFromThePage", Post("http://127.0.0.1:41234"), Kind::Allow, 200},
        GateCase{"PostFromThePageOnLocalhost", Post("http://localhost:41234", "localhost:41234"), Kind::Allow, 200},
        GateCase{"PostFromAnotherPort", Post("http://127.0.0.1:8080"), Kind::Refuse, 403},
        GateCase{"PostFromAnotherSite", Post("https://attacker.example"), Kind::Refuse, 403},
        GateCase{"PostFromAnOpaqueOrigin", Post("null"), Kind::Refuse, 403},
        GateCase{"PostWhoseOriginIsTheOtherLoopbackName", Post("http://localhost:41234"), Kind::Refuse, 403},
        GateCase{"PostWithoutOrigin", Post("", "127.0.0.1:41234", false), Kind::Refuse, 403},
        GateCase{"OtherMethods", {"PUT", "/api/event", "", false, "127.0.0.1:41234", "", false, kCookie}, Kind::Refuse, 405},
        GateCase{"PreflightGetsNoCors", {"OPTIONS", "/api/event", "", false, "127.0.0.1:41234", "http://attacker.example", true, kCookie}, Kind::Refuse, 405}));

TEST(AccessGuardSecrets, AreLongRandomAndDistinct) {
  const Expected<AccessGuard> one = AccessGuard::WithRandomSecrets(kPort);
  const Expected<AccessGuard> two = AccessGuard::WithRandomSecrets(kPort);
  ASSERT_TRUE(one && two);
  EXPECT_GE(one.Value().Token().size() * 4, 128u) << "at least 128 bits in hex";
  EXPECT_NE(one.Value().Token(), two.Value().Token());
  EXPECT_EQ(one.Value().Token().find_first_not_of("0123456789abcdef"), std::string::npos);
  const std::string cookie = one.Value().SessionCookie();
  EXPECT_EQ(cookie.find(one.Value().Token()), std::string::npos) << "the cookie is not the token";
  EXPECT_NE(cookie.find("HttpOnly"), std::string::npos);
  EXPECT_NE(cookie.find("SameSite=Strict"), std::string::npos);
}

}  // namespace
}  // namespace moldbom
