#pragma once

#include "lum/settings/LumSettings.h"
#include "lum/settings/LumSettingsProxy.h"

#include <memory>

namespace lum::test {

// A settings object whose tests can add stores and preserved keys.
class TestSettings : public LumSettings
{
public:
    template <typename Store>
    Store* add(std::unique_ptr<Store> store)
    {
        Store* raw = store.get();
        addStore(std::move(store));
        return raw;
    }
    using LumSettings::setPreservedKeys;
};

} // namespace lum::test
