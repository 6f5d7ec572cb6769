#pragma once

#include <QtGlobal>

#include <functional>
#include <type_traits>
#include <typeindex>
#include <typeinfo>

namespace lum {

// Names a menu, action, dock, sub-window or report of the main window by a value of an
// enumeration (the framework's or the application's). The enumeration is part of the key:
// values of two enumerations never stand for each other, and no key is a bare number.
class WindowKey
{
public:
    template <class Enum, std::enable_if_t<std::is_enum_v<Enum>, int> = 0>
    WindowKey(Enum value) // NOLINT(google-explicit-constructor): keys are written as values
        : m_type(typeid(Enum)), m_value(static_cast<long long>(value))
    {
    }

    // Whether the key is of `Enum`; its value as one.
    template <class Enum>
    bool isOf() const
    {
        return m_type == std::type_index(typeid(Enum));
    }
    template <class Enum>
    Enum as() const
    {
        Q_ASSERT(isOf<Enum>());
        return static_cast<Enum>(m_value);
    }

    friend bool operator==(const WindowKey& a, const WindowKey& b)
    {
        return a.m_type == b.m_type && a.m_value == b.m_value;
    }
    friend bool operator!=(const WindowKey& a, const WindowKey& b) { return !(a == b); }
    friend bool operator<(const WindowKey& a, const WindowKey& b)
    {
        return a.m_type != b.m_type ? a.m_type < b.m_type : a.m_value < b.m_value;
    }

private:
    std::type_index m_type;
    long long m_value;
};

} // namespace lum
