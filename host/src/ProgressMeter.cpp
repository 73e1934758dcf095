// Progress counting: cheap per unit (a compare), the listener called only at report steps.
#include "ProgressMeter.h"

#include "QORProductStructure.h"
#include "QORProgress.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <utility>

namespace qorhost {
namespace {

constexpr long kStepsPerTotal = 100;
constexpr long kStepWhileUnknown = 1000;

struct Listener {
  std::mutex mutex;
  QORProgressListener listener;
};

Listener& TheListener() {
  static Listener instance;
  return instance;
}

// One phase at a time: the module never analyses while it reads or writes a file.
struct Meter {
  bool active = false;
  const char* phase = "";
  long done = 0;
  long total = -1;
  long nextReport = 0;
};

Meter& TheMeter() {
  static Meter meter;
  return meter;
}

void Report(const Meter& meter) {
  QORProgressListener listener;
  {
    Listener& shared = TheListener();
    std::lock_guard lock(shared.mutex);
    listener = shared.listener;
  }
  // Called outside the lock, so that a listener may install another.
  if (listener) listener(QORProgress{meter.phase, meter.done, meter.total});
}

long StepOf(long total) { return total > 0 ? std::max(1L, (total + kStepsPerTotal - 1) / kStepsPerTotal) : kStepWhileUnknown; }

}  // namespace

void ProgressBegin(const char* phase, long total) {
  Meter& meter = TheMeter();
  // A phase of nothing begins and ends in one report.
  meter = Meter{total != 0, phase, 0, total < 0 ? -1 : total, StepOf(total)};
  Report(meter);
}

void ProgressAdvance(long units) {
  Meter& meter = TheMeter();
  if (!meter.active) return;
  meter.done += units;
  if (meter.total >= 0 && meter.done >= meter.total) return ProgressEnd();
  if (meter.done < meter.nextReport) return;
  meter.nextReport = meter.done + StepOf(meter.total);
  Report(meter);
}

void ProgressEnd() {
  Meter& meter = TheMeter();
  if (!meter.active) return;
  meter.active = false;
  if (meter.total < 0) meter.total = meter.done;
  meter.done = meter.total;
  Report(meter);
}

void ProgressBeginAnalysis(const char* interfaceName, long count) {
  if (interfaceName && std::strcmp(interfaceName, QORIProduct::ClassName()) == 0) ProgressBegin("analysis", count);
}

long LineEndsIn(const char* bytes, std::size_t length) {
  return bytes ? static_cast<long>(std::count(bytes, bytes + length, '\n')) : 0;
}

}  // namespace qorhost

QORProgressListener QORSetProgressListener(QORProgressListener listener) {
  auto& shared = qorhost::TheListener();
  std::lock_guard lock(shared.mutex);
  return std::exchange(shared.listener, std::move(listener));
}
