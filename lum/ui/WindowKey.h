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
        : type_(typeid(Enum)), value_(static_cast<long long>(value))
    {
    }

    // Whether the key is of `Enum`; its value as one.
    template <class Enum>
    bool isOf() const
    {
        return type_ == std::type_index(typeid(Enum));
    }
    template <class Enum>
    Enum as() const
    {
        Q_ASSERT(isOf<Enum>());
        return static_cast<Enum>(value_);
    }

    friend bool operator==(const WindowKey& a, const WindowKey& b)
    {
        return a.type_ == b.type_ && a.value_ == b.value_;
    }
    friend bool operator!=(const WindowKey& a, const WindowKey& b) { return !(a == b); }
    friend bool operator<(const WindowKey& a, const WindowKey& b)
    {
        return a.type_ != b.type_ ? a.type_ < b.type_ : a.value_ < b.value_;
    }

private:
    std::type_index type_;
    long long value_;
};

} // namespace lum
