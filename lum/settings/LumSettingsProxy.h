#pragma once

#include <QString>
#include <QVariant>

namespace lum {

// A store of named settings with Qt settings-like arrays. The settings
// object addresses each key through the store it was registered with.
class LumSettingsProxy
{
public:
    virtual ~LumSettingsProxy() = default;
    virtual void setValue(const QString& name, const QVariant& value) = 0;
    virtual QVariant value(const QString& name, const QVariant& defaultValue) const = 0;
    // Starts reading the array `prefix`; returns its number of elements.
    virtual int beginReadArray(const QString& prefix) = 0;
    virtual void beginWriteArray(const QString& prefix, int size) = 0;
    virtual void setArrayIndex(int i) = 0;
    virtual void endArray() = 0;
    virtual void remove(const QString& name) = 0;
    // Writes pending changes to permanent storage; stores that write at
    // once need not do anything.
    virtual void sync() {}

protected:
    LumSettingsProxy() = default;
    LumSettingsProxy(const LumSettingsProxy&) = default;
    LumSettingsProxy& operator=(const LumSettingsProxy&) = default;
};

} // namespace lum
