#pragma once

#include <exception>

namespace NR3 {

// The failure of a numerical routine. The message is a fixed text that the caller reports as it
// stands; code is 0 for the iteration limit of the direction set and simplex methods and 1 for
// every other failure.
struct NRError : public std::exception
{
    explicit NRError(const char* text, int errorCode = 1) : message(text), code(errorCode) {}
    const char* what() const noexcept override { return message; }

    const char* message;
    int code;
};

} // namespace NR3
