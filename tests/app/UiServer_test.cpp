// What the page's server refuses: strangers on every route, preflights, escapes from the workspace,
// and malformed requests, none of which may change the BOM.
#include "UiServer.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "UiServerFixture.h"

namespace moldbom {
namespace {

using Json = nlohmann::json;

// One raw exchange on a fresh connection, what an HTTP client library would not send; the answer
// is read up to the end of its headers.
std::string RawExchange(int port, const std::string& bytes) {
  const int fd = Connect(port);
  if (fd < 0) return {};
  timeval timeout{3, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
  ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
  std::string answer;
  char buffer[4096];
  for (ssize_t got; answer.find("\r\n\r\n") == std::string::npos && (got = ::recv(fd, buffer, sizeof buffer, 0)) > 0;)
    answer.append(buffer, static_cast<std::size_t>(got));
  ::close(fd);
  return answer;
}

int StatusOf(const std::string& response) {
  if (response.rfind("HTTP/1.1 ", 0) != 0) return 0;
  return std::atoi(response.c_str() + 9);
}

TEST_F(UiServerTest, StrangersGetNoPageAndNoCookie) {
  httplib::Client stranger("127.0.0.1", server->Port());
  const httplib::Result wrong = stranger.Get(("/?token=" + std::string(64, '0')).c_str());
  ASSERT_TRUE(wrong);
  EXPECT_EQ(wrong->status, 403);
  EXPECT_FALSE(wrong->has_header("Set-Cookie"));
  for (const char* path : {"/", "/app.js", "/api/state", "/api/tree", "/api/events", "/api/files"}) {
    const httplib::Result result = stranger.Get(path);
    ASSERT_TRUE(result) << path;
    EXPECT_EQ(result->status, 403) << path;
    EXPECT_EQ(result->body.find("TM-2417"), std::string::npos) << path;
  }
}

TEST_F(UiServerTest, AnswersNoCorsPreflight) {
  const httplib::Result preflight = client->Options("/api/event", {{"Cookie", cookie}, {"Origin", "http://attacker.example"},
                                                                   {"Access-Control-Request-Method", "POST"}});
  ASSERT_TRUE(preflight);
  EXPECT_NE(preflight->status, 200);
  for (const auto& [name, value] : preflight->headers) EXPECT_EQ(name.rfind("Access-Control-", 0), std::string::npos) << name;
}

TEST_F(UiServerTest, FileChoosersCannotLeaveTheWorkspace) {
  std::filesystem::create_directories(folder.Path() / "outside");
  std::filesystem::create_directory_symlink(folder.Path() / "outside", folder.Path() / "ws" / "door");
  ASSERT_EQ(Event({{"verb", "select"}, {"args", {"TM-2417"}}})["ok"], true);
  ASSERT_EQ(Event({{"verb", "push"}, {"args", {"PushAnalyze"}}})["ok"], true);
  const Json presetAnswer = Event({{"verb", "file"}, {"args", {"SaveBom", "ok"}}});
  EXPECT_EQ(presetAnswer.value("ok", Json()), false) << presetAnswer.dump();
  EXPECT_TRUE(std::filesystem::is_empty(folder.Path() / "outside"));
  EXPECT_EQ(State()["boxes"].size(), 1u) << "the box is still waiting for a name";
  // Listings and the comparison name files too.
  for (const std::string& route : std::vector<std::string>{"/api/files?folder=..", "/api/files?folder=/etc",
                                                           "/api/files?folder=door", "/api/compare?report=../outside.csv"}) {
    const httplib::Result result = client->Get(route.c_str(), Page());
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 400) << route;
  }
  EXPECT_EQ(Event({{"verb", "file"}, {"args", {"SaveBom", "ok", "reports/bom.csv"}}})["ok"], true);
  EXPECT_TRUE(std::filesystem::exists(folder.Path() / "ws" / "reports" / "bom.csv"));
}

TEST_F(UiServerTest, MalformedRequestsGetErrorsAndChangeNothing) {
  ASSERT_EQ(Event({{"verb", "select"}, {"args", {"TM-2417"}}})["ok"], true);
  const Json before = State();
  const std::string hostLine = "Host: 127.0.0.1:" + std::to_string(server->Port()) + "\r\n";
  const std::string page = hostLine + "Cookie: " + cookie + "\r\nOrigin: " + Origin() + "\r\n";
  const auto post = [&](const std::string& body, const std::string& extra = "") {
    return "POST /api/event HTTP/1.1\r\n" + page + "Content-Type: application/json\r\n" + extra +
           "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
  };
  const std::vector<std::string> garbage = {
      "GARBAGE\r\n\r\n",
      std::string("GET /\0/ HTTP/1.1\r\n", 18) + hostLine + "\r\n",
      "GET / HTTP/1.1\r\nno colon here\r\n\r\n",
      "GET /" + std::string(20000, 'a') + " HTTP/1.1\r\n" + hostLine + "\r\n",
      "GET / HTTP/1.1\r\n" + hostLine + "X-Big: " + std::string(20000, 'b') + "\r\n\r\n",
      "POST /api/event HTTP/1.1\r\n" + page + "Content-Type: application/json\r\nContent-Length: 999999999\r\n\r\n{",
      "POST /api/event HTTP/1.1\r\n" + page + "Content-Type: application/json\r\nContent-Length: -5\r\n\r\n",
      "POST /api/event HTTP/1.1\r\n" + page + "Content-Type: application/json\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n{}\r\n0\r\n\r\n",
      post("{\"verb\":\"push\",\"args\":[\"PushHide\""),
      post("{\"verb\":\"type\",\"args\":[\"EditName\",\"\xff\xfe\"]}"),
      post("{\"verb\":\"cell\",\"args\":[\"ListBOM\",\"1\",\"9\"]}"),
      post("{\"verb\":\"rows\",\"args\":[\"ListBOM\",\"1e9\"]}"),
      post("{\"verb\":\"mold\",\"args\":[\"/etc/passwd\"]}"),
      post(std::string(70 * 1024, ' ')),
      "POST /api/event HTTP/1.1\r\n" + page + "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: 11\r\n\r\nverb=select",
      "POST /api/answer HTTP/1.1\r\n" + page + "Content-Type: application/json\r\nContent-Length: 2\r\n\r\n[]",
      "GET /api/files?folder=%2e%2e%2f HTTP/1.1\r\n" + page + "\r\n",
      "GET /api/state HTTP/1.1\r\n" + hostLine + "Host: attacker.example\r\nCookie: " + cookie + "\r\n\r\n",
      "GET /api/state HTTP/1.1\r\n" + hostLine + "Cookie: " + cookie + "\r\n",  // never finished: timed out
  };
  // A burst: several connections at once, each going through the whole list, bounded in count.
  constexpr int kSenders = 6;
  constexpr int kRounds = 2;
  std::atomic<int> answered{0};
  std::atomic<int> wrong{0};
  const auto start = std::chrono::steady_clock::now();
  std::vector<std::thread> senders;
  for (int sender = 0; sender < kSenders; ++sender)
    senders.emplace_back([&] {
      for (int round = 0; round < kRounds; ++round)
        for (const std::string& request : garbage) {
          const int status = StatusOf(RawExchange(server->Port(), request));
          if (status >= 400) ++answered;
          if (status != 0 && status < 400) ++wrong;
        }
    });
  for (std::thread& sender : senders) sender.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
  EXPECT_EQ(wrong, 0) << "no malformed request is served";
  EXPECT_EQ(answered, kSenders * kRounds * static_cast<int>(garbage.size())) << "each gets an error answer";
  EXPECT_EQ(State(), before) << "the BOM is as it was";
  EXPECT_EQ(Event({{"verb", "push"}, {"args", {"PushAnalyze"}}})["ok"], true) << "and the server still serves";
}

}  // namespace
}  // namespace moldbom
