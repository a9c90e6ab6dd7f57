#pragma once
// Least-squares polynomials of order 0 … kMostDfaOrder fitted in boxes of n
// samples. Each box has coordinates of its own, x = (u − (n − 1)/2)·2/n for
// its u-th sample, and its values are taken less one of its samples, so that
// neither the place of the box in the series nor a constant added to the
// series costs digits. The fit is expressed in the polynomials orthogonal on
// the box's n points (the discrete Chebyshev polynomials), whose three-term
// recurrence is known in closed form: no system of equations is solved.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "setup/method_settings.h"

namespace fractan {

// The highest order, that of the method table.
inline constexpr int32_t kMostDfaOrder = static_cast<int32_t>(DescriptionOf(kUsesOrder).most);

// What every box of n samples shares, for polynomials up to `order`.
class BoxBasis {
public:
    BoxBasis(int32_t n, int32_t order);

    int32_t Length() const { return n_; }
    int32_t Order() const { return order_; }
    double Spacing() const { return h_; }
    // The coordinate of every sample of a box, first to last.
    const std::vector<double>& Coordinates() const { return x_; }
    // The projections P_j = Σ p_j·v of a box on the orthogonal polynomials,
    // from its moments b_i = Σ x^i·v.
    void Projections(const double* moments, double* projections) const;
    // The monomial coefficients a_0 … a_M of the fit from the moments, M the order.
    template <int M>
    void Coefficients(const double* moments, double* coefficients) const;
    // p_0(x) … p_order(x).
    void Values(double x, double* values) const;
    // The projections of a box moved one sample on, z' = shift·z, for its
    // samples but the one that leaves and the one that enters: lower
    // triangular with ones on its diagonal (p_j(x − h) in terms of the p_i(x)).
    void OneSampleShift(double (*shift)[kMostDfaOrder + 1]) const;
    // Σ fit² of the box, the part of Σ v² that the fit explains: Σ_j P_j²/Σ p_j².
    template <int M>
    double Explained(const double* projections) const {
        double explained = 0.0;
        for (int j = 0; j <= M; ++j) explained += projections[j] * projections[j] * inverseNorm_[j];
        return explained;
    }

private:
    // The orthogonal polynomials p_j = Σ_i toMonomials_[j][i]·x^i, and 1/Σ p_j².
    double toMonomials_[kMostDfaOrder + 1][kMostDfaOrder + 1] = {};
    double inverseNorm_[kMostDfaOrder + 1] = {};

