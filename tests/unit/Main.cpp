#include <gtest/gtest.h>

#include "Support.h"
#include "res/resource.h"
#include "win/Controls.h"
#include "win/MessageBox.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new TestGuard);
    // As the program does before its first dialog.
    ProgressBar::Register();
    SetMessageCaption(IDS_APP_TITLE);
    return RUN_ALL_TESTS();
}
