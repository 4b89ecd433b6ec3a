#include "checkwindow/widgets/checkicons.h"
#include "checkwindow/widgets/jpegimage.h"
#include "checkwindow/widgets/summarystrip.h"
#include "checkwindow/widgets/texteditor.h"

#include <QBuffer>
#include <QImage>
#include <QLabel>

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <vector>

namespace {

TEST(StatusGlyphs, EveryStatusHasItsPictureAndColour) {
  const QColor grid(10, 20, 30);
  struct TCase {
    TFileStatus status;
    int glyph;
    QColor colour;
  };
  const TCase cases[] = {
      {TFileStatus::OK, sgOK, QColor(0, 128, 0)},
      {TFileStatus::Waiting, sgWaiting, Qt::black},
      {TFileStatus::Ignored, sgIgnored, QColor(128, 0, 128)},
      {TFileStatus::Running, sgRunning, grid},
      {TFileStatus::CRCFailed, sgFailed, QColor(255, 0, 0)},
      {TFileStatus::NotFound, sgFailed, QColor(255, 0, 0)},
      {TFileStatus::NoCRC, sgFailed, QColor(255, 0, 0)},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(FileStatusText(c.status));
    EXPECT_EQ(StatusGlyphIndex(c.status), c.glyph);
    EXPECT_EQ(StatusTextColor(c.status, grid), c.colour);
  }
  EXPECT_EQ(StatusGlyphIndex(TFileStatus::None), -1);
}

// The dominant opaque colour family of a glyph: which channel is strongest.
QString Dominant(const QPixmap& pixmap) {
  const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
  long red = 0, green = 0, blue = 0;
  int opaque = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (c.alpha() < 200) continue;
      ++opaque;
      red += c.red();
      green += c.green();
      blue += c.blue();
    }
  }
  if (opaque == 0) return "empty";
  if (std::abs(red - green) < opaque * 20 && std::abs(green - blue) < opaque * 20) return "grey";
  if (red > green && blue > green) return "purple";
  if (red > green && red > blue) return "red";
  if (green > red && green > blue) return "green";
  return "other";
}

TEST(StatusGlyphs, AreSixteenPixelsInTheirColours) {
  for (int index = sgOK; index <= sgWaiting; ++index) {
    EXPECT_FALSE(StatusGlyph(index).isNull()) << index;
    EXPECT_EQ(StatusGlyph(index).size(), QSize(16, 16));
    // Sharp on a double-density screen: drawn at 32 device pixels, not scaled up.
    const QPixmap sharp = StatusGlyph(index, 2.0);
    EXPECT_EQ(sharp.size(), QSize(32, 32));
    EXPECT_EQ(sharp.deviceIndependentSize(), QSizeF(16, 16));
  }
  EXPECT_EQ(Dominant(StatusGlyph(sgOK)), "green");
  EXPECT_EQ(Dominant(StatusGlyph(sgFailed)), "red");
  EXPECT_EQ(Dominant(StatusGlyph(sgIgnored)), "purple");
  EXPECT_EQ(Dominant(StatusGlyph(sgRunning)), "red");
  EXPECT_EQ(Dominant(StatusGlyph(sgWaiting)), "grey");
  // Running and Waiting share the shape, not the colour.
  EXPECT_NE(StatusGlyph(sgRunning).toImage(), StatusGlyph(sgWaiting).toImage());
}

// Pictures the desktop's theme lacks come from the program's own drawings.
class ToolImages : public ::testing::Test {
 protected:
  void SetUp() override {
    QIcon::setThemeSearchPaths({});
    QIcon::setThemeName(QStringLiteral("checkwell-test-no-such-theme"));
  }
  void TearDown() override {
    QIcon::setThemeSearchPaths(searchPaths_);
    QIcon::setThemeName(themeName_);
  }

 private:
  const QStringList searchPaths_ = QIcon::themeSearchPaths();
  const QString themeName_ = QIcon::themeName();
};

TEST_F(ToolImages, AreDistinctTwentyFourPixelPicturesWithoutATheme) {
  std::vector<QImage> images;
  for (const TToolImage image :
       {TToolImage::Launch, TToolImage::Remove, TToolImage::Rename, TToolImage::RefreshCRC,
        TToolImage::TidySFV, TToolImage::Manager, TToolImage::Notepad, TToolImage::Copy}) {
    const QIcon icon = ToolImage(image);
    ASSERT_FALSE(icon.isNull()) << static_cast<int>(image);
    const QPixmap pixmap = icon.pixmap(QSize(24, 24));
    EXPECT_EQ(pixmap.size(), QSize(24, 24));
    EXPECT_NE(Dominant(pixmap), "empty") << static_cast<int>(image);
    images.push_back(pixmap.toImage());
  }
  for (size_t i = 0; i < images.size(); ++i) {
    for (size_t j = i + 1; j < images.size(); ++j) EXPECT_NE(images[i], images[j]) << i << " " << j;
  }
  EXPECT_FALSE(ApplicationIcon().isNull());
}

