#include <gtest/gtest.h>

#include <QApplication>
#include <clocale>

int main(int argc, char** argv) {
    // Listing the tests happens without CTest's environment: no display is needed either way.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    QCoreApplication::setOrganizationName(QStringLiteral("Tarvel technology"));
    QCoreApplication::setApplicationName(QStringLiteral("Orvella"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
