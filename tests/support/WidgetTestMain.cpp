#include <gtest/gtest.h>

#include "platform/FontDesc.h"

#include <QApplication>

// Widget tests need an application object; they run without a display.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumarik"));
    lumarik::platform::installFontSubstitutions();
    return RUN_ALL_TESTS();
}
