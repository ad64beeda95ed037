// Test entry: the framework's application object is ready before any suite runs.
#include "framework/Application.h"
#include "support/DisplayScale.h"

#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char** argv)
{
    if (!RunsAtRequestedResolution()) {
        std::fprintf(stderr, "the screen has %d pixels per inch, not the %s asked for\n", ScreenPixelsPerInch(),
                     std::getenv("TAPSTORM_DPI"));
        return 1;
    }
    Application->Initialize();
    Application->SetTitle("Tapstorm");
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
