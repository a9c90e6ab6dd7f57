#pragma once
// What the areas of the Python module share: the conversion of arguments, the
// arrays of results, warnings, and running the engine interruptibly.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace py = pybind11;

namespace fractan::python {

// The areas of the module, each adding its classes and functions.
void AddAnalyses(py::module_& m);
void AddClusters(py::module_& m);
void AddGenerators(py::module_& m);
void AddTools(py::module_& m);
void AddMultifractal(py::module_& m);
void AddCrossCorrelation(py::module_& m);

using Samples = py::array_t<double, py::array::c_style | py::array::forcecast>;

// Runs `work` in the calling thread with the GIL released (other Python threads
// go on meanwhile), its progress lines silenced and the stop polled: Ctrl-C
// stops it promptly, raising KeyboardInterrupt.
void RunInterruptible(const std::function<void()>& work);

template <class Work>
auto Interruptible(Work work) -> decltype(work()) {
    std::optional<decltype(work())> result;
    RunInterruptible([&] { result.emplace(work()); });
    return std::move(*result);
}

// A 1-D array of numbers, every one finite.
Samples SamplesOf(const py::object& x, const std::string& name = "x");

// ValueError naming the first of the values that is not a finite number.
void CheckFinite(const double* values, py::ssize_t count, const std::string& name);

// Whether an array's numbers are numbers (bool, integers, floats): numpy would
// read a list of strings of digits as numbers.
bool HoldsNumbers(const py::array& array);

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
