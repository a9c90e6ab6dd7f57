#include "engine/box_fit.h"

#include <cmath>
#include <cstring>

namespace fractan {

BoxBasis::BoxBasis(int32_t n, int32_t order) : n_(n), order_(order), h_(2.0 / n) {
    // Monic p_0 = 1, p_1 = x, p_{j+1} = x·p_j − β_j·p_{j−1} on the points
    // (2u − n + 1)/n, with β_j = j²(n² − j²)/((4j² − 1)·n²) = Σ p_j² / Σ p_{j−1}².
    toMonomials_[0][0] = 1.0;
    inverseNorm_[0] = 1.0 / n;
    double norm = n, beta = 0.0;  // β_{j−1}
    for (int32_t j = 1; j <= order; ++j) {
        for (int32_t i = 0; i <= j; ++i)
            toMonomials_[j][i] = (i > 0 ? toMonomials_[j - 1][i - 1] : 0.0) -
                                 (j >= 2 ? beta * toMonomials_[j - 2][i] : 0.0);
        const double jj = static_cast<double>(j) * j, ratio = static_cast<double>(j) / n;
        beta = jj * (1.0 - ratio * ratio) / (4.0 * jj - 1.0);
        norm *= beta;
        inverseNorm_[j] = 1.0 / norm;
    }
    // The two-pass fits read the coordinates; the sliding boxes do not.
    x_.resize(static_cast<size_t>(n));
    for (int32_t u = 0; u < n; ++u) x_[u] = (2.0 * u - (n - 1)) / n;
}

void BoxBasis::Projections(const double* moments, double* projections) const {
    for (int32_t j = 0; j <= order_; ++j) {
        projections[j] = 0.0;
        for (int32_t i = 0; i <= j; ++i) projections[j] += toMonomials_[j][i] * moments[i];
    }
}

template <int M>
void BoxBasis::Coefficients(const double* moments, double* coefficients) const {
    double p[M + 1];
    for (int j = 0; j <= M; ++j) {
        p[j] = 0.0;
        for (int i = 0; i <= j; ++i) p[j] += toMonomials_[j][i] * moments[i];
    }
    for (int i = 0; i <= M; ++i) {
        double a = 0.0;
        for (int j = i; j <= M; ++j) a += p[j] * inverseNorm_[j] * toMonomials_[j][i];
        coefficients[i] = a;
    }
}

void BoxBasis::Values(double x, double* values) const {
    for (int32_t j = 0; j <= order_; ++j) {
        double value = 0.0;
        for (int32_t i = j; i >= 0; --i) value = value * x + toMonomials_[j][i];
        values[j] = value;
    }
}

void BoxBasis::OneSampleShift(double (*shift)[kMostDfaOrder + 1]) const {
    // With C the monomial coefficients of the p_j and x^j moved by −h, (x − h)^j
    // = x^j + E·(the lower powers), the shift is C·(I + E)·C⁻¹ = I + C·E·C⁻¹: its
    // entries below the diagonal are small, and come with their own digits.
    constexpr int kSize = kMostDfaOrder + 1;
    double inverse[kSize][kSize] = {}, lower[kSize][kSize] = {}, product[kSize][kSize] = {};
    for (int32_t j = 0; j <= order_; ++j) {  // C⁻¹ by forward substitution; C has ones on its diagonal
        inverse[j][j] = 1.0;
        for (int32_t i = j - 1; i >= 0; --i) {
            double sum = 0.0;
            for (int32_t k = i + 1; k <= j; ++k) sum += toMonomials_[k][i] * inverse[j][k];
            inverse[j][i] = -sum;
        }
    }
    for (int32_t j = 0; j <= order_; ++j) {  // E: C(j, i)·(−h)^(j−i) below the diagonal
        double binomial = j, power = -h_;
        for (int32_t i = j - 1; i >= 0; --i) {
            lower[j][i] = binomial * power;
            binomial = binomial * i / (j - i + 1);
            power *= -h_;
        }
    }
    for (int32_t j = 0; j <= order_; ++j)  // E·C⁻¹
        for (int32_t i = 0; i < j; ++i)
            for (int32_t k = i; k < j; ++k) product[j][i] += lower[j][k] * inverse[k][i];
    for (int32_t j = 0; j <= order_; ++j)  // I + C·(E·C⁻¹)
        for (int32_t i = 0; i <= j; ++i) {
            double sum = 0.0;
            for (int32_t k = i + 1; k <= j; ++k) sum += toMonomials_[j][k] * product[k][i];
            shift[j][i] = (i == j ? 1.0 : 0.0) + sum;
        }
}

namespace {

// Orders 0 and 1 keep the computation they always had, to the last bit.
// The sums of one box: u counts the samples from the box's first one, and v
// is a sample less that first sample.
struct BoxSums {
    double v = 0.0, uv = 0.0;  // Σ v, Σ u·v
};

// What a box of n samples shares with every other box of that size: the sums
// of u and u², and the parts of the least-squares slope that follow from them.
struct BoxShape {
    int32_t n;
    double su, mx, denominator, r;

