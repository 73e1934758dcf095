// The state the page draws, read from the host on its own thread and written as JSON: the running
// command, the dialog's widget model, the open file boxes, the highlighted set and any modal box.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "UiPresenter.h"

class QORMoldDocument;

namespace moldbom {

// What the application tells the person on the status line; serial tells a new notice from the
// same one published again.
struct Notice {
  long serial = 0;
  std::string text;
};

struct SnapshotExtras {
  std::optional<ModalBox> modal;
  std::vector<std::string> checkFailures;
  std::optional<Notice> notice;
  std::optional<std::string> loadWarning;  // stands until the page is reloaded
  std::vector<UiPresenter::StatusNotice> notices;  // for the status line
  long treeSerial = 0;  // changes when another mold is opened: the page fetches its tree again
  std::optional<std::string> savedReport;  // the report saved last, which the page offers as a spreadsheet
};

// Host thread only: reads the running command, its dialog and the host's boxes and editor.
nlohmann::json BuildStateJson(const SnapshotExtras& extras);

// Host thread only: the product tree of the mold in walk order, one array per instance:
// [depth, name, part number, kind (assembly, part, plate or component), tooling type], and a
// sixth entry, the instance path, only where it is not the parent's path, "/" and the name; and
// the mold's user-property names.
std::string BuildTreeJson(const QORMoldDocument& document);

}  // namespace moldbom
