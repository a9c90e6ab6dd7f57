#include "setup/stop.h"

namespace fractan {
namespace {
thread_local const StopSource* currentSource = nullptr;
}

ScopedStopSource::ScopedStopSource(const StopSource& source) : previous_(currentSource) {
    currentSource = &source;
}

ScopedStopSource::~ScopedStopSource() { currentSource = previous_; }

StopCheck::StopCheck() : source_(currentSource) {}

bool StopRequested() { return currentSource && currentSource->StopRequested(); }

const StopSource* CurrentStopSource() { return currentSource; }

}  // namespace fractan
