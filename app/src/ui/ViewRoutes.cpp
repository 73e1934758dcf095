// Routes of the 3D view. A scene still being built is a 503 with the time to ask again; a mold
// without one is a 404 that says why.
#include "ViewRoutes.h"

#include <httplib.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

#include "JsonResponse.h"
#include "ViewService.h"

namespace moldbom {
namespace {

using Json = nlohmann::json;
using moldview::ViewState;

// The scene, or the refusal already written to response.
std::shared_ptr<const moldview::CachedScene> ReadyScene(const moldview::ViewService& view, httplib::Response& response) {
  moldview::ViewService::Now now = view.Current();
  if (now.scene) return std::move(now.scene);
  const moldview::ViewStatus& status = now.status;
  const bool building = status.state == ViewState::Building;
  if (building) response.set_header("Retry-After", "1");
  SendJson(response, building ? 503 : 404, {{"error", building ? "the view is being built" : status.why}});
  return nullptr;
}

// Debian's three.js, served as it lies; only the files the view loads.
const std::map<std::string, std::string> kThreeFiles = {
    {"three.min.js", "/usr/share/javascript/three/three.min.js"},
    {"GLTFLoader.js", "/usr/share/javascript/three/examples/js/loaders/GLTFLoader.js"},
    {"OrbitControls.js", "/usr/share/javascript/three/examples/js/controls/OrbitControls.js"},
};

void ServeThree(const std::string& name, httplib::Response& response) {
  static std::mutex mutex;
  static std::map<std::string, std::shared_ptr<const std::string>> loaded;
  std::shared_ptr<const std::string> script;
  {
    std::lock_guard lock(mutex);
    auto& slot = loaded[name];
    if (!slot) {
      std::ifstream in(kThreeFiles.at(name), std::ios::binary);
      std::ostringstream content;
      content << in.rdbuf();
      if (in && !content.str().empty()) slot = std::make_shared<const std::string>(content.str());
    }
    script = slot;
  }
  if (!script) {
    response.status = 404;
    response.set_content(kThreeFiles.at(name) + " is missing: install libjs-three", "text/plain; charset=utf-8");
    return;
  }
  response.set_content_provider(script->size(), "text/javascript; charset=utf-8",
                                [script](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                                  return sink.write(script->data() + offset, length);
                                });
}

}  // namespace

void AddViewRoutes(httplib::Server& server, const moldview::ViewService& view) {
  server.Get("/api/view", [&view](const httplib::Request&, httplib::Response& response) {
    const moldview::ViewService::Now now = view.Current();
    const moldview::ViewStatus& status = now.status;
    const Json body = {{"serial", now.serial},
                       {"state", moldview::ViewStateName(status.state)},
                       {"progress", status.progress},
                       {"stage", status.stage},
                       {"why", status.why},
                       {"fromCache", status.fromCache}};
    SendJson(response, 200, body);
  });
  server.Get("/api/view/scene.glb", [&view](const httplib::Request&, httplib::Response& response) {
    if (const auto scene = ReadyScene(view, response))
      response.set_content_provider(scene->glb.size(), "model/gltf-binary",
                                    [scene](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                                      return sink.write(scene->glb.data() + offset, length);
                                    });
  });
  server.Get("/api/view/map", [&view](const httplib::Request&, httplib::Response& response) {
    if (const auto scene = ReadyScene(view, response)) response.set_content(scene->map, kJsonContentType);
  });
  server.Get(R"(/three/(three\.min\.js|GLTFLoader\.js|OrbitControls\.js))",
             [](const httplib::Request& request, httplib::Response& response) { ServeThree(request.matches[1], response); });
}

}  // namespace moldbom
