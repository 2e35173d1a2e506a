#include <gtest/gtest.h>

#include <QApplication>

// Test programs of the Qt layer run their tests inside an application object. They never
// need a display; test discovery runs them without the CTest environment, so the offscreen
// platform is chosen here when nothing else is.
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
