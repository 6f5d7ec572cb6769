#pragma once

#include "lum/settings/LumSettingsProxy.h"

#include <QSettings>

#include <memory>

namespace lum {

// The platform's per-user settings store (the registry on Windows, a file
// under the XDG configuration folder elsewhere), keyed on the organisation
// and application names of the application object at construction.
class LumQtSettingsProxy : public LumSettingsProxy
{
public:
    LumQtSettingsProxy();
    ~LumQtSettingsProxy() override;
    LumQtSettingsProxy(const LumQtSettingsProxy&) = delete;
    LumQtSettingsProxy& operator=(const LumQtSettingsProxy&) = delete;

    void setValue(const QString& name, const QVariant& value) override;
    QVariant value(const QString& name, const QVariant& defaultValue) const override;
    int beginReadArray(const QString& prefix) override;
    void beginWriteArray(const QString& prefix, int size) override;
    void setArrayIndex(int i) override;
    void endArray() override;
    void remove(const QString& name) override;

    void sync() override;

private:
    // Made once an abandoned lock of its file is out of the way.
    std::unique_ptr<QSettings> m_settings;
};

} // namespace lum
