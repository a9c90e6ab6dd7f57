#pragma once
// The files of a list analysed on several threads, with everything the user
// sees kept in list order: progress lines, and what is written in turn (the
// lines of a shared result file).

#include <cstdint>
#include <functional>

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

}  // namespace fractan
