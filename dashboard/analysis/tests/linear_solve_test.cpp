// The small dense solver behind the fuel-table fit.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "dashboard/analysis/linear_solve.h"

namespace kvr {
namespace {

// a x for a row-major n×n matrix.
std::vector<double> times(const std::vector<double>& a, const std::vector<double>& x) {
    const size_t n = x.size();
    std::vector<double> out(n, 0.0);
    for (size_t r = 0; r < n; ++r)
        for (size_t c = 0; c < n; ++c)
            out[r] += a[r * n + c] * x[c];
    return out;
}

TEST(LinearSolve, SolvesASaddlePointSystemThatNeedsPivoting) {
    // A least-squares block with a constraint row and column and a zero in
    // the corner, as the fit builds it: the last pivot would be 0 without
    // row exchanges.
    const size_t n = 103;
    std::mt19937 random(7);
    std::uniform_real_distribution<double> value(-1, 1);
    std::vector<double> a(n * n, 0.0);
    for (size_t r = 0; r + 1 < n; ++r) {
        a[r * n + r] = 4 + std::fabs(value(random));
        if (r + 1 < n - 1) a[r * n + r + 1] = a[(r + 1) * n + r] = value(random);
        a[r * n + n - 1] = a[(n - 1) * n + r] = r % 3 == 0 ? 1.0 : 0.0;
    }
    a[0] = 0;  // the first pivot must come from another row
    std::vector<double> x(n);
    for (double& v : x)
        v = value(random);
    std::vector<double> b = times(a, x);
    std::vector<double> work = a;
    ASSERT_TRUE(solveLinearSystem(work, b));
    for (size_t i = 0; i < n; ++i)
        EXPECT_NEAR(b[i], x[i], 1e-9) << "unknown " << i;
}

TEST(LinearSolve, RefusesASingularSystem) {
    std::vector<double> a = {1, 2, 3, 2, 4, 6, 0, 1, 1};  // row 2 is twice row 1
    std::vector<double> b = {1, 2, 3};
    EXPECT_FALSE(solveLinearSystem(a, b));
    std::vector<double> wrongSize = {1, 2, 3};
    EXPECT_FALSE(solveLinearSystem(wrongSize, b));
}

}  // namespace
}  // namespace kvr
