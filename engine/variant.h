#pragma once
// What every variant call returns.

#include <cstdint>

namespace fractan {

// What one call of a variant tells the driver. Callers that only need the
// files may ignore it.
enum VariantStatus : int32_t {
    kAnalysed = 0,     // the input was analysed and its results written
    kNotAnalysed = 1,  // a line said why the input could not be analysed
    kStopped = 2,      // a stop was requested; nothing more was written
    kNotFinite = 3,    // analysed and written, but the exponent is not a finite number
};

}  // namespace fractan
