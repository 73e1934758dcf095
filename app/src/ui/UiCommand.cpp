// `moldbom ui [--mold FILE] [--workspace DIR] [--port N] [--capture JOURNAL]`.
#include "UiCommand.h"

#include <pthread.h>

#include <csignal>
#include <filesystem>
#include <memory>
#include <ostream>

#include "HostSession.h"
#include "UiHost.h"
#include "UiServer.h"
#include "ViewService.h"
#include "Workspace.h"

namespace moldbom {
namespace {

std::string Absolute(const std::string& path) {
  return std::filesystem::absolute(std::filesystem::path(path)).lexically_normal().string();
}

// Blocked in every thread, so that the main thread alone takes them with sigwait.
sigset_t ShutdownSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  return signals;
}

}  // namespace

Command AddUiCommand(CLI::App& app) {
  auto options = std::make_shared<UiOptions>();
  CLI::App* ui = app.add_subcommand("ui", "Run the BOM command in the browser, served on 127.0.0.1");
  AddMoldOption(*ui, options->moldPath);
  AddCatalogOption(*ui, options->catalogPath);
  ui->add_option("--workspace", options->workspace, "Folder the file choosers browse (default: the current folder)")
      ->type_name("DIR");
  ui->add_option("--port", options->port, "Port on 127.0.0.1 (default: a free one)")->type_name("N")->check(CLI::Range(0, 65535));
  ui->add_option("--capture", options->capturePath, "Write every accepted user event as a replayable journal")
      ->type_name("JOURNAL");
  return Command{ui, [options](const CommandStreams& streams) { return RunUi(*options, streams); }};
}

int RunUi(const UiOptions& options, const CommandStreams& streams) {
  Expected<Workspace> workspace = Workspace::Open(options.workspace);
  if (!workspace) {
    streams.err << "moldbom ui: " << workspace.Why() << "\n";
    return kExitBadInput;
  }
  const sigset_t signals = ShutdownSignals();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  UiHostOptions hostOptions{Absolute(options.moldPath.value_or(kSampleMoldPath)), options.capturePath, "QORMldBOMCom",
                            options.catalogPath.empty() ? std::string() : Absolute(options.catalogPath)};
  // The view reads the mold file on its own thread while the host loads it: neither waits for the other.
  moldview::ViewService view(moldview::ViewCache::UserFolder());
  view.Show(hostOptions.moldPath);
  UiHost host(std::move(hostOptions));
  host.OnMoldShown([&view](const std::string& moldPath) { view.Show(moldPath); });
  host.ConfineFilesTo(options.workspace);
  if (Outcome started = host.Start(); !started) {
    streams.err << "moldbom ui: " << started.Why() << "\n";
    return kExitBadInput;
  }
  UiServerOptions serverOptions;
  serverOptions.port = options.port;
  serverOptions.view = &view;
  UiServer server(host, std::move(workspace).Value(), serverOptions);
  if (Outcome listening = server.Start(); !listening) {
    streams.err << "moldbom ui: " << listening.Why() << "\n";
    return kExitBadInput;
  }
  streams.out << "moldbom ui: open " << server.Address() << "\n"
              << "moldbom ui: the file choosers browse " << options.workspace
              << (options.capturePath ? "; capturing to " + *options.capturePath : std::string()) << "\n"
              << "moldbom ui: press Ctrl-C to stop" << std::endl;

  int signal = 0;
  sigwait(&signals, &signal);
  streams.out << "moldbom ui: stopping" << std::endl;
  host.BeginShutdown();
  server.Stop();
  host.Stop();
  return kExitOk;
}

}  // namespace moldbom
