// Environment services of the host: variables and the login name of the user.
#include "QORSystemServices.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// An empty value counts as unset: a login name cannot be empty.
const char* NonEmptyEnv(const char* name) {
  const char* value = std::getenv(name);
  return value && *value ? value : nullptr;
}

std::string PasswordEntryName() {
  long hint = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> scratch(hint > 0 ? static_cast<std::size_t>(hint) : 4096);
  struct passwd entry {};
  struct passwd* found = nullptr;
  if (::getpwuid_r(::geteuid(), &entry, scratch.data(), scratch.size(), &found) != 0 || !found)
    return {};
  return found->pw_name ? found->pw_name : "";
}

// The session's own account name comes first, so that a run can state whose report it makes.
std::string LoginName() {
  if (const char* user = NonEmptyEnv("USER")) return user;
  if (const char* logname = NonEmptyEnv("LOGNAME")) return logname;
  return PasswordEntryName();
}

}  // namespace

HRESULT QORGetEnvValue(const char* name, char** value) {
  if (value) *value = nullptr;
  if (!name || !value) return E_FAIL;
  const char* found = std::getenv(name);
  if (!found) return E_FAIL;
  *value = ::strdup(found);
  return *value ? S_OK : E_FAIL;
}

void QORSetEnvValue(const char* name, const char* value) {
  if (!name || !*name) return;
  if (!value) {
    QORUnsetEnvValue(name);
    return;
  }
  ::setenv(name, value, /*overwrite=*/1);
}

void QORUnsetEnvValue(const char* name) {
  if (!name || !*name) return;
  ::unsetenv(name);
}

HRESULT QORGetLoginName(char* buffer, int size) {
  if (!buffer || size <= 0) return E_FAIL;
  buffer[0] = '\0';
  const std::string name = LoginName();
  if (name.empty() || name.size() >= static_cast<std::size_t>(size)) return E_FAIL;
  std::memcpy(buffer, name.c_str(), name.size() + 1);
  return S_OK;
}
