#pragma once

#include "lum/settings/LumSettingsProxy.h"

#include <QMap>
#include <QStringList>

namespace lum::test {

// A store in memory that lays arrays out as the platform store does
// ("prefix/size", "prefix/<i+1>/<name>") and records removals.
class MemoryStore : public LumSettingsProxy
{
public:
    void setValue(const QString& name, const QVariant& value) override
    {
        values[fullName(name)] = value;
    }
    QVariant value(const QString& name, const QVariant& defaultValue) const override
    {
        return values.value(fullName(name), defaultValue);
    }
    int beginReadArray(const QString& prefix) override
    {
        m_prefix = prefix;
        m_index = 0;
        return values.value(prefix + "/size", 0).toInt();
    }
    void beginWriteArray(const QString& prefix, int size) override
    {
        m_prefix = prefix;
        m_index = 0;
        values[prefix + "/size"] = size;
    }
    void setArrayIndex(int i) override { m_index = i; }
    void endArray() override { m_prefix.clear(); }
    void remove(const QString& name) override
    {
        removed.append(name);
        for (auto it = values.begin(); it != values.end();) {
            if (it.key() == name || it.key().startsWith(name + "/"))
                it = values.erase(it);
            else
                ++it;
        }
    }

    QMap<QString, QVariant> values;
    QStringList removed;

private:
    QString fullName(const QString& name) const
    {
        return m_prefix.isEmpty() ? name
                                  : m_prefix + "/" + QString::number(m_index + 1) + "/" + name;
    }
    QString m_prefix;
    int m_index = 0;
};

} // namespace lum::test
