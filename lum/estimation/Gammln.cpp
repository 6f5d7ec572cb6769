#include "lum/estimation/Gammln.h"

#include "lum/estimation/NRError.h"

#include <cmath>

namespace NR3 {

double gammln(double x)
{
    static const double coefficients[14] = {
        57.1562356658629235,      -59.5979603554754912,     14.1360979747417471,
        -0.491913816097620199,    0.339946499848118887e-4,  0.465236289270485756e-4,
        -0.983744753048795646e-4, 0.158088703224912494e-3,  -0.210264441724104883e-3,
        0.217439618115212643e-3,  -0.164318106536763890e-3, 0.844182239838527433e-4,
        -0.261908384015814087e-4, 0.368991826595316234e-5};
    if (!(x > 0.0))
        throw NRError("bad arg in gammln");
    double y = x;
    double tmp = x + 5.24218750000000000; // g = 671/128
    tmp = (x + 0.5) * std::log(tmp) - tmp;
    double series = 0.9999999999999971;
    for (const double c : coefficients)
        series += c / ++y;
    return tmp + std::log(2.5066282746310007 * series / x);
}

} // namespace NR3
