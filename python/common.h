#pragma once
// What the areas of the Python module share: the conversion of arguments, the
// arrays of results, warnings, and running the engine interruptibly.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <chrono>
#include <cstdint>
#include <future>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "setup/output.h"
#include "setup/stop.h"

namespace py = pybind11;

namespace fractan::python {

// The areas of the module, each adding its classes and functions.
void AddAnalyses(py::module_& m);
void AddClusters(py::module_& m);
void AddGenerators(py::module_& m);
void AddTools(py::module_& m);

using Samples = py::array_t<double, py::array::c_style | py::array::forcecast>;

class Silence : public OutputSink {
public:
    void Write(std::string_view) override {}
};

// Runs `work` on a thread of its own with the GIL released, its progress lines
// silenced and the stop polled, so that Ctrl-C in Python stops it promptly
// (KeyboardInterrupt) and other Python threads go on meanwhile.
template <class Work>
auto Interruptible(Work work) -> decltype(work()) {
    StopSource stop;
    std::packaged_task<decltype(work())()> task([&] {
        Silence silence;
        ScopedOutputRedirect quiet(silence);
        ScopedStopSource scope(stop);
        return work();
    });
    auto result = task.get_future();
    std::thread thread(std::move(task));
    for (;;) {
        bool ready = false;
        {
            py::gil_scoped_release release;
            ready = result.wait_for(std::chrono::milliseconds(20)) == std::future_status::ready;
        }
        if (ready) break;
        if (PyErr_CheckSignals() != 0) {
            stop.RequestStop();
            {
                py::gil_scoped_release release;
                thread.join();
            }
            throw py::error_already_set();
        }
    }
    thread.join();
    return result.get();
}

// A 1-D array of numbers, every one finite.
Samples SamplesOf(const py::object& x, const char* name = "x");

std::span<const double> SpanOf(const Samples& samples);

// A whole-number argument: TypeError when it is not a number (an array given
// by position lands here), ValueError when it is not a 32-bit whole number.
int32_t WholeArgument(const py::object& value, const char* name);

// A number argument, or TypeError naming it.
double NumberArgument(const py::object& value, const char* name);

// Whole numbers from an array-like.
std::vector<int32_t> SizesOf(const py::object& scales);

template <class T>
py::array_t<T> ArrayOf(const std::vector<T>& values) {
    return py::array_t<T>(static_cast<py::ssize_t>(values.size()), values.data());
}

void Warn(PyObject* category, const std::string& text);

}  // namespace fractan::python
