// The host's side of progress reports: the services the module calls count their units here.
#pragma once

#include <cstddef>

namespace qorhost {

// Begins a phase, replacing any unfinished one, and reports 0 of total (-1: unknown).
void ProgressBegin(const char* phase, long total);
// Units done in the phase begun last; reaching a known total ends the phase.
void ProgressAdvance(long units = 1);
// Ends the phase begun last; an unknown total becomes the count done.
void ProgressEnd();

// The analysis lists the instances below the product it analyses, then visits each: a list of
// products begins the "analysis" phase with their count.
void ProgressBeginAnalysis(const char* interfaceName, long count);

// Line ends in bytes, for services that see lines only as bytes.
long LineEndsIn(const char* bytes, std::size_t length);

}  // namespace qorhost
