#include "python/common.h"

#include <climits>
#include <cmath>
#include <cstdio>

namespace fractan::python {
namespace {

// The argument as an array, refused (TypeError) unless it holds numbers: numpy
// would read a list of strings of digits as numbers.
py::array NumbersOf(const py::object& value, const std::string& name, const char* what) {
    py::array array = py::array::ensure(value);
    if (!array || std::string("biufO").find(array.dtype().kind()) == std::string::npos) {
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

Samples SamplesOf(const py::object& x, const char* name) {
    Samples samples = Samples::ensure(NumbersOf(x, name, "numbers"));
    if (!samples) {
        PyErr_Clear();
        throw py::type_error(std::string(name) + " must be a one-dimensional array of numbers");
    }
    const double* values = samples.data();
    for (py::ssize_t i = 0; i < samples.size(); ++i)
        if (!std::isfinite(values[i]))
            throw py::value_error("sample " + std::to_string(i) + " (counted from 0) of " + name +
                                  " is not a finite number");
    return samples;
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
    if (PyErr_WarnEx(category, text.c_str(), 1) != 0) throw py::error_already_set();  // warnings as errors
}

}  // namespace fractan::python
