#pragma once

#include "lum/settings/LumSettings.h"

namespace lum::test {

// Settings on the per-user store whose tests can choose the preserved keys.
class TestSettings : public LumSettings
{
public:
    using LumSettings::setPreservedKeys;
};

} // namespace lum::test
