#include <gtest/gtest.h>

#include "win/Controls.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    // As the program does before its first dialog.
    ProgressBar::Register();
    return RUN_ALL_TESTS();
}
