#include "checkwindow/widgets/checkicons.h"

#include "support/widgets/themedicon.h"

static void InitResourcesOnce() {
  // Q_INIT_RESOURCE must be used from the global namespace.
  Q_INIT_RESOURCE(checkwindow);
}

void EnsureCheckWindowResources() {
  static const bool done = (InitResourcesOnce(), true);
  (void)done;
}

namespace {

const QColor kGreen(0, 128, 0);
const QColor kRed(255, 0, 0);
const QColor kPurple(128, 0, 128);

QString GlyphResource(int index) {
  static const char* const kNames[] = {"ok", "failed", "ignored", "running", "waiting"};
  return QStringLiteral(":/checkwell/pictures/status-%1.svg").arg(QLatin1String(kNames[index]));
}

// Each tool picture: its freedesktop theme name and the drawing used where the
// theme has none. "Manager" starts the whole program, so it shows the program's icon.
struct TToolPicture {
  const char* ThemeName;
  const char* Fallback;
};

TToolPicture ToolPicture(TToolImage image) {
  switch (image) {
    case TToolImage::Launch:
      return {"document-open", ":/checkwell/pictures/tool-open.svg"};
    case TToolImage::Remove:
      return {"list-remove", ":/checkwell/pictures/tool-remove.svg"};
    case TToolImage::Rename:
      return {"edit-rename", ":/checkwell/pictures/tool-rename.svg"};
    case TToolImage::RefreshCRC:
      return {"view-refresh", ":/checkwell/pictures/tool-refresh.svg"};
    case TToolImage::TidySFV:
      return {"format-justify-fill", ":/checkwell/pictures/tool-tidy.svg"};
    case TToolImage::Manager:
      return {"checkwell", ":/checkwell/checkwell.svg"};
    case TToolImage::Notepad:
      return {"accessories-text-editor", ":/checkwell/pictures/tool-notepad.svg"};
    case TToolImage::Copy:
      return {"edit-copy", ":/checkwell/pictures/tool-copy.svg"};
  }
  return {"", ""};
}

}  // namespace

int StatusGlyphIndex(TFileStatus status) {
  switch (status) {
    case TFileStatus::None:
      return -1;
    case TFileStatus::OK:
      return sgOK;
    case TFileStatus::Ignored:
      return sgIgnored;
    case TFileStatus::Running:
      return sgRunning;
    case TFileStatus::Waiting:
      return sgWaiting;
    case TFileStatus::NotFound:
    case TFileStatus::NoCRC:
    case TFileStatus::CRCFailed:
      return sgFailed;
  }
  return sgFailed;
}

QPixmap StatusGlyph(int index, qreal devicePixelRatio) {
  if (index < sgOK || index > sgWaiting) return {};
  EnsureCheckWindowResources();
  return SvgPixmap(GlyphResource(index), QSize(16, 16), devicePixelRatio);
}

QColor StatusTextColor(TFileStatus status, const QColor& gridText) {
  switch (status) {
    case TFileStatus::OK:
      return kGreen;
    case TFileStatus::Waiting:
      return Qt::black;
    case TFileStatus::Ignored:
      return kPurple;
    case TFileStatus::Running:
      return gridText;
    case TFileStatus::None:
    case TFileStatus::NotFound:
    case TFileStatus::NoCRC:
    case TFileStatus::CRCFailed:
      return kRed;
  }
  return kRed;
}

QIcon ToolImage(TToolImage image) {
  EnsureCheckWindowResources();
  const TToolPicture picture = ToolPicture(image);
  return ThemedIcon(QLatin1String(picture.ThemeName), QLatin1String(picture.Fallback));
}

QIcon ApplicationIcon() {
  EnsureCheckWindowResources();
  QIcon icon;
  icon.addFile(QStringLiteral(":/checkwell/checkwell-48.png"));
  icon.addFile(QStringLiteral(":/checkwell/checkwell-256.png"));
  return icon;
}
