// Routes of the page's server, behind the access guard.
#include "UiServer.h"

#include <httplib.h>
#include <nlohmann/json.hpp>

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>

#include "CompareRoutes.h"
#include "CostRoutes.h"
#include "JsonResponse.h"
#include "UiEvent.h"
#include "UiHost.h"
#include "WebAssets.h"
#include "ViewRoutes.h"

namespace moldbom {
namespace {

using Json = nlohmann::json;
using namespace std::chrono_literals;

constexpr std::size_t kMaxPatterns = 8;
constexpr auto kStreamPoll = 250ms;
constexpr auto kKeepAliveComment = 15s;

void SendError(httplib::Response& response, int status, const std::string& why) {
  SendJson(response, status, {{"error", why}});
}

// A header that may appear once; a repeated one is treated as a forged request.
std::optional<std::string> SingleHeader(const httplib::Request& request, const char* name) {
  const std::size_t count = request.get_header_value_count(name);
  if (count > 1) return std::nullopt;
  return count == 1 ? request.get_header_value(name) : std::string();
}

std::string AllCookies(const httplib::Request& request) {
  std::string cookies;
  for (std::size_t i = 0; i < request.get_header_value_count("Cookie"); ++i)
    cookies += (cookies.empty() ? "" : "; ") + request.get_header_value("Cookie", i);
  return cookies;
}

bool IsJsonBody(const httplib::Request& request) {
  return request.get_header_value("Content-Type").rfind("application/json", 0) == 0;
}

// The page never needs to be framed, sniffed or referred, and all its code comes from here.
httplib::Headers SecurityHeaders() {
  return {{"Content-Security-Policy",
           "default-src 'none'; script-src 'self'; style-src 'self'; connect-src 'self'; img-src 'self' data:; "
           "base-uri 'none'; form-action 'none'; frame-ancestors 'none'"},
          {"X-Content-Type-Options", "nosniff"},
          {"X-Frame-Options", "DENY"},
          {"Referrer-Policy", "no-referrer"},
          {"Cross-Origin-Opener-Policy", "same-origin"},
          {"Cross-Origin-Resource-Policy", "same-origin"},
          {"Cache-Control", "no-store"}};
}

}  // namespace

UiServer::UiServer(UiHost& host, Workspace workspace, UiServerOptions options)
    : host_(host), workspace_(std::move(workspace)), options_(options) {}

UiServer::~UiServer() { Stop(); }

Outcome UiServer::Start() {
  // A browser that closes its stream mid-write must not take the process down with SIGPIPE.
  std::signal(SIGPIPE, SIG_IGN);
  gate_ = std::make_unique<ConnectionGate>(options_.gate, [this](const RequestHead& head) {
    return guard_->ShowsCredentials(head.token, head.cookies);
  });
  const Expected<int> port = gate_->Listen(options_.port);
  if (!port) {
    gate_.reset();
    return Failure{"cannot listen on 127.0.0.1:" + std::to_string(options_.port) + ": " + port.Why()};
  }
  // The server itself listens where only this user can reach it, so that nobody gets past the gate.
  std::string folder = (std::filesystem::temp_directory_path() / "moldbom-ui-XXXXXX").string();
  if (!::mkdtemp(folder.data())) {
    gate_.reset();
    return Failure{"cannot make a private folder in " + std::filesystem::temp_directory_path().string() + ": " +
                   std::strerror(errno)};
  }
  socketFolder_ = folder;
  const std::string socketPath = folder + "/server.sock";
  server_ = std::make_unique<httplib::Server>();
  const std::size_t threads = options_.threads;
  server_->new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
  server_->set_address_family(AF_UNIX);
  server_->set_payload_max_length(options_.maxBodyBytes);
  server_->set_read_timeout(options_.ioTimeoutSeconds, 0);
  server_->set_write_timeout(options_.ioTimeoutSeconds, 0);
  server_->set_keep_alive_timeout(options_.keepAliveSeconds);
  // The gate reads only the first request's headers: every connection carries one request.
  server_->set_keep_alive_max_count(1);
  server_->set_default_headers(SecurityHeaders());
  Expected<AccessGuard> guard = AccessGuard::WithRandomSecrets(port.Value());
  // A Unix socket has no port; cpp-httplib would take 0 for a failed bind, so any other number will do.
  if (!guard || !server_->bind_to_port(socketPath, /*port=*/1)) {
    const std::string why = guard ? "cannot listen on " + socketPath : guard.Why();
    Stop();
    return Failure{why};
  }
  port_ = port.Value();
  guard_.emplace(std::move(guard).Value());
  Route();
  listener_ = std::thread([this] { server_->listen_after_bind(); });
  gate_->Start(socketPath);
  return {};
}

void UiServer::Stop() {
  stopping_ = true;
  if (gate_) gate_->Stop();
  if (server_) server_->stop();
  if (listener_.joinable()) listener_.join();
  server_.reset();
  gate_.reset();
  if (!socketFolder_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(socketFolder_, ignored);
    socketFolder_.clear();
  }
}

std::string UiServer::Address() const {
  return "http://127.0.0.1:" + std::to_string(port_) + "/?token=" + (guard_ ? guard_->Token() : std::string());
}

void UiServer::Route() {
  using httplib::Request;
  using httplib::Response;
  server_->set_pre_routing_handler([this](const Request& request, Response& response) {
    return Admit(request, response) ? httplib::Server::HandlerResponse::Unhandled
                                    : httplib::Server::HandlerResponse::Handled;
  });
  server_->set_exception_handler([](const Request&, Response& response, std::exception_ptr) {
    SendError(response, 500, "the server failed on this request");
  });
  server_->Get(R"(/[A-Za-z0-9_.-]*)", [this](const Request& q, Response& r) { ServeAsset(q, r); });
  server_->Get("/api/state", [this](const Request&, Response& r) { ServeState(r); });
  server_->Get("/api/tree", [this](const Request&, Response& r) { ServeTree(r); });
  server_->Get("/api/spreadsheet", [this](const Request&, Response& r) { ServeSpreadsheet(r); });
  server_->Get("/api/events", [this](const Request& q, Response& r) { ServeEvents(q, r); });
  server_->Get("/api/files", [this](const Request& q, Response& r) { ServeFiles(q, r); });
  server_->Post("/api/event", [this](const Request& q, Response& r) { PostEvent(q, r); });
  server_->Post("/api/answer", [this](const Request& q, Response& r) { PostAnswer(q, r); });
  AddCompareRoutes(*server_, host_, workspace_);
  AddCostRoutes(*server_, host_);
  if (options_.view) AddViewRoutes(*server_, *options_.view);
}

// True when the request may go on to its route; otherwise the response is the refusal, or the
// entry with the token that hands out the session cookie.
bool UiServer::Admit(const httplib::Request& request, httplib::Response& response) const {
  const std::optional<std::string> host = SingleHeader(request, "Host");
  const std::optional<std::string> origin = SingleHeader(request, "Origin");
  if (!host || !origin || request.get_param_value_count("token") > 1) {
    response.status = 400;
    response.set_content("repeated Host, Origin or token", "text/plain; charset=utf-8");
    return false;
  }
  const RequestFacts facts{request.method,
                           request.path,
                           request.get_param_value("token"),
                           request.has_param("token"),
                           *host,
                           *origin,
                           request.has_header("Origin"),
                           AllCookies(request)};
  const AccessDecision decision = guard_->Check(facts);
  if (decision.kind == AccessDecision::Kind::Allow) return true;
  response.status = decision.status;
  if (decision.kind == AccessDecision::Kind::EnterPage) {
    response.set_header("Set-Cookie", guard_->SessionCookie());
    response.set_header("Location", AccessGuard::kEntryPath);
    response.set_content("admitted", "text/plain; charset=utf-8");
    return false;
  }
  response.set_content(decision.why, "text/plain; charset=utf-8");
  return false;
}

void UiServer::ServeAsset(const httplib::Request& request, httplib::Response& response) const {
  const WebAsset* asset = FindWebAsset(request.path);
  if (!asset) {
    response.status = 404;
    response.set_content("not found", "text/plain; charset=utf-8");
    return;
  }
  response.set_content(asset->content.data(), asset->content.size(), std::string(asset->contentType));
}

void UiServer::ServeState(httplib::Response& response) const {
  const SnapshotHub::View view = host_.Hub().Current();
  response.set_content(std::string("{\"version\":") + std::to_string(view.versions.state) +
                           ",\"busy\":" + (view.busy ? "true" : "false") + ",\"state\":" + view.state->Text() + "}",
                       kJsonContentType);
}

void UiServer::ServeTree(httplib::Response& response) const { response.set_content(*host_.Hub().Tree(), kJsonContentType); }

// The report saved last, as a spreadsheet to download.
void UiServer::ServeSpreadsheet(httplib::Response& response) const {
  const Expected<UiHost::Download> download = host_.SavedReportAsSpreadsheet();
  if (!download) return SendError(response, 404, download.Why());
  response.set_header("Content-Disposition", "attachment; filename=\"" + download.Value().fileName + "\"");
  response.set_content(download.Value().bytes, "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet");
}

// Server-sent events: the whole state at once, then the deltas from each state to the next (the
// whole state again when the page fell too far behind), every change of the busy sign and the
// progress of the host's work; a comment now and then keeps idle connections open.
void UiServer::ServeEvents(const httplib::Request& request, httplib::Response& response) {
  if (streams_.fetch_add(1) >= options_.maxStreams) {
    streams_.fetch_sub(1);
    SendError(response, 503, "too many open pages");
    return;
  }
  struct Cursor {
    SnapshotHub::Versions seen;
    std::chrono::steady_clock::time_point lastWrite = std::chrono::steady_clock::now();
  };
  response.set_header("X-Accel-Buffering", "no");
  // The slot is freed as soon as the gate sees the page go, not at the next failed write.
  const std::string relay = request.get_header_value(ConnectionGate::kRelayHeader);
  response.set_chunked_content_provider(
      "text/event-stream",
      [this, relay, cursor = Cursor{}](std::size_t, httplib::DataSink& sink) mutable {
        const auto clientGone = [&] { return !gate_ || !gate_->IsClientConnected(relay); };
        SnapshotHub::View view = host_.Hub().Current();
        while (!stopping_ && !view.closed && !clientGone() && view.versions == cursor.seen &&
               std::chrono::steady_clock::now() - cursor.lastWrite < kKeepAliveComment)
          view = host_.Hub().WaitForChange(cursor.seen, kStreamPoll);
        if (clientGone()) return false;
        if (stopping_ || view.closed) {
          sink.done();
          return true;
        }
        const std::string chunk = StreamChunk(cursor.seen, view);
        cursor = {view.versions, std::chrono::steady_clock::now()};
        return sink.write(chunk.data(), chunk.size());
      },
      [this](bool) { streams_.fetch_sub(1); });
}

std::string UiServer::StreamChunk(const SnapshotHub::Versions& seen, const SnapshotHub::View& view) const {
  std::string chunk;
  if (view.versions.state != seen.state) {
    const auto deltas = seen.state < 0 ? std::nullopt : host_.Hub().Deltas(seen.state, view.versions.state);
    if (deltas)
      for (const auto& delta : *deltas) chunk += "event: delta\ndata: " + *delta + "\n\n";
    else
      chunk += "id: " + std::to_string(view.versions.state) + "\nevent: state\ndata: " + view.state->Text() + "\n\n";
  }
  if (view.versions.busy != seen.busy)
    chunk += std::string("event: busy\ndata: ") + (view.busy ? "true" : "false") + "\n\n";
  if (view.versions.progress != seen.progress && view.busy && !view.progress.phase.empty())
    chunk += "event: progress\ndata: " +
             Json{{"phase", view.progress.phase}, {"done", view.progress.done}, {"total", view.progress.total}}.dump() +
             "\n\n";
  return chunk.empty() ? ": still here\n\n" : chunk;
}

void UiServer::ServeFiles(const httplib::Request& request, httplib::Response& response) const {
  const std::size_t count = request.get_param_value_count("pattern");
  if (count > kMaxPatterns) return SendError(response, 400, "too many patterns");
  std::vector<std::string> patterns;
  for (std::size_t i = 0; i < count; ++i) patterns.push_back(request.get_param_value("pattern", i));
  const Expected<WorkspaceListing> listing = workspace_.List(request.get_param_value("folder"), patterns);
  if (!listing) return SendError(response, 400, listing.Why());
  Json entries = Json::array();
  for (const WorkspaceEntry& entry : listing.Value().entries)
    entries.push_back({{"name", entry.name}, {"folder", entry.folder}});
  SendJson(response, 200, {{"folder", listing.Value().folder}, {"entries", entries}, {"truncated", listing.Value().truncated}});
}

void UiServer::PostEvent(const httplib::Request& request, httplib::Response& response) {
  if (!IsJsonBody(request)) return SendError(response, 415, "send the event as application/json");
  Expected<UiEvent> parsed = ParseUiEvent(request.body);
  if (!parsed) return SendError(response, 400, parsed.Why());
  UiEvent event = std::move(parsed).Value();
  // Files are named inside the workspace; the host gets the name the workspace gives them. A
  // box's preset may lie outside it, so the page cannot take that.
  if (event.IsFileAnswerWithoutPath())
    return SendJson(response, 200, {{"ok", false}, {"why", "name the file to choose in the workspace"}});
  const EventWords words = event.Words();
  for (std::size_t position : FileWordPositions(*CheckEvent(words, Sender::Page).Value(), words)) {
    const Expected<WorkspacePath> chosen = workspace_.ResolveFile(words[position]);
    if (!chosen) return SendJson(response, 200, {{"ok", false}, {"why", chosen.Why()}});
    event.args[position - 1] = chosen.Value().forModule;
  }
  const Outcome outcome = host_.Perform(event);
  // The state the event left is published before the answer: the page can wait for that version.
  const long version = host_.Hub().Current().versions.state;
  if (outcome) return SendJson(response, 200, {{"ok", true}, {"version", version}});
  SendJson(response, 200, {{"ok", false}, {"why", outcome.Why()}, {"version", version}});
}

void UiServer::PostAnswer(const httplib::Request& request, httplib::Response& response) {
  if (!IsJsonBody(request)) return SendError(response, 415, "send the answer as application/json");
  const Json body = Json::parse(request.body, nullptr, /*allow_exceptions=*/false);
  if (!body.is_object() || !body.contains("id") || !body["id"].is_number_integer() || !body.contains("answer") ||
      !body["answer"].is_string())
    return SendError(response, 400, "expected {\"id\": N, \"answer\": \"ok\" | \"yes\" | \"no\"}");
  switch (host_.Answer(body["id"].get<long>(), body["answer"].get<std::string>())) {
    case UiPresenter::AnswerResult::Accepted: return SendJson(response, 200, {{"ok", true}});
    case UiPresenter::AnswerResult::NoSuchBox: return SendError(response, 409, "no such message box is open");
    case UiPresenter::AnswerResult::WrongAnswer: return SendError(response, 400, "that box takes another answer");
  }
}

}  // namespace moldbom