QByteArray EncodeJPEG(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  EXPECT_TRUE(image.save(&buffer, "JPG", 95));
  return bytes;
}

TEST(JPEGDecoding, ProductPictureIsEmbeddedAndDecodes) {
  const QImage picture = ProductPicture();
  ASSERT_FALSE(picture.isNull());
  EXPECT_EQ(picture.size(), QSize(168, 40));
}

TEST(JPEGDecoding, ColourAndGreyImagesKeepTheirSizeAndColours) {
  QImage colour(31, 17, QImage::Format_RGB32);
  colour.fill(QColor(200, 30, 40));
  const QImage decoded = DecodeJPEG(EncodeJPEG(colour));
  ASSERT_EQ(decoded.size(), QSize(31, 17));
  const QColor centre = decoded.pixelColor(15, 8);
  EXPECT_NEAR(centre.red(), 200, 8);
  EXPECT_NEAR(centre.green(), 30, 8);
  EXPECT_NEAR(centre.blue(), 40, 8);

  QImage grey(9, 40, QImage::Format_Grayscale8);
  grey.fill(QColor(120, 120, 120));
  const QImage greyDecoded = DecodeJPEG(EncodeJPEG(grey));
  ASSERT_EQ(greyDecoded.size(), QSize(9, 40));
  EXPECT_NEAR(greyDecoded.pixelColor(4, 20).green(), 120, 4);
}

TEST(JPEGDecoding, DamagedDataGivesNoImageInsteadOfACrash) {
  EXPECT_TRUE(DecodeJPEG({}).isNull());
  EXPECT_TRUE(DecodeJPEG("not a jpeg at all").isNull());
  QImage image(64, 64, QImage::Format_RGB32);
  image.fill(Qt::blue);
  const QByteArray whole = EncodeJPEG(image);
  // Only the header: libjpeg gives up before the first row.
  EXPECT_TRUE(DecodeJPEG(whole.left(20)).isNull());
  // A corrupted body decodes to something of the right size or to nothing, never garbage sizes.
  QByteArray corrupt = whole;
  for (qsizetype i = corrupt.size() / 2; i < corrupt.size() - 2; i += 7) corrupt[i] = '\xff';
  const QImage result = DecodeJPEG(corrupt);
  EXPECT_TRUE(result.isNull() || result.size() == QSize(64, 64));
}

TEST(SummaryCounts, EveryStatusButOKAndIgnoredCountsAsFailed) {
  const TStatusCounts counts = CountStatuses(
      {TFileStatus::OK, TFileStatus::Ignored, TFileStatus::Waiting, TFileStatus::Running,
       TFileStatus::CRCFailed, TFileStatus::NotFound, TFileStatus::OK, TFileStatus::None});
  EXPECT_EQ(counts.Files, 8);
  EXPECT_EQ(counts.OK, 2);
  EXPECT_EQ(counts.Ignored, 1);
  EXPECT_EQ(counts.Failed, 5);
}

TEST(SummaryStrip, ShowsOnlyCountsAboveZeroInTheirOrder) {
  TSummaryStrip strip{QImage()};
  EXPECT_EQ(strip.SummaryText(), "");
  strip.ShowCounts({4, 0, 4, 0});
  EXPECT_EQ(strip.SummaryText(), "Files 4,  Ignored 4");
  strip.ShowCounts({0, 0, 0, 0});
  EXPECT_EQ(strip.SummaryText(), "Files 0");
  strip.ShowCounts({6, 1, 2, 3});
  EXPECT_EQ(strip.SummaryText(), "Files 6,  OK 1,  Ignored 2,  Failed 3");
  // One label, so that a screen reader hears the whole sentence.
  const QList<QLabel*> labels = strip.findChildren<QLabel*>();
  ASSERT_EQ(labels.size(), 2);  // the picture and the summary
  EXPECT_EQ(labels[1]->accessibleName(), "Files 6,  OK 1,  Ignored 2,  Failed 3");
}

TEST(TextEditor, TheFirstInstalledEditorWinsAndXdgOpenIsTheLastResort) {
  const auto installed = [](std::set<QString> names) {
    return [names](const QString& name) {
      return names.count(name) != 0 ? QStringLiteral("/usr/bin/") + name : QString();
    };
  };
  const auto first = TextEditorCommand("/d/a b.txt", installed({"mousepad", "kate"}));
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(first->Program, "/usr/bin/kate");
  EXPECT_EQ(first->Arguments, QStringList{"/d/a b.txt"});

  const auto fallback = TextEditorCommand("/d/x", installed({"xdg-open"}));
  ASSERT_TRUE(fallback.has_value());
  EXPECT_EQ(fallback->Program, "/usr/bin/xdg-open");

  EXPECT_FALSE(TextEditorCommand("/d/x", installed({})).has_value());
}

}  // namespace
