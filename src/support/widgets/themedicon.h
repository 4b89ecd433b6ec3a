#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

// Pictures come from the desktop's icon theme, so that the program looks at home
// there, and from the program's own SVG drawings where the theme has no such icon.

// `themeName` is a freedesktop icon name (document-open, edit-copy, ...);
// `fallback` the resource path of the SVG drawn in its place.
QIcon ThemedIcon(const QString& themeName, const QString& fallback);

// An SVG resource as an icon, drawn for the usual sizes at single and double density.
// Null when the resource is missing or is no valid SVG.
QIcon SvgIcon(const QString& resource);

// An SVG resource drawn at `size` logical pixels; null when the resource is missing
// or is no valid SVG.
QPixmap SvgPixmap(const QString& resource, const QSize& size, qreal devicePixelRatio = 1.0);
