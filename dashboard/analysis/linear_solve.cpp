#include "dashboard/analysis/linear_solve.h"

#include <cmath>
#include <utility>

namespace kvr {

bool solveLinearSystem(std::vector<double>& a, std::vector<double>& b) {
    const size_t n = b.size();
    if (a.size() != n * n) return false;
    double largest = 0;
    for (double v : a)
        largest = std::fmax(largest, std::fabs(v));
    const double tiny = largest * 1e-14;
    for (size_t col = 0; col < n; ++col) {
        size_t pivot = col;
        for (size_t r = col + 1; r < n; ++r)
            if (std::fabs(a[r * n + col]) > std::fabs(a[pivot * n + col])) pivot = r;
        if (!(std::fabs(a[pivot * n + col]) > tiny)) return false;
        if (pivot != col) {
            for (size_t c = 0; c < n; ++c)
                std::swap(a[col * n + c], a[pivot * n + c]);
            std::swap(b[col], b[pivot]);
        }
        const double p = a[col * n + col];
        for (size_t r = col + 1; r < n; ++r) {
            const double f = a[r * n + col] / p;
            if (f == 0) continue;
            for (size_t c = col; c < n; ++c)
                a[r * n + c] -= f * a[col * n + c];
            b[r] -= f * b[col];
        }
    }
    for (size_t k = n; k-- > 0;) {
        double sum = b[k];
        for (size_t c = k + 1; c < n; ++c)
            sum -= a[k * n + c] * b[c];
        b[k] = sum / a[k * n + k];
    }
    return true;
}

}  // namespace kvr
