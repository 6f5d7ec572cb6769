#include "lum/settings/LumQtSettingsProxy.h"

namespace lum {

LumQtSettingsProxy::LumQtSettingsProxy() = default;
LumQtSettingsProxy::~LumQtSettingsProxy() = default;

void LumQtSettingsProxy::setValue(const QString& name, const QVariant& value)
{
    m_settings->setValue(name, value);
}

QVariant LumQtSettingsProxy::value(const QString& name, const QVariant& defaultValue) const
{
    return m_settings->value(name, defaultValue);
}

int LumQtSettingsProxy::beginReadArray(const QString& prefix)
{
    return m_settings->beginReadArray(prefix);
}

void LumQtSettingsProxy::beginWriteArray(const QString& prefix, int size)
{
    m_settings->beginWriteArray(prefix, size);
}

void LumQtSettingsProxy::setArrayIndex(int i)
{
    m_settings->setArrayIndex(i);
}

void LumQtSettingsProxy::endArray()
{
    m_settings->endArray();
}

void LumQtSettingsProxy::remove(const QString& name)
{
    m_settings->remove(name);
}

void LumQtSettingsProxy::sync()
{
    m_settings->sync();
}

} // namespace lum
