#include "support/widgets/readablecolour.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// The status colours of both lists and the summary strip.
const QColor kStatusColours[] = {
    {0, 128, 0},      // OK, Verified OK
    {0, 255, 0},      // Verified OK, selected
    {255, 0, 0},      // failed
    {128, 0, 128},    // Ignored
    {0, 0, 255},      // the number of files
    {128, 128, 128},  // waiting, moved or deleted
    {0, 0, 0},        // Waiting
};

// Dark Fusion's base and window, a navy selection, a mid grey.
const QColor kDarkBackgrounds[] = {{42, 42, 42}, {53, 53, 53}, {0, 0, 128}, {90, 90, 90}};

}  // namespace

TEST(ReadableColour, ContrastFollowsTheWCAGFormula) {
  EXPECT_NEAR(ContrastRatio(Qt::black, Qt::white), 21.0, 1e-9);
  EXPECT_NEAR(ContrastRatio(QColor(255, 0, 0), Qt::white), 4.0, 0.01);
  EXPECT_NEAR(ContrastRatio(QColor(0, 128, 0), Qt::white), 5.14, 0.01);
}

TEST(ReadableColour, EveryStatusColourReachesItsContrastOnADarkBaseAndKeepsItsHue) {
  for (const QColor& background : kDarkBackgrounds) {
    for (const QColor& colour : kStatusColours) {
      SCOPED_TRACE(colour.name().toStdString() + " on " + background.name().toStdString());
      const QColor shown = ReadableOn(colour, background);
      // As it is painted: eight bits a channel.
      const QColor painted(shown.rgb());
      EXPECT_GE(ContrastRatio(painted, background), kReadableContrast);
      if (colour.hslHue() >= 0 && colour.hslSaturation() > 0) {
        EXPECT_LE(std::abs(painted.hslHue() - colour.hslHue()), 2);
      }
      if (ContrastRatio(colour, background) >= kReadableContrast) {
        EXPECT_EQ(shown, colour);
      }
    }
  }
}

TEST(ReadableColour, ALightBaseKeepsTheColoursAsTheyAre) {
  for (const QColor& background : {QColor(Qt::white), QColor(239, 239, 239)}) {
    for (const QColor& colour : kStatusColours) {
      EXPECT_EQ(ReadableOn(colour, background), colour);
    }
  }
}

// The current row is painted reversed: white text on the row's colour. The row's
// colour is shaded until the text can be read.
TEST(ReadableColour, AReversedRowDarkensItsColourUnderWhiteText) {
  for (const QColor& colour : {QColor(255, 0, 0), QColor(128, 128, 128), QColor(0, 255, 0)}) {
    SCOPED_TRACE(colour.name().toStdString());
    const QColor shaded(WithContrast(colour, Qt::white).rgb());
    EXPECT_GE(ContrastRatio(shaded, Qt::white), kReadableContrast);
    EXPECT_LT(shaded.lightness(), colour.lightness());
    EXPECT_EQ(shaded.hslHue(), colour.hslHue());
  }
}
