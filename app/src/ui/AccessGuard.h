// Who may talk to the page's server: the holder of the printed token, from the page's own origin,
// through 127.0.0.1 or localhost on the right port.
#pragma once

#include <cstddef>
#include <string>

#include "Expected.h"

namespace moldbom {

// What the guard needs of a request, whatever the HTTP library.
struct RequestFacts {
  std::string method;     // "GET", "POST", ...
  std::string path;       // without the query
  std::string token;      // the "token" query parameter, empty when absent
  bool hasToken = false;
  std::string host;       // the Host header, empty when absent
  std::string origin;     // the Origin header, empty when absent
  bool hasOrigin = false;
  std::string cookie;     // the Cookie header, empty when absent
};

struct AccessDecision {
  enum class Kind {
    Allow,       // serve the request
    EnterPage,   // the right token on the page's address: give the cookie and send to the page
    Refuse,
  };
  Kind kind = Kind::Refuse;
  int status = 403;
  std::string why;
};

// Comparison whose time does not depend on where the texts differ.
bool ConstantTimeEquals(const std::string& a, const std::string& b);

class AccessGuard {
 public:
  static constexpr const char* kCookieName = "moldbom_session";
  static constexpr const char* kEntryPath = "/";

  AccessGuard(std::string token, std::string sessionSecret, int port);

  // A fresh guard with 256-bit random secrets from the operating system.
  static Expected<AccessGuard> WithRandomSecrets(int port);

  AccessDecision Check(const RequestFacts& request) const;

  const std::string& Token() const { return token_; }
  // The Set-Cookie value that admits the browser from now on.
  std::string SessionCookie() const;
  // Browsers share cookies between the ports of a host, so each server names its own after its
  // port: a second moldbom ui must not log the first one's page out.
  std::string CookieName() const { return std::string(kCookieName) + "_" + std::to_string(port_); }
  // Whether a request shows this session's token or cookie: what lets a connection past the cap on
  // strangers.
  bool ShowsCredentials(const std::string& token, const std::string& cookieHeader) const {
    return (!token.empty() && ConstantTimeEquals(token, token_)) || HasSessionCookie(cookieHeader);
  }

 private:
  bool IsOwnHost(const std::string& host) const;
  bool IsOwnOrigin(const RequestFacts& request) const;
  bool HasSessionCookie(const std::string& cookieHeader) const;

  std::string token_;
  std::string sessionSecret_;
  int port_;
};

// Hex text of bytes from the operating system's random source; empty when it fails.
std::string RandomHex(std::size_t bytes);

}  // namespace moldbom
