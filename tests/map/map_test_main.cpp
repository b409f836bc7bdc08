#include <gtest/gtest.h>

#include <QApplication>

#include "map_test_env.h"

int main(int argc, char** argv) {
    tesmira::maptest::RegisterSchemes();
    QApplication app(argc, argv);
    tesmira::maptest::InstallStandIns();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
