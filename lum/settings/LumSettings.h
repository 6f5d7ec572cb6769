#pragma once

#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QVariant>

#include <memory>
#include <vector>

namespace lum {

class LumSettingsProxy;

// Persistent settings addressed by small key numbers. Each key has a stored
// name, an optional default and the store that was current when the key was
// registered; an unstored key reads as its default. Editor widgets are bound
// to keys by lum::SettingsBinding (lum/ui), so that the settings themselves
// need no widgets.
class LumSettings : public QObject
{
    Q_OBJECT

public:
    // The id of element i of array key k is k * arrayIdFactor + i.
    static constexpr int arrayIdFactor = 1000000;

    // Starts with the platform's per-user store as the current store.
    explicit LumSettings(QObject* parent = nullptr);
    ~LumSettings() override;

    QVariant value(int key) const;
    QVariant defaultValue(int key) const;
    // What the key's store holds, without falling back to the default: invalid when unset.
    QVariant storedValue(int key) const;
    void setValue(int key, const QVariant& value);
    // With index -1 the plain value, otherwise element `index` of the array.
    void setValue(int key, int index, const QVariant& value);
    // Stores the absolute path of the folder holding `filePath` (which need
    // not exist).
    void setDirectoryOf(int key, const QString& filePath);

    QVariantList readArray(int key) const;
    void writeArray(int key, const QVariantList& list);
    QVariant arrayValue(int key, int index) const;
    // Replaces element `index` if the array has it; the array is written
    // back either way.
    void setArrayValue(int key, int index, const QVariant& value);

    bool isRegistered(int key) const { return m_names.contains(key); }
    // Stored name of a key, empty when unregistered.
    QString name(int key) const { return m_names.value(key); }
    // Registered keys in ascending order.
    QList<int> keys() const { return m_names.keys(); }
    LumSettingsProxy* storeFor(int key) const;
    QList<int> preservedKeys() const { return m_preservedKeys; }

    // Per-user data folder (+ sub-folder) of the organisation.
    static QString userDataDir(const QString& subFolder);
    // All-users data folder (+ sub-folder) of the organisation; empty on
    // Windows when the system gives no all-users folder.
    static QString commonDataDir(const QString& subFolder);

    // Writes pending changes of every store to permanent storage.
    void sync();

    virtual void writeMissingDefaults();
    // Removes every stored key (with `all` false, except the preserved
    // ones), so that they read as their defaults again.
    virtual void restoreDefaults(bool all);

    // Registers (or re-registers) a key on the current store; a null
    // default means the key has none.
    virtual void addSetting(int key, const QString& name, const QVariant& defaultValue);

protected:
    // Appends a store, which becomes the current one; owned from now on.
    void addStore(std::unique_ptr<LumSettingsProxy> store);
    LumSettingsProxy* currentStore() const { return m_stores.back().get(); }
    void setPreservedKeys(const QList<int>& keys) { m_preservedKeys = keys; }

private:
    QMap<int, QString> m_names;
    QMap<int, QVariant> m_defaults;
    QList<int> m_preservedKeys;
    QMap<int, LumSettingsProxy*> m_storeOfKey;
    std::vector<std::unique_ptr<LumSettingsProxy>> m_stores;
};

} // namespace lum
