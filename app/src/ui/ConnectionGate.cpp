// One thread reads the headers of every new connection without blocking on any; each complete
// request gets a thread that relays it to the server and its answer back.
#include "ConnectionGate.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace moldbom {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kWriteTimeout = 5s;
constexpr auto kReapInterval = 1s;
constexpr auto kDrainTime = 1s;  // how long an answered client may go on sending before it is cut off

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// Sends all of data; false when the peer is gone or stops reading for kWriteTimeout.
bool SendAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
    if (n > 0) {
      data.remove_prefix(static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      pollfd ready{fd, POLLOUT, 0};
      if (::poll(&ready, 1, static_cast<int>(std::chrono::milliseconds(kWriteTimeout).count())) <= 0) return false;
      continue;
    }
    return false;
  }
  return true;
}

// A short answer of the gate's own. The connection is only half closed: closing it with the
// client's bytes unread would reset it and could destroy the answer on its way.
void Answer(int fd, const char* status, const std::string& text) {
  const std::string response = std::string("HTTP/1.1 ") + status + "\r\nContent-Type: text/plain; charset=utf-8\r\n" +
                               "Content-Length: " + std::to_string(text.size()) +
                               "\r\nConnection: close\r\nCache-Control: no-store\r\n\r\n" + text;
  (void)::send(fd, response.data(), response.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
  ::shutdown(fd, SHUT_WR);
}

// Reads and drops what the client still sends, until it closes or kDrainTime passes: closing with
// its bytes unread would reset the connection and could destroy the answer on its way.
void DrainUntilClosed(int fd) {
  const Clock::time_point end = Clock::now() + kDrainTime;
  char buffer[4096];
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
    pollfd ready{fd, POLLIN, 0};
    if (left <= 0 || ::poll(&ready, 1, static_cast<int>(left)) <= 0) return;
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) return;
  }
}

void SetNonBlocking(int fd) { ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK); }

// The request's head with the gate's header right after the request line, so that the server can
// ask whether the client of a stream is still there.
std::string WithRelayHeader(const std::string& bytes, long id) {
  const std::size_t lineEnd = bytes.find("\r\n");
  return bytes.substr(0, lineEnd + 2) + ConnectionGate::kRelayHeader + ": " + std::to_string(id) + "\r\n" +
         bytes.substr(lineEnd + 2);
}

}  // namespace

struct ConnectionGate::Waiting {
  int fd = -1;
  Clock::time_point accepted;
  std::string bytes;
  bool answered = false;  // the gate answered; what the client still sends is read and dropped
};

struct ConnectionGate::Relay {
  long id = 0;
  int client = -1;
  int upstream = -1;
  bool admitted = false;
  std::string head;
  std::thread thread;
  std::atomic<bool> done{false};
};

RequestHead ReadRequestHead(std::string_view head) {
  RequestHead result;
  std::size_t lineEnd = head.find("\r\n");
  const std::string_view requestLine = head.substr(0, lineEnd);
  const std::size_t targetStart = requestLine.find(' ');
  const std::string_view target =
      targetStart == std::string_view::npos ? std::string_view() : requestLine.substr(targetStart + 1, requestLine.find(' ', targetStart + 1) - targetStart - 1);
  if (const std::size_t query = target.find('?'); query != std::string_view::npos) {
    std::string_view rest = target.substr(query + 1);
    while (!rest.empty()) {
      const std::size_t amp = std::min(rest.find('&'), rest.size());
      const std::string_view pair = rest.substr(0, amp);
      if (pair.substr(0, 6) == "token=") result.token = std::string(pair.substr(6));
      rest.remove_prefix(std::min(amp + 1, rest.size()));
    }
  }
  while (lineEnd != std::string_view::npos && lineEnd + 2 < head.size()) {
    const std::size_t start = lineEnd + 2;
    lineEnd = head.find("\r\n", start);
    const std::string_view line = head.substr(start, lineEnd == std::string_view::npos ? std::string_view::npos : lineEnd - start);
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || !EqualsIgnoringCase(line.substr(0, colon), "cookie")) continue;
    result.cookies += (result.cookies.empty() ? "" : "; ") + std::string(Trim(line.substr(colon + 1)));
  }
  return result;
}

ConnectionGate::ConnectionGate(GateLimits limits, Recognise recognise)
    : limits_(limits), recognise_(std::move(recognise)) {}

ConnectionGate::~ConnectionGate() { Stop(); }

