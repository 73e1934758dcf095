// The state of the session as readable, deterministic text: the running command and its state,
// every widget of its dialog, the BOM table, the highlighted set, work mode and the open boxes.
#pragma once

#include <ostream>
#include <string>

#include "Expected.h"

namespace moldbom {

// Everything, the dialog's widgets indented by their depth in its tree.
void DumpSession(std::ostream& out);

// One widget of the running command's dialog with everything below it.
[[nodiscard]] Outcome DumpWidget(std::ostream& out, const std::string& id);

}  // namespace moldbom
