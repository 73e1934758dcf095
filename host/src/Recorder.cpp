// The capture-and-replay recorder: one per process, off until the application says otherwise.
#include "QORRecorder.h"

QORRecord* QORRecord::GetMain() {
  static QORRecord recorder;
  return &recorder;
}
