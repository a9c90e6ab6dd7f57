#include "setup/ordered_jobs.h"

#include <algorithm>
#include <atomic>
#include <barrier>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "setup/output.h"
#include "setup/stop.h"

namespace fractan {
namespace {

// The output of every index, passed on in index order.
class OrderedOutput {
public:
    OrderedOutput(OutputSink& target, int32_t count) : target_(target), held_(static_cast<size_t>(count)) {}

    void Write(int32_t i, std::string_view text) {
        std::lock_guard lock(mutex_);
        if (i == head_) target_.Write(text);
        else held_[i].append(text);
    }
    // Progress of a later index is past by its turn: only its line is held.
    void Report(int32_t i, const Progress& progress) {
        std::lock_guard lock(mutex_);
        if (i == head_) target_.Report(progress);
        else held_[i].append(progress.line);
    }
    // The head's output is complete: the next index shows what it holds.
    void Advance() {
        std::lock_guard lock(mutex_);
        ++head_;
        if (head_ >= static_cast<int32_t>(held_.size())) return;
        if (!held_[head_].empty()) target_.Write(held_[head_]);
        std::string().swap(held_[head_]);
    }

private:
    std::mutex mutex_;
    OutputSink& target_;
    std::vector<std::string> held_;
    int32_t head_ = 0;
};

class IndexSink : public OutputSink {
public:
    IndexSink(OrderedOutput& output, int32_t index) : output_(output), index_(index) {}
    void Write(std::string_view text) override { output_.Write(index_, text); }
    void Report(const Progress& progress) override { output_.Report(index_, progress); }

private:
    OrderedOutput& output_;
    int32_t index_;
};

ProcessSpread* installedSpread = nullptr;

}  // namespace

void SetProcessSpread(ProcessSpread* spread) { installedSpread = spread; }

bool CommitsHere() { return !installedSpread || installedSpread->Commits(); }

void RunListWork(const ListWork& work) {
    if (!installedSpread) return RunInListOrder(work.count, work.jobs, work.work, work.commit);
    if (!work.oneProcess) return installedSpread->Run(work);
    if (installedSpread->Commits()) RunInListOrder(work.count, work.jobs, work.work, work.commit);
}

int32_t JobsFor(int32_t requested) {
    if (requested > 0) return requested;
    return std::max(1, static_cast<int32_t>(std::thread::hardware_concurrency()));
}

void RunInListOrder(int32_t count, int32_t jobs, const std::function<void(int32_t)>& work,
                    const std::function<void(int32_t)>& commit) {
    StopCheck stopRequested;
    if (jobs <= 1 || count <= 1) {
        for (int32_t i = 0; i < count && !stopRequested(); ++i) {
            work(i);
            commit(i);
        }
        return;
    }

    OrderedOutput output(CurrentOutputSink(), count);
    const StopSource* stop = CurrentStopSource();
    std::atomic<int32_t> next{0};
    std::mutex commitMutex;  // one thread commits at a time, in order
    std::vector<char> done(static_cast<size_t>(count), 0);
    int32_t nextCommit = 0;

    // f(i), its output passed on in list order.
    auto inTurn = [&](const std::function<void(int32_t)>& f, int32_t i) {
        IndexSink sink(output, i);
        ScopedOutputRedirect redirect(sink);
        f(i);
    };
    auto worker = [&] {
        for (;;) {
            const int32_t i = next.fetch_add(1);
            if (i >= count || (stop && stop->StopRequested())) return;
            inTurn(work, i);
            std::lock_guard lock(commitMutex);
            done[i] = 1;
            while (nextCommit < count && done[nextCommit]) {
                inTurn(commit, nextCommit);
                output.Advance();
                ++nextCommit;
            }
        }
    };

    std::vector<std::jthread> threads;
    for (int32_t t = 1; t < std::min(jobs, count); ++t)
        threads.emplace_back([&] {
            if (!stop) return worker();
            ScopedStopSource scope(*stop);
            worker();
        });
    worker();
}

void RunParts(int32_t parts, const std::function<void(int32_t)>& part,
              const std::function<void(int32_t)>& notStarted) {
    const StopSource* stop = CurrentStopSource();
    std::vector<std::exception_ptr> failures(static_cast<size_t>(std::max(parts, 1)));
    {
        std::vector<std::jthread> threads;
        int32_t started = 1;
        try {
            for (; started < parts; ++started)
                threads.emplace_back([&, i = started] {
                    OutputSilence quiet;
                    std::optional<ScopedStopSource> scope;
                    if (stop) scope.emplace(*stop);
                    try {
                        part(i);
                    } catch (...) {  // such as running out of memory: thrown again on the calling thread
                        failures[i] = std::current_exception();
                    }
                });
        } catch (...) {  // a thread that could not be made: the parts left are not run
            failures[0] = std::current_exception();
            if (notStarted) {
                for (int32_t i = started; i < parts; ++i) notStarted(i);
                notStarted(0);
            }
        }
        if (!failures[0]) {
            try {
                part(0);
            } catch (...) {
                failures[0] = std::current_exception();
            }
        }
    }  // the threads are joined here
    for (const std::exception_ptr& failure : failures)
        if (failure) std::rethrow_exception(failure);
}

bool RunRounds(int32_t parts, int64_t first, int64_t end, int64_t round, const Rounds& rounds) {
    std::barrier sync(parts);
    std::atomic<bool> ended{false};
    // A part that leaves early arrives for every round it will not reach, so
    // that no other part waits for it, whichever barrier it has passed.
    auto leave = [&] { sync.arrive_and_drop(); };
    RunParts(parts, [&](int32_t part) {
        try {
            for (int64_t from = first; from < end; from += round) {
                const int64_t to = std::min(end, from + round);
                rounds.advance(part, from, to);
                sync.arrive_and_wait();
                if (ended) return leave();
                rounds.evaluate(part, from, to);
                sync.arrive_and_wait();
                if (ended) return leave();
                if (part == 0 && (!rounds.deliver(from, to) || StopRequested())) {
                    ended = true;
                    return leave();
                }
            }
        } catch (...) {  // thrown again on the calling thread once every part is done
            ended = true;
            leave();
            throw;
        }
    }, [&](int32_t) {
        ended = true;
        leave();
    });
    return !ended;
}

}  // namespace fractan
