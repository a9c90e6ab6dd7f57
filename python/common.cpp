#include "python/common.h"

#include <signal.h>

#include <atomic>
#include <bit>
#include <climits>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "setup/output.h"
#include "setup/stop.h"

namespace fractan::python {
namespace {

constexpr uint64_t kExponentBits = 0x7ff0000000000000;

class Silence : public OutputSink {
public:
    void Write(std::string_view) override {}
};

// The stop of the call running on Python's main thread, and the SIGINT handler
// found before ours: Python's, which has the interpreter raise KeyboardInterrupt.
std::atomic<StopSource*> interruptedStop{nullptr};
struct sigaction chainedInterrupt;
std::atomic<bool> chaining{false};

void OnInterrupt(int signal, siginfo_t* info, void* context) {
    if (StopSource* stop = interruptedStop.load()) stop->RequestStop();
    if (chaining.exchange(true)) return;  // a handler installed over ours that chains back to it
    if (chainedInterrupt.sa_flags & SA_SIGINFO)
        chainedInterrupt.sa_sigaction(signal, info, context);
    else
        chainedInterrupt.sa_handler(signal);
    chaining.store(false);
}

// While it lives, SIGINT also asks `stop` to stop. Python handles signals on its
// main thread only, so only there, and only over a handler of Python's (not
// over SIG_IGN or SIG_DFL, which keep their meaning). Our handler stays once
// installed, going on to the one before it: installing and restoring it for
// each call would cost a short call more than its computation.
class ScopedInterruptStop {
public:
    explicit ScopedInterruptStop(StopSource& stop) {
        // Asked of the threading module once: CPython's own test is not in its stable API.
        static const unsigned long mainThread =
            py::module_::import("threading").attr("main_thread")().attr("ident").cast<unsigned long>();
        if (PyThread_get_thread_ident() != mainThread || !HandlerInstalled()) return;
        interruptedStop.store(&stop);
        armed_ = true;
    }
    ~ScopedInterruptStop() {
        if (armed_) interruptedStop.store(nullptr);
    }
    ScopedInterruptStop(const ScopedInterruptStop&) = delete;
    ScopedInterruptStop& operator=(const ScopedInterruptStop&) = delete;

private:
    // Whether ours is SIGINT's handler, installing it over a handler of
    // Python's. Asked at every call: a program may set another between calls.
    static bool HandlerInstalled() {
        struct sigaction current;
        if (sigaction(SIGINT, nullptr, &current) != 0 || current.sa_handler == SIG_IGN ||
            current.sa_handler == SIG_DFL)
            return false;
        if (!(current.sa_flags & SA_SIGINFO) || current.sa_sigaction != OnInterrupt) {
            struct sigaction ours = current;
            ours.sa_sigaction = OnInterrupt;
            ours.sa_flags |= SA_SIGINFO;
            chainedInterrupt = current;
            if (sigaction(SIGINT, &ours, nullptr) != 0) return false;
        }
        return true;
    }

