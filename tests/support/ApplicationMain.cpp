// The main of the suites that need a Qt application object (vexlo_add_test's APP_MAIN and
// CORE_APP_MAIN). The platform is the one the test's registration sets; when ctest lists the
// tests, which it does without that environment, the suite's own platform where it can run (a
// real X server needs DISPLAY), else the offscreen one.

#include <QByteArray>
#include <gtest/gtest.h>

#ifdef VEXLO_CORE_APPLICATION
#include <QCoreApplication>
using TTestApplication = QCoreApplication;
#else
#include <QApplication>
using TTestApplication = QApplication;
#endif

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        const QByteArray Own = VEXLO_TEST_PLATFORM;
        const bool Usable = Own != "xcb" || !qEnvironmentVariableIsEmpty("DISPLAY");
        qputenv("QT_QPA_PLATFORM", Usable ? Own : QByteArray("offscreen"));
    }
    TTestApplication Application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
