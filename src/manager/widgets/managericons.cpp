#include "manager/widgets/managericons.h"

#include "support/widgets/themedicon.h"

static void InitManagerResourcesOnce() {
  // Q_INIT_RESOURCE must be used from the global namespace.
  Q_INIT_RESOURCE(manager);
}

void EnsureManagerResources() {
  static const bool done = (InitManagerResourcesOnce(), true);
  (void)done;
}

namespace {

constexpr const char* kGlyphFiles[kManagerGlyphCount] = {
    "glyph-verified", "glyph-failed",  "glyph-accepted", "glyph-running", "glyph-waiting",
    "glyph-mine",     "glyph-notmine", "glyph-skip",     "glyph-hide"};

QString Resource(const char* name) {
  return QStringLiteral(":/checkwell/manager/%1.svg").arg(QLatin1String(name));
}

}  // namespace

QList<QPixmap> ManagerGlyphs(qreal devicePixelRatio) {
  EnsureManagerResources();
  QList<QPixmap> glyphs;
  for (const char* file : kGlyphFiles)
    glyphs.append(SvgPixmap(Resource(file), QSize(kGlyphWidth, kGlyphHeight), devicePixelRatio));
  return glyphs;
}

QIcon ManagerToolImage(TManagerTool tool) {
  EnsureManagerResources();
  struct TPicture {
    const char* ThemeName;
    const char* Fallback;
  };
  static constexpr TPicture kPictures[] = {
      {"media-playback-start", "tool-start"},
      {"media-playback-stop", "tool-stop"},
      {"document-open", "tool-open"},
      {"go-jump", "tool-move"},
      {"edit-copy", "tool-copy"},
      {"edit-rename", "tool-rename"},
      {"edit-delete", "tool-delete"},
      {"bookmark-new", "tool-mark"},
      {"emblem-default", "tool-markgood"},
      {"accessories-text-editor", "tool-notepad"},
      {"folder-open", "tool-explore"},
  };
  const TPicture& picture = kPictures[static_cast<int>(tool)];
  return ThemedIcon(QLatin1String(picture.ThemeName), Resource(picture.Fallback));
}

QColor RowColour(TRowColour colour, const QColor& gridText) {
  switch (colour) {
    case TRowColour::Normal:
      return gridText;
    case TRowColour::Grey:
      return QColor(128, 128, 128);
    case TRowColour::Green:
      return QColor(0, 128, 0);
    case TRowColour::BrightGreen:
      return QColor(0, 255, 0);
    case TRowColour::Red:
      return QColor(255, 0, 0);
  }
  return gridText;
}