    bool armed_ = false;
};

// The argument as an array, refused (TypeError) unless it holds numbers: numpy
// would read a list of strings of digits as numbers.
py::array NumbersOf(const py::object& value, const std::string& name, const char* what) {
    py::array array = py::array::ensure(value);
    if (!array || !HoldsNumbers(array)) {
        PyErr_Clear();
        throw py::type_error(name + " must be a one-dimensional array of " + what);
    }
    if (array.ndim() != 1) throw py::type_error(name + " must be one-dimensional");
    return array;
}

// The value as the engine's 32-bit whole number; ValueError naming `what` when
// it is fractional or out of that range.
int32_t WholeNumber(double value, const std::string& what) {
    if (value != std::floor(value) || value < INT32_MIN || value > INT32_MAX) {
        char shown[64];
        std::snprintf(shown, sizeof shown, "%.17g", value);
        throw py::value_error(what + " must be a whole number from " + std::to_string(INT32_MIN) + " to " +
                              std::to_string(INT32_MAX) + "; it is " + shown);
    }
    return static_cast<int32_t>(value);
}

}  // namespace

// In the calling thread, not on a thread of its own, since starting a thread
// would cost a short call many times its computation.
void RunInterruptible(const std::function<void()>& work) {
    StopSource stop;
    {
        ScopedInterruptStop interrupt(stop);
        py::gil_scoped_release release;
        Silence silence;
        ScopedOutputRedirect quiet(silence);
        ScopedStopSource scope(stop);
        work();
    }
    if (!stop.StopRequested()) return;
    // Python's handler raises KeyboardInterrupt; one of the program's own that
    // does not still leaves the call unfinished.
    if (PyErr_CheckSignals() == 0) PyErr_SetNone(PyExc_KeyboardInterrupt);
    throw py::error_already_set();
}

bool HoldsNumbers(const py::array& array) {
    return std::string("biufO").find(array.dtype().kind()) != std::string::npos;
}

Samples SamplesOf(const py::object& x, const std::string& name) {
    Samples samples = Samples::ensure(NumbersOf(x, name, "numbers"));
    if (!samples) {
        PyErr_Clear();
        throw py::type_error(name + " must be a one-dimensional array of numbers");
    }
    CheckFinite(samples.data(), samples.size(), name);
    return samples;
}

void CheckFinite(const double* values, py::ssize_t count, const std::string& name) {
    // The exponent bits of every sample, all set only for one that is not
    // finite: a scan the compiler vectorises, and a search only when it finds one.
    uint64_t notFinite = 0;
    for (py::ssize_t i = 0; i < count; ++i)
        notFinite |= (std::bit_cast<uint64_t>(values[i]) & kExponentBits) == kExponentBits;
    for (py::ssize_t i = 0; notFinite && i < count; ++i)
        if (!std::isfinite(values[i]))
            throw py::value_error("sample " + std::to_string(i) + " (counted from 0) of " + name +
                                  " is not a finite number");
}

std::span<const double> SpanOf(const Samples& samples) {
    return {samples.data(), static_cast<size_t>(samples.size())};
}

int32_t WholeArgument(const py::object& value, const char* name) {
    const double number = PyFloat_AsDouble(value.ptr());
    if (number == -1.0 && PyErr_Occurred()) {
        const bool tooLarge = PyErr_ExceptionMatches(PyExc_OverflowError);
        PyErr_Clear();
        if (tooLarge) return WholeNumber(HUGE_VAL, name);
        const bool array = py::isinstance<py::list>(value) || py::isinstance<py::tuple>(value) ||
                           py::isinstance<py::array>(value);
        throw py::type_error(std::string(name) + " must be a whole number, not " +
                             py::str(py::type::of(value).attr("__name__")).cast<std::string>() +
                             (array ? " (give arrays by name, such as scales=...)" : ""));
    }
    return WholeNumber(number, name);
}

double NumberArgument(const py::object& value, const char* name) {
    const double number = PyFloat_AsDouble(value.ptr());
    if (number == -1.0 && PyErr_Occurred()) {
        PyErr_Clear();
        throw py::type_error(std::string(name) + " must be a number, not " +
                             py::str(py::type::of(value).attr("__name__")).cast<std::string>());
    }
    return number;
}

std::vector<int32_t> SizesOf(const py::object& scales) {
    using Values = py::array_t<double, py::array::c_style | py::array::forcecast>;
    const Values array = Values::ensure(NumbersOf(scales, "scales", "whole numbers"));
    if (!array) {
        PyErr_Clear();
        throw py::type_error("scales must be a one-dimensional array of whole numbers");
    }
    std::vector<int32_t> sizes;
    for (py::ssize_t i = 0; i < array.size(); ++i)
        sizes.push_back(WholeNumber(array.data()[i], "scales[" + std::to_string(i) + "]"));
    return sizes;
}

void Warn(PyObject* category, const std::string& text) {
    if (PyErr_WarnEx(category, text.c_str(), 2) != 0) throw py::error_already_set();  // warnings as errors
}

}  // namespace fractan::python
