#pragma once

#include <exception>

namespace NR3 {

// The failure of a numerical routine. The message is a fixed text that the caller reports as it
// stands; code tells an optimizer that ran into its own iteration or evaluation limit (a limit
// the user can raise) from every other failure.
struct NRError : public std::exception
{
    static constexpr int IterationLimit = 0;
    static constexpr int Other = 1;

    explicit NRError(const char* text, int errorCode = Other) : message(text), code(errorCode) {}
    const char* what() const noexcept override { return message; }

    const char* message;
    int code;
};

} // namespace NR3
