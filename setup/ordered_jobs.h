#pragma once
// The files of a list analysed on several threads, with everything the user
// sees kept in list order: progress lines, and what is written in turn (the
// lines of a shared result file).

#include <cstdint>
#include <functional>
#include <string>

namespace fractan {

// The number of threads for a request: `requested` itself, or every core
// for 0 or less.
int32_t JobsFor(int32_t requested);

// Runs work(i) for i = 0 … count − 1 on up to `jobs` threads (the calling one
// among them), and commit(i) in list order, as soon as work(i) and every
// commit before it are done. What work(i) and commit(i) print reaches the
// calling thread's sink in list order: the lines of the lowest index not yet
// committed as they come, those of later ones held until their turn. The
// threads poll the calling thread's stop source: after a stop no index is
// begun, and the commits stop at the first index not done.
void RunInListOrder(int32_t count, int32_t jobs, const std::function<void(int32_t)>& work,
                    const std::function<void(int32_t)>& commit);

// Runs part(0) … part(parts − 1) at once, part(0) on the calling thread and
// each other on a thread of its own that polls the calling thread's stop
// source; returns when all are done. Only part(0) may print: the others have
// no output of their own. When a thread cannot be made, the parts not yet
// begun (part(0) among them) are not run, and notStarted(i) is called for
// each before the others are joined, so that they need not wait for them; the
// failure is thrown again.
void RunParts(int32_t parts, const std::function<void(int32_t)>& part,
              const std::function<void(int32_t)>& notStarted = {});

// The positions first … end − 1 of a series in rounds of `round` positions,
// as RunParts runs its parts: in each round every part runs advance(part,
// from, to), its share of the state carried from position to position; once
// all have, evaluate(part, from, to), its share of what the positions give;
// then the calling thread runs deliver(from, to) while the others go on with
// the next round's advance. False when deliver returned false or a stop was
// requested: no round is begun after that.
struct Rounds {
    std::function<void(int32_t, int64_t, int64_t)> advance, evaluate;
    std::function<bool(int64_t, int64_t)> deliver;
};
bool RunRounds(int32_t parts, int64_t first, int64_t end, int64_t round, const Rounds& rounds);

// The work of a files list, for RunListWork.
struct ListWork {
    int32_t count = 0;
    int32_t jobs = 1;
    bool oneProcess = false;  // every file on the committing process (they write the same files)
    std::function<void(int32_t)> work;
    std::function<std::string(int32_t)> pack;  // what the commit of file i needs, as bytes
    std::function<void(int32_t, const std::string&)> unpack;
    std::function<void(int32_t)> commit;
};

// The processes of a run started by mpirun: the files are spread over them,
// and one commits, writing the run's shared files and printing every file's
// lines in list order.
class ProcessSpread {
public:
    virtual ~ProcessSpread() = default;
    virtual bool Commits() const = 0;
    virtual void Run(const ListWork& work) = 0;
};

// Installs the spread of this run's processes (null: this process alone).
void SetProcessSpread(ProcessSpread* spread);

// Whether this process writes the run's shared files: true when it runs alone.
bool CommitsHere();

// The work on the installed spread, or on this process's threads as RunInListOrder does.
void RunListWork(const ListWork& work);

}  // namespace fractan
