// The gate in front of the page's server: idle and slow connections cannot starve the page, slow
// headers run out of time, and a page that goes away frees its event stream at once.
#include "ConnectionGate.h"

#include <poll.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "UiServerFixture.h"

namespace moldbom {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

void Send(int fd, const std::string& text) { (void)::send(fd, text.data(), text.size(), MSG_NOSIGNAL); }

// What arrives until text is seen, the peer closes, or the time is up.
std::string ReadUntil(int fd, const std::string& text, std::chrono::milliseconds limit) {
  std::string got;
  const Clock::time_point end = Clock::now() + limit;
  while (got.find(text) == std::string::npos && Clock::now() < end) {
    pollfd ready{fd, POLLIN, 0};
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
    if (::poll(&ready, 1, static_cast<int>(std::max(left.count(), 0L))) <= 0) break;
    char buffer[4096];
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    got.append(buffer, static_cast<std::size_t>(n));
  }
  return got;
}

class ConnectionGateTest : public UiServerTest {
 protected:
  std::string StreamRequest() const {
    return "GET /api/events HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server->Port()) + "\r\nCookie: " + cookie +
           "\r\nAccept: text/event-stream\r\n\r\n";
  }
};

TEST_F(ConnectionGateTest, IdleAndSlowConnectionsDoNotKeepThePageOut) {
  std::vector<int> idle;
  for (int i = 0; i < 50; ++i) idle.push_back(Connect(server->Port()));
  std::atomic<bool> slowing{true};
  std::vector<std::thread> slow;
  for (int i = 0; i < 16; ++i)
    slow.emplace_back([&] {
      const int fd = Connect(server->Port());
      Send(fd, "GET / HTTP/1.1\r\n");
      // A header line at a time, until the gate gives up on them or the test ends.
      for (int line = 0; slowing && line < 60; ++line) {
        Send(fd, "X-Slow: " + std::to_string(line) + "\r\n");
        std::this_thread::sleep_for(100ms);
      }
      ::close(fd);
    });
  std::this_thread::sleep_for(300ms);

  const Clock::time_point start = Clock::now();
  const httplib::Result page = client->Get("/", Page());
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 200);
  EXPECT_NE(page->body.find("<html"), std::string::npos);
  EXPECT_NE(page->get_header_value("Content-Security-Policy").find("default-src 'none'"), std::string::npos);
  const int stream = Connect(server->Port());
  Send(stream, StreamRequest());
  const nlohmann::json answer = Event({{"verb", "select"}, {"args", {"TM-2417"}}});
  EXPECT_EQ(answer["ok"], true) << answer.dump();
  EXPECT_NE(ReadUntil(stream, "event: state", 3s).find("event: state"), std::string::npos);
  EXPECT_LT(Clock::now() - start, 3s);

  ::close(stream);
  slowing = false;
  for (std::thread& thread : slow) thread.join();
  for (int fd : idle) ::close(fd);
}

TEST_F(ConnectionGateTest, HeadersThatComeTooSlowlyRunOutOfTime) {
  const int fd = Connect(server->Port());
  const Clock::time_point start = Clock::now();
  std::string got;
  for (int line = 0; line < 40 && got.empty(); ++line) {
    Send(fd, line == 0 ? "GET / HTTP/1.1\r\n" : "X-Slow: 1\r\n");
    got = ReadUntil(fd, "\r\n\r\n", 100ms);
  }
  EXPECT_EQ(got.rfind("HTTP/1.1 408", 0), 0u) << got;
  EXPECT_LT(Clock::now() - start, GateLimits{}.headerDeadline + 1s);
  ::close(fd);
}

TEST_F(ConnectionGateTest, APageThatGoesAwayFreesItsStreamAtOnce) {
  std::vector<int> streams;
  for (int i = 0; i < UiServerOptions{}.maxStreams; ++i) {
    streams.push_back(Connect(server->Port()));
    Send(streams.back(), StreamRequest());
    ASSERT_NE(ReadUntil(streams.back(), "event: state", 3s).find("200 OK"), std::string::npos) << "stream " << i;
  }
  const int refused = Connect(server->Port());
  Send(refused, StreamRequest());
  EXPECT_NE(ReadUntil(refused, "too many open pages", 3s).find("503"), std::string::npos);
  ::close(refused);

  ::close(streams.back());
  streams.pop_back();
  std::this_thread::sleep_for(600ms);
  const int next = Connect(server->Port());
  Send(next, StreamRequest());
  EXPECT_NE(ReadUntil(next, "event: state", 3s).find("200 OK"), std::string::npos);
  ::close(next);
  for (int fd : streams) ::close(fd);
}

TEST(RequestHeadTest, TakesTheQueryTokenAndEveryCookieHeader) {
  const RequestHead head = ReadRequestHead(
      "GET /?a=1&token=abc&b=2 HTTP/1.1\r\nHost: x\r\ncookie: s=1\r\nCOOKIE:  t=2 \r\nX-Cookie: no\r\n\r\n");
  EXPECT_EQ(head.token, "abc");
  EXPECT_EQ(head.cookies, "s=1; t=2");
  EXPECT_EQ(ReadRequestHead("GET / HTTP/1.1\r\n\r\n").token, "");
}

}  // namespace
}  // namespace moldbom
