// A JSON answer of the page's server: text that is not valid UTF-8 is replaced, never thrown on.
#pragma once

#include <httplib.h>
#include <nlohmann/json.hpp>

namespace moldbom {

inline constexpr const char* kJsonContentType = "application/json; charset=utf-8";

inline void SendJson(httplib::Response& response, int status, const nlohmann::json& body) {
  response.status = status;
  response.set_content(body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace), kJsonContentType);
}

}  // namespace moldbom
