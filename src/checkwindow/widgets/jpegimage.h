#pragma once

#include <QByteArray>
#include <QImage>

// Decodes a baseline or progressive JPEG (colour or greyscale) with libjpeg into
// an RGB image. Damaged or unsupported data gives a null image, never a crash.
QImage DecodeJPEG(const QByteArray& data);

// The product picture of the window strips, decoded from the embedded resource.
QImage ProductPicture();
