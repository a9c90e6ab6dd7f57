#include "cli/mpi_spread.h"

#include <fcntl.h>
#include <mpi.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "setup/ordered_jobs.h"
#include "setup/output.h"
#include "setup/packing.h"
#include "setup/stop.h"

namespace fractan::cli {
namespace {

// Rank 0 opens a list with kStart and closes it with kEnd once every other
// rank has said kDone; kStop asks them to stop; kExitCode ends the command.
enum Tag : int { kStart = 1, kResult, kDone, kStop, kEnd, kExitCode };

// Every MPI call is made from the main thread, which polls rather than blocks:
// Open MPI's blocking calls spin and would take a core from the computation.
constexpr auto kPoll = std::chrono::milliseconds(2);
void Pause() { std::this_thread::sleep_for(kPoll); }

bool Arrived(int source, int tag, MPI_Status& status) {
    int flag = 0;
    MPI_Iprobe(source, tag, MPI_COMM_WORLD, &flag, &status);
    return flag != 0;
}

bool Arrived(int source, int tag) {
    MPI_Status status;
    return Arrived(source, tag, status);
}

std::string Receive(const MPI_Status& probed) {
    int size = 0;
    MPI_Get_count(&probed, MPI_CHAR, &size);
    std::string bytes(static_cast<size_t>(size), '\0');
    MPI_Recv(bytes.data(), size, MPI_CHAR, probed.MPI_SOURCE, probed.MPI_TAG, MPI_COMM_WORLD, MPI_STATUS_IGNORE);
    return bytes;
}

// Receives the message of this tag from rank 0 if one has come.
bool Take(int tag) {
    MPI_Status status;
    if (!Arrived(0, tag, status)) return false;
    Receive(status);
    return true;
}

void Send(const std::string& bytes, int to, int tag) {
    MPI_Request request;
    MPI_Isend(bytes.data(), static_cast<int>(bytes.size()), MPI_CHAR, to, tag, MPI_COMM_WORLD, &request);
    for (int done = 0; MPI_Test(&request, &done, MPI_STATUS_IGNORE), !done;) Pause();
}

// One file done on this process: what it printed, and what its commit needs.
struct Finished {
    int32_t index = 0;
    std::string text, bytes;
};

// This process's share of the list (every size-th file from its rank on),
// worked on by its threads as a list of its own; the results come out in
// list order.
class LocalShare {
public:
    LocalShare(const ListWork& work, int rank, int size, bool packs) {
        thread_ = std::jthread([this, &work, rank, size, packs] {
            ScopedStopSource scope(stop_);
            const int32_t count = work.count > rank ? (work.count - rank + size - 1) / size : 0;
            std::vector<std::string> texts(static_cast<size_t>(count));
            RunInListOrder(
                count, work.jobs,
                [&](int32_t j) {
                    OutputCapture capture;
                    work.work(rank + j * size);
                    texts[j] = capture.Text();
                },
                [&](int32_t j) {
                    const int32_t i = rank + j * size;
                    Finished done{i, std::move(texts[j]), packs ? work.pack(i) : std::string()};
                    std::lock_guard lock(mutex_);
                    queue_.push_back(std::move(done));
                });
            std::lock_guard lock(mutex_);
            ended_ = true;
        });
    }
    void Stop() { stop_.RequestStop(); }
    // The next result if there is one; `ended` once none will come.
    std::optional<Finished> Next(bool& ended) {
        std::lock_guard lock(mutex_);
        ended = ended_ && queue_.empty();
        if (queue_.empty()) return std::nullopt;
        Finished next = std::move(queue_.front());
        queue_.pop_front();
        return next;
    }

private:
    StopSource stop_;
    std::mutex mutex_;
    std::deque<Finished> queue_;
    bool ended_ = false;
    std::jthread thread_;  // last: joined before the members it uses go
};

class MpiSpread : public ProcessSpread {
public:
    MpiSpread(int rank, int size) : rank_(rank), size_(size) {}
    bool Commits() const override { return rank_ == 0; }
    void Run(const ListWork& work) override { rank_ == 0 ? Gather(work) : Contribute(work); }

private:
    // Rank 0: its own share and the others' results, committed in list order.
    void Gather(const ListWork& work) {
        for (int r = 1; r < size_; ++r) Send({}, r, kStart);
        LocalShare share(work, 0, size_, false);
        std::map<int32_t, Finished> waiting;  // results ahead of their turn
        std::vector<bool> done(static_cast<size_t>(size_), false);
        int32_t next = 0, others = size_ - 1;
        bool localEnded = false, stopSent = false;
        while (!localEnded || others > 0) {
            bool progressed = false;
            if (!stopSent && StopRequested()) {
                share.Stop();
                for (int r = 1; r < size_; ++r)
                    if (!done[r]) Send({}, r, kStop);
                stopSent = true;
            }
            MPI_Status status;
            while (Arrived(MPI_ANY_SOURCE, kResult, status) || Arrived(MPI_ANY_SOURCE, kDone, status)) {
                const std::string bytes = Receive(status);
                progressed = true;
                if (status.MPI_TAG == kDone) {
                    done[status.MPI_SOURCE] = true;
                    --others;
                    continue;
                }
                Finished f;
                Unpacker(bytes).Get(f.index).Get(f.text).Get(f.bytes);
                waiting[f.index] = std::move(f);
            }
            if (std::optional<Finished> f = share.Next(localEnded)) {
                progressed = true;
                waiting[f->index] = std::move(*f);
            }
            for (auto it = waiting.begin(); it != waiting.end() && it->first == next; it = waiting.erase(it), ++next) {
                WriteOutput(it->second.text);
                if (next % size_ != 0) work.unpack(next, it->second.bytes);
                work.commit(next);
            }
            if (!progressed) Pause();
        }
        if (next < work.count && !StopRequested())
            PrintFormatted("A process of the run ended before its files were analysed; the run stops before file %d.\n",
                           next + 1);
        for (int r = 1; r < size_; ++r) Send({}, r, kEnd);
    }

