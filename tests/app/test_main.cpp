#include <gtest/gtest.h>

#include <QApplication>

// The screens' tests need one application object for the whole run; without a display they
// draw offscreen (also while CTest lists the tests at build time). A widgets application:
// with the widgets library linked, QTest's mouse and key functions take qApp for one.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
