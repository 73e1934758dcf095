// The 3D view of whichever mold the page shows: a new build each time another mold is opened,
// the one before it stopped. Callers on any thread.
#pragma once

#include "ViewBuilder.h"

#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace moldview {

class ViewService {
 public:
  explicit ViewService(std::filesystem::path cacheFolder) : cacheFolder_(std::move(cacheFolder)) {}

  // Starts the view of moldPath; the same unchanged file shown again keeps its view.
  void Show(const std::string& moldPath);

  struct Now {
    long serial = 0;  // changes with each mold shown, so that the page fetches the new scene
    ViewStatus status;
    std::shared_ptr<const CachedScene> scene;
  };
  Now Current() const;

 private:
  struct Shown {
    std::string path;
    std::filesystem::file_time_type modified;
    std::uintmax_t size = 0;
  };
  static Shown Describe(const std::string& moldPath);

  const std::filesystem::path cacheFolder_;
  mutable std::mutex mutex_;
  std::shared_ptr<ViewBuilder> current_;
  std::vector<std::shared_ptr<ViewBuilder>> stopping_;  // cancelled, their threads not yet ended
  Shown shown_;
  long serial_ = 0;
};

}  // namespace moldview
