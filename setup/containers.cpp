#include "setup/containers.h"

namespace fractan {

void RunningWindow::SetLength(int32_t n) {
    length_ = n;
    cursor_ = 0;
    sum_ = 0.0;
    pushed_ = 0;
    // A length below 1 keeps one slot, so a push never writes outside the buffer.
    buffer_.assign(static_cast<size_t>(std::max(n, 1)), 0.0);
}

void FirstOrderWindow::SetLength(int32_t n) {
    m_ = n - 1;
    cursor_ = 0;
    sum_ = 0.0;
    weighted_ = 0.0;
    pushed_ = 0;
    pending_ = 0.0;
    buffer_.assign(static_cast<size_t>(std::max(m_, 1)), 0.0);
}

}  // namespace fractan
