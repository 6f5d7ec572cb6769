#pragma once

#include <QByteArray>
#include <QString>

namespace rivulet::test {

// The isolated folder every test binary runs in. The test main points
// HOME, the XDG folders and the Windows-style data folder variables at
// sub-folders of it before the application object exists, so no test can
// read or write the user's real settings or data.
class TestEnvironment
{
public:
    static QString root();
    // A new, empty folder under the root, named after `hint`.
    static QString freshDir(const QString& hint);
    // The repository's source folder (for bundled files such as data/sample).
    static QString sourceDir();
    // Called once by the test main.
    static void setUp();
};

// Sets (or, with a null value, unsets) an environment variable for the
// lifetime of the object and restores the previous state afterwards.
class ScopedEnv
{
public:
    ScopedEnv(const char* name, const QByteArray& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    QByteArray m_name;
    QByteArray m_previous;
    bool m_hadPrevious = false;
};

} // namespace rivulet::test
