#pragma once

#include "manager/managerdisplay.h"

#include <QColor>
#include <QIcon>
#include <QList>
#include <QPixmap>

// The pictures of the manager window: our own SVG drawings embedded in the
// program; the tool-bar images come from the desktop's icon theme where it has them.

// The nine 12 by 16 glyphs of the list, in TManagerGlyph order.
QList<QPixmap> ManagerGlyphs(qreal devicePixelRatio = 1.0);

enum class TManagerTool {
  Start,
  Stop,
  VisualCheck,
  Move,
  Copy,
  Rename,
  Delete,
  MarkSelected,
  MarkGood,
  Notepad,
  Explore
};
// A 24 by 24 tool-bar image.
QIcon ManagerToolImage(TManagerTool tool);

// The colour of a row's text; Normal is the grid's own text colour. Every row
// colour of the list goes through here.
QColor RowColour(TRowColour colour, const QColor& gridText);

// Makes the embedded pictures available (the library is static).
void EnsureManagerResources();
