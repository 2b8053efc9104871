// Tests of the preview need a GUI application for fonts and images; they run offscreen.
#include <gtest/gtest.h>

#ifdef VEXLO_TEST_WIDGETS
#include <QApplication>
using TTestApplication = QApplication;
#else
#include <QGuiApplication>
using TTestApplication = QGuiApplication;
#endif

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TTestApplication App(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
