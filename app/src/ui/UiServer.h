// The page's HTTP server on 127.0.0.1: the page itself, a stream of state snapshots, user events
// and answers to message boxes, and the listing of the workspace for the file choosers. Every
// request passes the access guard first.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "AccessGuard.h"
#include "ConnectionGate.h"
#include "Expected.h"
#include "SnapshotHub.h"
#include "Workspace.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace moldview {
class ViewService;
}

namespace moldbom {

class UiHost;

struct UiServerOptions {
  int port = 0;                    // 0: a free port
  std::size_t threads = 16;        // each open event stream holds one
  int maxStreams = 4;
  GateLimits gate;
  std::size_t maxBodyBytes = 64 * 1024;
  int keepAliveSeconds = 5;
  int ioTimeoutSeconds = 5;
  const moldview::ViewService* view = nullptr;  // the 3D view of a CAD mold; none without
};

class UiServer {
 public:
  UiServer(UiHost& host, Workspace workspace, UiServerOptions options = {});
  ~UiServer();
  UiServer(const UiServer&) = delete;
  UiServer& operator=(const UiServer&) = delete;

  // Listens on 127.0.0.1 and serves on a thread of its own; the reason when it cannot.
  [[nodiscard]] Outcome Start();
  // Ends the event streams, stops listening and waits for the requests in progress.
  void Stop();

  int Port() const { return port_; }
  // The address to open, with the access token.
  std::string Address() const;
  const AccessGuard& Guard() const { return *guard_; }

 private:
  void Route();
  bool Admit(const httplib::Request& request, httplib::Response& response) const;
  void ServeAsset(const httplib::Request& request, httplib::Response& response) const;
  void ServeState(httplib::Response& response) const;
  void ServeTree(httplib::Response& response) const;
  void ServeSpreadsheet(httplib::Response& response) const;
  void ServeEvents(const httplib::Request& request, httplib::Response& response);
  // What a stream sends for the parts of view newer than seen.
  std::string StreamChunk(const SnapshotHub::Versions& seen, const SnapshotHub::View& view) const;
  void ServeFiles(const httplib::Request& request, httplib::Response& response) const;
  void PostEvent(const httplib::Request& request, httplib::Response& response);
  void PostAnswer(const httplib::Request& request, httplib::Response& response);

  UiHost& host_;
  Workspace workspace_;
  UiServerOptions options_;
  std::unique_ptr<ConnectionGate> gate_;
  std::unique_ptr<httplib::Server> server_;
  std::string socketFolder_;  // private folder of the server's Unix socket, behind the gate
  std::optional<AccessGuard> guard_;
  std::thread listener_;
  int port_ = 0;
  std::atomic<int> streams_{0};
  std::atomic<bool> stopping_{false};
};

}  // namespace moldbom
