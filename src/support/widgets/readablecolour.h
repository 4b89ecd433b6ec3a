#pragma once

#include <QColor>

// Text colours that can be read on whatever palette the desktop uses. Contrast is
// measured as the WCAG contrast ratio (1 to 21); 4.5 is what normal text needs.

inline constexpr double kReadableContrast = 4.5;

// The relative luminance of a colour, 0 for black to 1 for white.
double RelativeLuminance(const QColor& colour);
double ContrastRatio(const QColor& a, const QColor& b);

// `colour` with its hue and saturation, made lighter or darker until it stands out
// from `other` by at least `ratio`; unchanged when it already does.
QColor WithContrast(const QColor& colour, const QColor& other, double ratio = kReadableContrast);

// The status colours were chosen for a white list and stay as they are on such a
// light base; on any other background they are given enough contrast.
bool IsLightBase(const QColor& background);
QColor ReadableOn(const QColor& colour, const QColor& background);
