#include <gtest/gtest.h>

#include "Support.h"
#include "win/Controls.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new TestGuard);
    // As the program does before its first dialog.
    ProgressBar::Register();
    return RUN_ALL_TESTS();
}