Expected<int> ConnectionGate::Listen(int port) {
  listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (listenFd_ < 0) return Failure{std::strerror(errno)};
  const int on = 1;
  ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listenFd_, 128) != 0 ||
      ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    const std::string why = std::strerror(errno);
    ::close(listenFd_);
    listenFd_ = -1;
    return Failure{why};
  }
  return static_cast<int>(ntohs(address.sin_port));
}

void ConnectionGate::Start(std::string upstreamPath) {
  upstreamPath_ = std::move(upstreamPath);
  if (::pipe2(wakeFds_, O_CLOEXEC | O_NONBLOCK) != 0) wakeFds_[0] = wakeFds_[1] = -1;
  thread_ = std::thread([this] { Run(); });
}

void ConnectionGate::Stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    for (const std::unique_ptr<Relay>& relay : relays_) {
      if (relay->client >= 0) ::shutdown(relay->client, SHUT_RDWR);
      if (relay->upstream >= 0) ::shutdown(relay->upstream, SHUT_RDWR);
    }
  }
  if (wakeFds_[1] >= 0) (void)::write(wakeFds_[1], "x", 1);
  if (thread_.joinable()) thread_.join();
  ReapRelays(/*all=*/true);
  for (int* fd : {&listenFd_, &wakeFds_[0], &wakeFds_[1]}) {
    if (*fd >= 0) ::close(*fd);
    *fd = -1;
  }
}

bool ConnectionGate::IsClientConnected(const std::string& relayId) const {
  char* end = nullptr;
  const long id = std::strtol(relayId.c_str(), &end, 10);
  if (relayId.empty() || *end != '\0') return false;
  std::lock_guard lock(mutex_);
  return liveRelays_.count(id) > 0;
}

void ConnectionGate::Run() {
  std::vector<Waiting> waiting;
  for (;;) {
    {
      std::lock_guard lock(mutex_);
      if (stopping_) break;
    }
    ReapRelays(/*all=*/false);
    std::vector<pollfd> fds{{listenFd_, POLLIN, 0}, {wakeFds_[0], POLLIN, 0}};
    const Clock::time_point now = Clock::now();
    auto timeout = std::chrono::duration_cast<std::chrono::milliseconds>(kReapInterval);
    for (const Waiting& connection : waiting) {
      fds.push_back({connection.fd, POLLIN, 0});
      const auto limit = connection.answered ? std::chrono::milliseconds(kDrainTime) : limits_.headerDeadline;
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(connection.accepted + limit - now);
      timeout = std::clamp(left, std::chrono::milliseconds(0), timeout);
    }
    if (::poll(fds.data(), fds.size(), static_cast<int>(timeout.count())) < 0 && errno != EINTR) break;
    if (fds[1].revents) {
      char drain[16];
      while (::read(wakeFds_[0], drain, sizeof drain) > 0) {
      }
    }
    std::vector<Waiting> still;
    for (std::size_t i = 0; i < waiting.size(); ++i) {
      Waiting& connection = waiting[i];
      if (fds[i + 2].revents) {
        char buffer[4096];
        const std::size_t room =
            connection.answered ? sizeof buffer : std::min(sizeof buffer, limits_.maxHeaderBytes - connection.bytes.size());
        const ssize_t n = ::recv(connection.fd, buffer, room, 0);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
          ::close(connection.fd);
          continue;
        }
        if (n > 0 && !connection.answered) connection.bytes.append(buffer, static_cast<std::size_t>(n));
      }
      if (!connection.answered) {
        if (const std::size_t end = connection.bytes.find("\r\n\r\n"); end != std::string::npos) {
          if (HandOver(connection, end + 4)) continue;
          Answer(connection.fd, "503 Service Unavailable", "too many requests at once; try again");
          connection = {connection.fd, Clock::now(), {}, true};
        } else if (connection.bytes.size() >= limits_.maxHeaderBytes) {
          Answer(connection.fd, "431 Request Header Fields Too Large", "the request's headers are too large");
          connection = {connection.fd, Clock::now(), {}, true};
        } else if (Clock::now() - connection.accepted >= limits_.headerDeadline) {
          Answer(connection.fd, "408 Request Timeout", "the request's headers came too slowly");
          connection = {connection.fd, Clock::now(), {}, true};
        }
      } else if (Clock::now() - connection.accepted >= kDrainTime) {
        ::close(connection.fd);
        continue;
      }
      still.push_back(std::move(connection));
    }
    waiting = std::move(still);
    if (fds[0].revents & POLLIN) Accept(waiting);
  }
  for (const Waiting& connection : waiting) ::close(connection.fd);
}

