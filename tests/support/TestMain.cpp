// Test entry: the framework's application object is ready before any suite runs.
#include "framework/Application.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    Application->Initialize();
    Application->SetTitle("Tapstorm");
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