    // The other ranks: their share, each result sent to rank 0 as it is done.
    void Contribute(const ListWork& work) {
        while (!Take(kStart)) {
            if (Arrived(0, kExitCode)) return;  // rank 0 refused the run before its list
            Pause();
        }
        {
            LocalShare share(work, rank_, size_, true);
            for (bool ended = false; !ended;) {
                if (Take(kStop) || StopRequested()) share.Stop();
                if (std::optional<Finished> f = share.Next(ended))
                    Send(Packer().Put(f->index).Put(f->text).Put(f->bytes).Bytes(), 0, kResult);
                else if (!ended) Pause();
            }
        }
        Send({}, 0, kDone);
        while (!Take(kEnd)) {
            Take(kStop);  // sent before rank 0 heard that this rank was done
            Pause();
        }
    }

    int rank_, size_;
};

std::optional<MpiSpread> spread;

}  // namespace

bool MpiRun::Launched() { return std::getenv("OMPI_COMM_WORLD_SIZE") || std::getenv("PMIX_RANK"); }

MpiRun::MpiRun(int& argc, char**& argv) {
    int provided = 0;
    MPI_Init_thread(&argc, &argv, MPI_THREAD_FUNNELED, &provided);
    MPI_Comm_rank(MPI_COMM_WORLD, &rank_);
    MPI_Comm_size(MPI_COMM_WORLD, &size_);
    spread.emplace(rank_, size_);
    SetProcessSpread(&*spread);
    if (rank_ == 0) return;
    // Rank 0 says everything once.
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, STDOUT_FILENO);
    ::dup2(null, STDERR_FILENO);
    ::close(null);
}

MpiRun::~MpiRun() {
    SetProcessSpread(nullptr);
    MPI_Finalize();
}

int MpiRun::AgreedExitCode(int code) const {
    if (rank_ == 0) {
        for (int r = 1; r < size_; ++r) Send(Packer().Put(code).Bytes(), r, kExitCode);
        return code;
    }
    // A list that this rank left before rank 0 came to it is answered at once.
    MPI_Status status;
    while (!Arrived(0, kExitCode, status)) {
        if (Take(kStart)) Send({}, 0, kDone);
        Take(kStop);
        Take(kEnd);
        Pause();
    }
    Unpacker(Receive(status)).Get(code);
    return code;
}

}  // namespace fractan::cli
