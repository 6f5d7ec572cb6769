#pragma once

namespace NR3 {

// ln Gamma(x) for x > 0 by the Lanczos approximation (g = 671/128, 14 coefficients), accurate
// to about double precision. Throws NRError "bad arg in gammln" for x <= 0.
double gammln(double x);

} // namespace NR3
