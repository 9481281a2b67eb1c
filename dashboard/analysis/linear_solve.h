// Solving a small dense linear system, as the fuel-table fit needs (about a
// hundred unknowns and one constraint): Gaussian elimination with partial
// pivoting, which also copes with the saddle-point form a constraint gives.
#pragma once

#include <vector>

namespace kvr {

// Solves a x = b for x, `a` n×n row by row. Both are overwritten: `b`
// becomes x. False when a pivot vanishes (the system is singular).
bool solveLinearSystem(std::vector<double>& a, std::vector<double>& b);

}  // namespace kvr
