#pragma once
// Cooperative stop: long computations poll the stop request of the thread that
// runs them and return promptly, writing nothing more, once it is set.

#include <atomic>

namespace fractan {

class StopSource {
public:
    // Safe to call from a signal handler or another thread.
    void RequestStop() noexcept { requested_.store(true, std::memory_order_relaxed); }
    void Clear() noexcept { requested_.store(false, std::memory_order_relaxed); }
    bool StopRequested() const noexcept { return requested_.load(std::memory_order_relaxed); }

private:
    std::atomic<bool> requested_{false};
};
static_assert(std::atomic<bool>::is_always_lock_free);

// Makes a stop source the one that the calling thread's computations poll.
class ScopedStopSource {
public:
    explicit ScopedStopSource(const StopSource& source);
    ~ScopedStopSource();
    ScopedStopSource(const ScopedStopSource&) = delete;
    ScopedStopSource& operator=(const ScopedStopSource&) = delete;

private:
    const StopSource* previous_;
};

// Taken once at the start of a routine, then polled cheaply in its loops.
class StopCheck {
public:
    StopCheck();
    bool operator()() const noexcept { return source_ && source_->StopRequested(); }

private:
    const StopSource* source_;
};

// True when the calling thread's computation has been asked to stop.
bool StopRequested();

// The stop source the calling thread's computations poll, or null: threads
// that share a computation take it over.
const StopSource* CurrentStopSource();

}  // namespace fractan
