// The front door of the page's server: it accepts every connection itself, gives a request's
// headers a total deadline, caps the connections still sending them, and relays only complete
// requests to the HTTP server behind it, keeping room for those that show the session's secret.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "Expected.h"

namespace moldbom {

struct GateLimits {
  std::chrono::milliseconds headerDeadline{2000};  // from accept to the end of the headers
  std::size_t maxWaiting = 32;     // connections still sending headers; the oldest gives way
  std::size_t maxAdmitted = 24;    // relayed requests that showed the token or the session cookie
  std::size_t maxStrangers = 8;    // relayed requests that did not (the server refuses them)
  std::size_t maxHeaderBytes = 16 * 1024;
};

// The head of a request as the gate reads it: the token of the query and the Cookie headers.
struct RequestHead {
  std::string token;
  std::string cookies;
};
RequestHead ReadRequestHead(std::string_view head);

class ConnectionGate {
 public:
  using Recognise = std::function<bool(const RequestHead&)>;

  ConnectionGate(GateLimits limits, Recognise recognise);
  ~ConnectionGate();
  ConnectionGate(const ConnectionGate&) = delete;
  ConnectionGate& operator=(const ConnectionGate&) = delete;

  // Listens on 127.0.0.1 (port 0: a free one); returns the port.
  [[nodiscard]] Expected<int> Listen(int port);
  // Starts relaying to the server listening on the Unix socket upstreamPath. Each relayed request
  // carries the header kRelayHeader naming its relay.
  void Start(std::string upstreamPath);
  // Closes every connection and waits for the gate's threads.
  void Stop();

  static constexpr const char* kRelayHeader = "X-Moldbom-Relay";
  // Any thread: whether the client of the relay named in a request's kRelayHeader is still there.
  bool IsClientConnected(const std::string& relayId) const;

 private:
  struct Waiting;
  struct Relay;
  void Run();
  void Accept(std::vector<Waiting>& waiting);
  // Relays the complete request on a thread of its own; false when there is no room for it.
  bool HandOver(Waiting& connection, std::size_t headEnd);
  void RelayConnection(Relay& relay);
  void ReapRelays(bool all);

  GateLimits limits_;
  Recognise recognise_;
  int listenFd_ = -1;
  std::string upstreamPath_;
  int wakeFds_[2] = {-1, -1};
  std::thread thread_;

  mutable std::mutex mutex_;
  std::vector<std::unique_ptr<Relay>> relays_;
  std::set<long> liveRelays_;
  long lastRelayId_ = 0;
  std::size_t admitted_ = 0;
  std::size_t strangers_ = 0;
  bool stopping_ = false;
};

}  // namespace moldbom
