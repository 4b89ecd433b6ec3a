#pragma once

#include "sfv/verify.h"

#include <QColor>
#include <QIcon>
#include <QPixmap>

#include <string>

// The pictures of the check window: SVG drawings embedded in the program; the
// tool-bar images come from the desktop's icon theme where it has them.

// Glyph slots, in the order the status column refers to them.
enum TStatusGlyph {
  sgOK = 0,       // green tick
  sgFailed = 1,   // red cross
  sgIgnored = 2,  // purple exclamation mark
  sgRunning = 3,  // red arrow
  sgWaiting = 4,  // grey arrow
};

// The glyph of a row status; -1 for a row without status (no picture).
int StatusGlyphIndex(TFileStatus status);
// A 16 by 16 glyph.
QPixmap StatusGlyph(int index, qreal devicePixelRatio = 1.0);
// The text colour of a row; a running row keeps the grid's own colour.
QColor StatusTextColor(TFileStatus status, const QColor& gridText);

enum class TToolImage { Launch, Remove, Rename, RefreshCRC, TidySFV, Manager, Notepad, Copy };
// A 24 by 24 tool-bar image.
QIcon ToolImage(TToolImage image);

// The program's icon.
QIcon ApplicationIcon();

// Makes the embedded pictures available; the library is static, so the linker
// would otherwise drop them.
void EnsureCheckWindowResources();
