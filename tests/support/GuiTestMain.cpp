// The main of tests that draw with Qt: the program's QApplication, offscreen, as the
// programs make theirs.

#include "platform/GuiEnvironment.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    marlet::prepareGuiEnvironment();
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
