#include "app/WindowColours.h"

#include <gtest/gtest.h>

using namespace tabrix;

// Names on blocks and the refusal line stay readable on every block colour and both themes.
TEST(WindowColours, TextKeepsItsContrastOnBlocksAndOnLightAndDarkWindows)
{
    for (std::size_t i = 0; i < 8; ++i) {
        const PlanColour block = ConformPlan::colourOf(i);
        EXPECT_GE(WindowColours::contrast(WindowColours::textOn(block), block),
                  WindowColours::minimumContrast)
            << i;
    }
    const PlanColour windows[] = {{255, 255, 255}, {0xef, 0xef, 0xef}, {0xd4, 0xd0, 0xc8},
                                  {0x35, 0x35, 0x35}, {0x1e, 0x1e, 0x1e}, {0, 0, 0}};
    for (const PlanColour& window : windows)
        EXPECT_GE(WindowColours::contrast(WindowColours::refusalOn(window), window),
                  WindowColours::minimumContrast)
            << int(window.red);
    EXPECT_DOUBLE_EQ(WindowColours::contrast({0, 0, 0}, {255, 255, 255}), 21.0);
}