// A new connection always gets its chance: when too many are still sending headers, the one that
// has waited longest is closed.
void ConnectionGate::Accept(std::vector<Waiting>& waiting) {
  for (;;) {
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      // Out of descriptors: the pending connection stays in the backlog until some close.
      if (errno == EMFILE || errno == ENFILE) std::this_thread::sleep_for(50ms);
      return;
    }
    // The relay writes whole answers: waiting for the ACK of one segment before sending the rest
    // (Nagle's rule against the page's delayed ACK) held a large delta back for tens of ms.
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    if (waiting.size() >= limits_.maxWaiting && !waiting.empty()) {
      ::close(waiting.front().fd);
      waiting.erase(waiting.begin());
    }
    waiting.push_back({fd, Clock::now(), {}});
  }
}

bool ConnectionGate::HandOver(Waiting& connection, std::size_t headEnd) {
  const bool admitted = recognise_(ReadRequestHead(std::string_view(connection.bytes).substr(0, headEnd)));
  std::lock_guard lock(mutex_);
  std::size_t& count = admitted ? admitted_ : strangers_;
  if (stopping_ || count >= (admitted ? limits_.maxAdmitted : limits_.maxStrangers)) return false;
  ++count;
  auto relay = std::make_unique<Relay>();
  relay->id = ++lastRelayId_;
  relay->client = connection.fd;
  relay->admitted = admitted;
  relay->head = WithRelayHeader(connection.bytes, relay->id);
  liveRelays_.insert(relay->id);
  Relay& started = *relay;
  relays_.push_back(std::move(relay));
  started.thread = std::thread([this, &started] {
    RelayConnection(started);
    started.done = true;
  });
  return true;
}

void ConnectionGate::RelayConnection(Relay& relay) {
  const int upstream = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, upstreamPath_.c_str(), sizeof address.sun_path - 1);
  bool open = upstream >= 0 && ::connect(upstream, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  {
    std::lock_guard lock(mutex_);
    relay.upstream = upstream;
    open = open && !stopping_;
  }
  if (open) {
    SetNonBlocking(upstream);
    open = SendAll(upstream, relay.head);
  }
  char buffer[16 * 1024];
  bool clientSending = true;
  bool serverReading = open;
  while (open) {
    pollfd fds[2] = {{clientSending ? relay.client : -1, POLLIN, 0}, {upstream, POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) {
      open = errno == EINTR;
      continue;
    }
    if (fds[0].revents) {
      const ssize_t n = ::recv(relay.client, buffer, sizeof buffer, 0);
      if (n > 0 && serverReading) {
        // A server that answered early (a refusal) stops reading; its answer must still get through.
        serverReading = SendAll(upstream, std::string_view(buffer, static_cast<std::size_t>(n)));
      } else if (n == 0) {
        // The client has said all it will: it may still read the answer, but a stream to it ends.
        clientSending = false;
        ::shutdown(upstream, SHUT_WR);
        std::lock_guard lock(mutex_);
        liveRelays_.erase(relay.id);
      } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
        open = false;
      }
    }
    if (open && fds[1].revents) {
      const ssize_t n = ::recv(upstream, buffer, sizeof buffer, 0);
      if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
      open = n > 0 && SendAll(relay.client, std::string_view(buffer, static_cast<std::size_t>(n)));
    }
  }
  {
    std::lock_guard lock(mutex_);
    liveRelays_.erase(relay.id);
    --(relay.admitted ? admitted_ : strangers_);
  }
  if (upstream >= 0) ::shutdown(upstream, SHUT_RDWR);
  ::shutdown(relay.client, SHUT_WR);
  DrainUntilClosed(relay.client);
}

void ConnectionGate::ReapRelays(bool all) {
  std::vector<std::unique_ptr<Relay>> finished;
  {
    std::lock_guard lock(mutex_);
    auto keep = std::stable_partition(relays_.begin(), relays_.end(),
                                      [all](const std::unique_ptr<Relay>& relay) { return !all && !relay->done; });
    std::move(keep, relays_.end(), std::back_inserter(finished));
    relays_.erase(keep, relays_.end());
  }
  for (std::unique_ptr<Relay>& relay : finished) {
    if (relay->thread.joinable()) relay->thread.join();
    if (relay->upstream >= 0) ::close(relay->upstream);
    ::close(relay->client);
  }
}

}  // namespace moldbom
