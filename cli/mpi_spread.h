#pragma once
// A run started by mpirun: the files of a list spread over its processes.
// Rank 0 writes the run's shared files and prints what every file printed,
// in list order; the other ranks print nothing.

namespace fractan::cli {

class MpiRun {
public:
    // Whether this process was started by mpirun (its environment says so).
    static bool Launched();

    // Joins the run and installs the spread of the files over its processes;
    // the other ranks' standard output and error go to /dev/null.
    MpiRun(int& argc, char**& argv);
    ~MpiRun();
    MpiRun(const MpiRun&) = delete;
    MpiRun& operator=(const MpiRun&) = delete;

    bool Root() const { return rank_ == 0; }
    // Rank 0's exit code, on every process (mpirun returns the first nonzero one).
    int AgreedExitCode(int code) const;

private:
    int rank_ = 0, size_ = 1;
};

}  // namespace fractan::cli
