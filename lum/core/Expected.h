#pragma once

#include "lum/core/Error.h"

#include <QtGlobal>

#include <optional>
#include <type_traits>
#include <utility>
#include <variant>

namespace lum {

// The result of an operation that can fail recoverably: its value, or the Error that says why
// there is none. Library code returns it instead of throwing, of a status number or of a flag
// with the error kept aside, so the failure travels with the call that caused it:
//
//     Expected<Rows> rows = reader.read(path);
//     if (!rows)
//         return rows.error();        // passed on as it is
//     use(*rows);
//
// Expected<void> is the result of an operation without a value. Reading the value of a failed
// result (or the error of a successful one) is a programming error and asserts.
template <typename T>
class [[nodiscard]] Expected
{
    static_assert(!std::is_same_v<std::decay_t<T>, Error>, "an Error is no value");

public:
    Expected(const T& value) : m_state(value) {}
    Expected(T&& value) : m_state(std::move(value)) {}
    Expected(Error error) : m_state(std::move(error)) {}

    bool ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() &
    {
        Q_ASSERT(ok());
        return std::get<0>(m_state);
    }
    const T& value() const&
    {
        Q_ASSERT(ok());
        return std::get<0>(m_state);
    }
    T&& value() &&
    {
        Q_ASSERT(ok());
        return std::get<0>(std::move(m_state));
    }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    // The value, or `fallback` when the operation failed.
    T valueOr(T fallback) const { return ok() ? std::get<0>(m_state) : std::move(fallback); }

    const Error& error() const
    {
        Q_ASSERT(!ok());
        return std::get<1>(m_state);
    }

private:
    std::variant<T, Error> m_state;
};

template <>
class [[nodiscard]] Expected<void>
{
public:
    // Success.
    Expected() = default;
    Expected(Error error) : m_error(std::move(error)) {}

    bool ok() const { return !m_error.has_value(); }
    explicit operator bool() const { return ok(); }

    const Error& error() const
    {
        Q_ASSERT(!ok());
        return *m_error;
    }

private:
    std::optional<Error> m_error;
};

} // namespace lum
