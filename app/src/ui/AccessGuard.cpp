// The server's gate: host and origin checks against DNS rebinding and cross-site requests, the
// one-time entry with the printed token, and the session cookie after it.
#include "AccessGuard.h"

#include <sys/random.h>

#include <algorithm>
#include <cctype>
#include <vector>

namespace moldbom {
namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

bool IsStateChanging(const std::string& method) { return method != "GET" && method != "HEAD"; }

AccessDecision Refuse(int status, std::string why) { return {AccessDecision::Kind::Refuse, status, std::move(why)}; }

}  // namespace

std::string RandomHex(std::size_t bytes) {
  std::vector<unsigned char> buffer(bytes);
  std::size_t filled = 0;
  while (filled < bytes) {
    const ssize_t got = ::getrandom(buffer.data() + filled, bytes - filled, 0);
    if (got <= 0) return {};
    filled += static_cast<std::size_t>(got);
  }
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char byte : buffer) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 0x0f];
  }
  return hex;
}

bool ConstantTimeEquals(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  unsigned char difference = 0;
  for (std::size_t i = 0; i < a.size(); ++i) difference |= static_cast<unsigned char>(a[i] ^ b[i]);
  return difference == 0;
}

AccessGuard::AccessGuard(std::string token, std::string sessionSecret, int port)
    : token_(std::move(token)), sessionSecret_(std::move(sessionSecret)), port_(port) {}

Expected<AccessGuard> AccessGuard::WithRandomSecrets(int port) {
  constexpr std::size_t kSecretBytes = 32;
  std::string token = RandomHex(kSecretBytes);
  std::string secret = RandomHex(kSecretBytes);
  if (token.empty() || secret.empty()) return Failure{"the operating system gave no random bytes for the access token"};
  return AccessGuard(std::move(token), std::move(secret), port);
}

std::string AccessGuard::SessionCookie() const {
  return CookieName() + "=" + sessionSecret_ + "; Path=/; HttpOnly; SameSite=Strict";
}

bool AccessGuard::IsOwnHost(const std::string& host) const {
  const std::string port = ":" + std::to_string(port_);
  const std::string lowered = Lower(host);
  return lowered == "127.0.0.1" + port || lowered == "localhost" + port;
}

// The page's own origin is the scheme and the host it was loaded from; the host is checked first.
bool AccessGuard::IsOwnOrigin(const RequestFacts& request) const {
  return request.hasOrigin && Lower(request.origin) == "http://" + Lower(request.host);
}

bool AccessGuard::HasSessionCookie(const std::string& cookieHeader) const {
  std::size_t start = 0;
  bool found = false;
  while (start <= cookieHeader.size()) {
    const std::size_t end = std::min(cookieHeader.find(';', start), cookieHeader.size());
    const std::string pair = Trim(cookieHeader.substr(start, end - start));
    start = end + 1;
    const std::size_t equals = pair.find('=');
    if (equals == std::string::npos || pair.substr(0, equals) != CookieName()) continue;
    found = ConstantTimeEquals(pair.substr(equals + 1), sessionSecret_) || found;
  }
  return found;
}

AccessDecision AccessGuard::Check(const RequestFacts& request) const {
  if (!IsOwnHost(request.host))
    return Refuse(403, "this server answers only to 127.0.0.1:" + std::to_string(port_) + " and localhost:" +
                           std::to_string(port_));
  if (request.method != "GET" && request.method != "POST") return Refuse(405, "only GET and POST are served");
  if (request.hasToken && request.path == kEntryPath) {
    if (!ConstantTimeEquals(request.token, token_)) return Refuse(403, "wrong token: open the address that moldbom ui printed");
    return {AccessDecision::Kind::EnterPage, 303, {}};
  }
  if (!HasSessionCookie(request.cookie)) return Refuse(403, "not admitted: open the address that moldbom ui printed");
  if (IsStateChanging(request.method) && !IsOwnOrigin(request))
    return Refuse(403, "a request that changes anything must come from the page itself");
  return {AccessDecision::Kind::Allow, 200, {}};
}

}  // namespace moldbom