    int32_t n_, order_;
    double h_;
    std::vector<double> x_;
};

// Σ over `count` boxes of R/n, R the sum of squared residuals of the fit of
// order M, n the boxes' length: the first box at `first`, each next one
// `stride` samples on (negative: backwards). Two passes over each box: its
// moments, then its residuals, taken together with the moments of the next
// box, so that their chains of additions overlap.
template <int M>
double TilingResiduals(const double* first, std::ptrdiff_t stride, int32_t count, const BoxBasis& basis);

// The sums over boxes of two series at once: of R_x/n and R_y/n, and of
// R_xy/n = Σ r_x·r_y/n, r the residuals of each series' own fit of order M in
// the box. The boxes lie as for TilingResiduals, at the same places in both
// series; each is fitted in two passes, its moments and then its residuals.
struct BoxPairSums {
    double xx = 0.0, yy = 0.0, xy = 0.0;
};
template <int M>
BoxPairSums PairTilingResiduals(const double* x, const double* y, std::ptrdiff_t stride, int32_t count,
                                const BoxBasis& basis);

// The fit of order M in a box that moves on one sample at a time, at the cost
// of a few operations a step: the box's projections on its orthogonal
// polynomials are shifted to its new coordinates, the sample that leaves is
// taken out and the one that enters added. They are summed afresh once the
// box has moved by its length, so that rounding does not build up.
template <int M>
class SlidingBox {
public:
    SlidingBox(const double* samples, const BoxBasis& basis);
    // The box whose first sample is samples[first].
    void Start(int64_t first) { at_ = Summed(first); }
    void Advance() {
        Slide(1, [](double) {});
    }
    // R/n of the box where it stands.
    double Residual() const { return ResidualOf(at_.projections, at_.squares); }
    // Moves on `steps` samples, handing R/n to visit(residual) after each.
    // The sums are copied into plain variables for the loop and back after
    // it, so that they stay in registers from step to step.
    template <typename Visit>
    void Slide(int64_t steps, Visit&& visit) {
        int64_t first = at_.first, lastNotFinite = at_.lastNotFinite;
        int32_t moved = at_.moved;
        double reference = at_.reference, squares = at_.squares, z[M + 1];
        for (int j = 0; j <= M; ++j) z[j] = at_.projections[j];
        for (int64_t s = 0; s < steps; ++s) {
            const int64_t last = first + n_;  // the sample that enters
            if (!std::isfinite(y_[last])) lastNotFinite = last;
            ++first;
            // Afresh after a whole length, and as soon as a sample that is not
            // a number has left the box, which it would otherwise keep spoiling.
            if (++moved >= n_ || (!std::isfinite(squares) && lastNotFinite < first)) {
                const Where at = Summed(first);
                moved = 0;
                reference = at.reference;
                squares = at.squares;
                lastNotFinite = std::max(lastNotFinite, at.lastNotFinite);
                for (int j = 0; j <= M; ++j) z[j] = at.projections[j];
            } else {
                const double out = y_[first - 1] - reference, in = y_[last] - reference;
                double next[M + 1];
                for (int j = 0; j <= M; ++j) {
                    double change = entering_[j] * in - leaving_[j] * out;
                    for (int i = 0; i < j; ++i) change += shift_[j][i] * z[i];
                    next[j] = z[j] + change;
                }
                for (int j = 0; j <= M; ++j) z[j] = next[j];
                squares += in * in - out * out;
            }
            visit(ResidualOf(z, squares));
        }
        at_ = Where{first, lastNotFinite, moved, reference, squares, {}};
        for (int j = 0; j <= M; ++j) at_.projections[j] = z[j];
    }

private:
    // Where the box stands and its sums: the projections Σ p_j·v and Σ v², v a
    // sample less the reference, the first sample when they were summed afresh.
    struct Where {
        int64_t first = 0, lastNotFinite = -1;
        int32_t moved = 0;
        double reference = 0.0, squares = 0.0;
        double projections[M + 1] = {};
    };
    // The sums of the box from `first`, taken afresh.
    Where Summed(int64_t first) const;
    double ResidualOf(const double* projections, double squares) const {
        const double residual = squares - basis_.Explained<M>(projections);
        return (residual < 0.0 ? 0.0 : residual) / n_;  // rounding below an exact fit; NaN stays NaN
    }

    const double* y_;
    const BoxBasis& basis_;
    int32_t n_;
    Where at_;
    // The shift of the coordinates by one spacing, and the polynomials at the
    // sample that leaves (in the new coordinates) and at the one that enters.
    double shift_[M + 1][M + 1] = {};
    double leaving_[M + 1] = {}, entering_[M + 1] = {};
};

// Hands R/n of `count` boxes whose starts are `step` samples apart, the first
// starting at samples[first], to visit(residual), first to last: one box
// slides from each to the next.
template <int M, typename Visit>
void SlideThroughBoxes(const double* samples, const BoxBasis& basis, int64_t first, int32_t step, int64_t count,
                       Visit&& visit) {
    SlidingBox<M> box(samples, basis);
    box.Start(first);
    visit(box.Residual());
    int32_t moved = 0;
    box.Slide((count - 1) * step, [&](double residual) {
        if (++moved == step) visit(residual), moved = 0;
    });
}

// Calls f.template operator()<M>() with M = order (0 … kMostDfaOrder).
template <typename F>
decltype(auto) WithOrder(int32_t order, F&& f) {
    static_assert(kMostDfaOrder == 5, "a case for every order");
    switch (order) {
        case 0: return f.template operator()<0>();
        case 1: return f.template operator()<1>();
        case 2: return f.template operator()<2>();
        case 3: return f.template operator()<3>();
        case 4: return f.template operator()<4>();
        default: return f.template operator()<kMostDfaOrder>();
    }
}

}  // namespace fractan
