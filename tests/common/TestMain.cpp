// The main of every test binary: isolates the environment, creates the
// application object that Qt's text documents, widgets and queued signals
// need, gives it the application's identity and runs the tests.
#include "common/TestEnvironment.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    rivulet::test::TestEnvironment::setUp();
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Aldermoor Lab"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("aldermoor-lab.example"));
    QCoreApplication::setApplicationName(QStringLiteral("Rivulet"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
