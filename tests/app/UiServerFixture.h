// moldbom ui's host thread and server started in-process on a free port of 127.0.0.1, with a
// client admitted by the printed token, for tests of what the server refuses.
#pragma once

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <nlohmann/json.hpp>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <memory>
#include <string>

#include "HostSession.h"
#include "TestFiles.h"
#include "UiHost.h"
#include "UiServer.h"

namespace moldbom {

// A raw connection to 127.0.0.1:port, for what an HTTP client library would not send; -1 if refused.
inline int Connect(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}


class UiServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(folder.Path() / "ws" / "reports");
    host = std::make_unique<UiHost>(UiHostOptions{kSampleMoldPath, std::nullopt, "QORMldBOMCom", {}});
    const Outcome started = host->Start();
    ASSERT_TRUE(started) << started.Why();
    Expected<Workspace> workspace = Workspace::Open((folder.Path() / "ws").string());
    ASSERT_TRUE(workspace) << workspace.Why();
    UiServerOptions options;
    options.ioTimeoutSeconds = 1;
    Configure(options);
    server = std::make_unique<UiServer>(*host, std::move(workspace).Value(), options);
    const Outcome listening = server->Start();
    ASSERT_TRUE(listening) << listening.Why();
    client = std::make_unique<httplib::Client>("127.0.0.1", server->Port());
    client->set_read_timeout(10, 0);
    const httplib::Result entry = client->Get(("/?token=" + server->Guard().Token()).c_str());
    ASSERT_TRUE(entry);
    ASSERT_EQ(entry->status, 303);
    const std::string setCookie = entry->get_header_value("Set-Cookie");
    cookie = setCookie.substr(0, setCookie.find(';'));
  }

  void TearDown() override {
    if (host) host->BeginShutdown();
    if (server) server->Stop();
    if (host) host->Stop();
  }

  virtual void Configure(UiServerOptions&) {}

  std::string Origin() const { return "http://127.0.0.1:" + std::to_string(server->Port()); }
  httplib::Headers Page() const { return {{"Cookie", cookie}, {"Origin", Origin()}}; }

  // Posts an event as the page does and returns the server's JSON answer.
  nlohmann::json Event(const nlohmann::json& event) {
    const httplib::Result result = client->Post("/api/event", Page(), event.dump(), "application/json");
    if (!result) return {{"transport", httplib::to_string(result.error())}};
    nlohmann::json answer = nlohmann::json::parse(result->body, nullptr, false);
    answer["status"] = result->status;
    return answer;
  }

  nlohmann::json State() {
    const httplib::Result result = client->Get("/api/state", Page());
    if (!result || result->status != 200) return nullptr;
    return nlohmann::json::parse(result->body)["state"];
  }

  testfiles::TestFolder folder;
  std::unique_ptr<UiHost> host;
  std::unique_ptr<UiServer> server;
  std::unique_ptr<httplib::Client> client;
  std::string cookie;
};

}  // namespace moldbom