    explicit BoxShape(int32_t length) : n(length) {
        const double N = length;
        su = N * (N - 1.0) * 0.5;                                               // Σ u
        const double suu = (N - 1.0) * N * (2.0 * N - 1.0) * 0.16666666666666666;  // Σ u²
        mx = (1.0 / n) * su;
        denominator = suu - mx * su;
        r = 1.0 / n;
    }
};

// The least-squares line v = u·slope + intercept of one box (slope 0 for
// order 0, so that the intercept is the box mean).
struct BoxLine {
    double slope = 0.0, intercept = 0.0;

    BoxLine(const BoxSums& sums, const BoxShape& shape, bool linear) {
        if (linear) slope = (sums.uv - shape.mx * sums.v) / shape.denominator;
        intercept = shape.r * sums.v - shape.r * shape.su * slope;
    }
};

BoxSums SumBox(const double* box, int32_t n) {
    BoxSums sums;
    const double first = box[0];
    double u = n - 1;
    for (int32_t i = n - 1; i >= 0; --i, u -= 1.0) {
        const double v = box[i] - first;
        sums.v += v;
        sums.uv += u * v;
    }
    return sums;
}

// R / n for the box of n samples starting at `box`, its residuals summed from
// the end of the box backwards, and the sums of the box at `next` in the same pass.
double LineResidual(const double* box, int32_t n, const BoxLine& line, const double* next, BoxSums& nextSums) {
    const double first = box[0], nextFirst = next[0];
    double residual = 0.0;
    BoxSums sums;
    double u = n - 1;
    for (int32_t i = n - 1; i >= 0; --i, u -= 1.0) {
        const double d = (box[i] - first) - (u * line.slope + line.intercept);
        residual += d * d;
        const double v = next[i] - nextFirst;
        sums.v += v;
        sums.uv += u * v;
    }
    nextSums = sums;
    return residual / n;
}

// The moments b_i = Σ x^i·v of one box, v a sample less the box's first.
template <int M>
void SumMoments(const double* box, const double* x, int32_t n, double* moments) {
    const double first = box[0];
    double b[M + 1] = {};
    for (int32_t u = 0; u < n; ++u) {
        double w = box[u] - first;
        b[0] += w;
        for (int j = 1; j <= M; ++j) b[j] += w *= x[u];
    }
    for (int j = 0; j <= M; ++j) moments[j] = b[j];
}

// Two samples at once, which plain x86-64 computes in one instruction.
using Pair = double __attribute__((vector_size(16)));

Pair Load(const double* two) {
    Pair pair;
    std::memcpy(&pair, two, sizeof pair);
    return pair;
}

// R of the box at `box` for the fit of monomial coefficients a, and in the
// same pass the moments of the box at `next`: two samples a step, the last
// of an odd length on its own.
template <int M>
double FitResidual(const double* box, const double* next, const double* x, int32_t n, const double* a,
                   double* nextMoments) {
    const double boxFirst = box[0], nextFirst = next[0];
    Pair coefficients[M + 1], residual = {0.0, 0.0}, b[M + 1] = {};
    for (int j = 0; j <= M; ++j) coefficients[j] = Pair{a[j], a[j]};
    const Pair boxFirsts = {boxFirst, boxFirst}, nextFirsts = {nextFirst, nextFirst};
    int32_t u = 0;
    for (; u + 1 < n; u += 2) {
        const Pair xs = Load(x + u);
        Pair fit = coefficients[M];
        for (int j = M - 1; j >= 0; --j) fit = fit * xs + coefficients[j];
        const Pair d = (Load(box + u) - boxFirsts) - fit;
        residual += d * d;
        Pair w = Load(next + u) - nextFirsts;
        b[0] += w;
        for (int j = 1; j <= M; ++j) b[j] += w *= xs;
    }
    double r = residual[0] + residual[1];
    for (int j = 0; j <= M; ++j) nextMoments[j] = b[j][0] + b[j][1];
    if (u < n) {
        double fit = a[M];
        for (int j = M - 1; j >= 0; --j) fit = fit * x[u] + a[j];
        const double d = (box[u] - boxFirst) - fit;
        r += d * d;
        double w = next[u] - nextFirst;
        nextMoments[0] += w;
        for (int j = 1; j <= M; ++j) nextMoments[j] += w *= x[u];
    }
    return r;
}

}  // namespace

template <int M>
double TilingResiduals(const double* first, std::ptrdiff_t stride, int32_t count, const BoxBasis& basis) {
    const int32_t n = basis.Length();
    auto start = [&](int32_t i) { return first + i * stride; };
    double total = 0.0;
    if constexpr (M <= 1) {
        const BoxShape shape(n);
        BoxSums sums = SumBox(start(0), n);
        for (int32_t i = 0; i < count; ++i) {
            const BoxLine line(sums, shape, M == 1);
            // The last box takes its own sums again, unused.
            total += LineResidual(start(i), n, line, start(i + 1 < count ? i + 1 : i), sums);
        }
    } else {
        const double* x = basis.Coordinates().data();
        double moments[M + 1];
        SumMoments<M>(start(0), x, n, moments);
        for (int32_t i = 0; i < count; ++i) {
            double a[M + 1];
            basis.Coefficients<M>(moments, a);
            total += FitResidual<M>(start(i), start(i + 1 < count ? i + 1 : i), x, n, a, moments) / n;
        }
    }
    return total;
}

template <int M>
BoxPairSums PairTilingResiduals(const double* x, const double* y, std::ptrdiff_t stride, int32_t count,
                                const BoxBasis& basis) {
    const int32_t n = basis.Length();
    const double* c = basis.Coordinates().data();
    BoxPairSums total;
    for (int32_t i = 0; i < count; ++i) {
        const double *bx = x + i * stride, *by = y + i * stride;
        // The two series in the two lanes, less their boxes' first samples;
        // two samples a step, in two sets of sums, so that the chains of
        // additions overlap.
        const Pair first = {bx[0], by[0]};
        auto value = [&](int32_t u) { return Pair{bx[u], by[u]} - first; };
        Pair even[M + 1] = {}, odd[M + 1] = {};
        auto addMoments = [&](Pair* b, Pair w, double at) {
            b[0] += w;
            for (int j = 1; j <= M; ++j) b[j] += w *= at;
        };
        int32_t u = 0;
        for (; u + 1 < n; u += 2) addMoments(even, value(u), c[u]), addMoments(odd, value(u + 1), c[u + 1]);
        if (u < n) addMoments(even, value(u), c[u]);
        double mx[M + 1], my[M + 1], ax[M + 1], ay[M + 1];
        for (int j = 0; j <= M; ++j) mx[j] = even[j][0] + odd[j][0], my[j] = even[j][1] + odd[j][1];
        basis.Coefficients<M>(mx, ax);
        basis.Coefficients<M>(my, ay);
        Pair a[M + 1];
        for (int j = 0; j <= M; ++j) a[j] = Pair{ax[j], ay[j]};
        auto residual = [&](int32_t at) {
            Pair fit = a[M];
            for (int j = M - 1; j >= 0; --j) fit = fit * c[at] + a[j];
            return value(at) - fit;
        };
        // Σ r² of each series in its lane, and Σ r_x·r_y of the even and odd samples.
        Pair squaresEven = {}, squaresOdd = {}, products = {};
        for (u = 0; u + 1 < n; u += 2) {
            const Pair r0 = residual(u), r1 = residual(u + 1);
            squaresEven += r0 * r0;
            squaresOdd += r1 * r1;
            products += Pair{r0[0], r1[0]} * Pair{r0[1], r1[1]};
        }
        if (u < n) {
            const Pair r = residual(u);
            squaresEven += r * r;
            products[0] += r[0] * r[1];
        }
        total.xx += (squaresEven[0] + squaresOdd[0]) / n;
        total.yy += (squaresEven[1] + squaresOdd[1]) / n;
        total.xy += (products[0] + products[1]) / n;
    }
    return total;
}

template <int M>
SlidingBox<M>::SlidingBox(const double* samples, const BoxBasis& basis)
    : y_(samples), basis_(basis), n_(basis.Length()) {
    double shift[kMostDfaOrder + 1][kMostDfaOrder + 1];
    basis.OneSampleShift(shift);
    for (int j = 0; j <= M; ++j)
        for (int i = 0; i <= j; ++i) shift_[j][i] = shift[j][i];
    basis.Values(-(n_ + 1.0) / n_, leaving_);
    basis.Values((n_ - 1.0) / n_, entering_);
}

template <int M>
typename SlidingBox<M>::Where SlidingBox<M>::Summed(int64_t first) const {
    Where at;
    at.first = first;
    at.moved = 0;
    const double* box = y_ + first;
    at.reference = box[0];
    double b[M + 1] = {}, squares = 0.0;
    const double x0 = -(n_ - 1.0) / n_, h = basis_.Spacing();
    for (int32_t u = 0; u < n_; ++u) {
        const double x = x0 + u * h;
        double w = box[u] - at.reference;
        squares += w * w;
        b[0] += w;
        for (int j = 1; j <= M; ++j) b[j] += w *= x;
    }
    basis_.Projections(b, at.projections);
    at.squares = squares;
    if (!std::isfinite(squares))
        for (int32_t u = 0; u < n_; ++u)
            if (!std::isfinite(box[u])) at.lastNotFinite = first + u;
    return at;
}

#define FRACTAN_BOX_FIT_ORDER(M)                                                                              \
    template double TilingResiduals<M>(const double*, std::ptrdiff_t, int32_t, const BoxBasis&);            \
    template BoxPairSums PairTilingResiduals<M>(const double*, const double*, std::ptrdiff_t, int32_t,        \
                                                const BoxBasis&);                                           \
    template class SlidingBox<M>;
FRACTAN_BOX_FIT_ORDER(0)
FRACTAN_BOX_FIT_ORDER(1)
FRACTAN_BOX_FIT_ORDER(2)
FRACTAN_BOX_FIT_ORDER(3)
FRACTAN_BOX_FIT_ORDER(4)
FRACTAN_BOX_FIT_ORDER(5)
#undef FRACTAN_BOX_FIT_ORDER

}  // namespace fractan
