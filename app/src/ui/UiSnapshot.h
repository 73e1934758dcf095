// The state the page draws, read from the host on its own thread and written as JSON: the running
// command, the dialog's widget model, the open file boxes, the highlighted set and any modal box.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "PageState.h"
#include "UiPresenter.h"

class QORDlgMultiList;
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

// Each instance of the mold's tree by its identity (the whole object), at its place in walk order.
using TreeIndex = std::unordered_map<const void*, int>;

// The JSON of each table row, kept from one state to the next and made again only when the row's
// revision or its table's columns changed. Host thread only.
class TableRowCache {
 public:
  std::vector<PageState::Row> Rows(const std::string& id, const QORDlgMultiList& list);

 private:
  struct Table {
    std::uint64_t columns = 0;
    std::vector<std::pair<std::uint64_t, PageState::Row>> rows;  // revision, JSON
  };
  std::map<std::string, Table> tables_;  // by widget id
};

// Host thread only: reads the running command, its dialog and the host's boxes and editor. The
// highlighted set is given as places in the tree.
PageState BuildPageState(const SnapshotExtras& extras, TableRowCache& rows, const TreeIndex& tree);

struct TreeJson {
  std::string text;
  TreeIndex index;
};

// Host thread only: the product tree of the mold in walk order, one array per instance:
// [depth, name, part number, kind (assembly, part, plate or component), tooling type], and a
// sixth entry, the instance path, only where it is not the parent's path, "/" and the name; and
// the mold's user-property names.
TreeJson BuildTreeJson(const QORMoldDocument& document);

}  // namespace moldbom
