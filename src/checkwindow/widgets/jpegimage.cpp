#include "checkwindow/widgets/jpegimage.h"

#include "checkwindow/widgets/checkicons.h"

#include <QFile>

#include <csetjmp>
#include <cstdio>

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

namespace {

// libjpeg reports fatal errors through error_exit, which must not return. It
// jumps back to the decoding function; no C++ object with a destructor lives
// between the setjmp and the jump (the image is owned by the caller).
struct TJpegErrorManager {
  jpeg_error_mgr Base;
  std::jmp_buf Jump;
};

extern "C" void JpegErrorExit(j_common_ptr info) {
  auto* manager = reinterpret_cast<TJpegErrorManager*>(info->err);
  std::longjmp(manager->Jump, 1);
}

// Warnings (a truncated file still decodes its top rows) are of no interest.
extern "C" void JpegSilentMessage(j_common_ptr) {}

bool DecodeInto(const unsigned char* bytes, unsigned long size, QImage* image) {
  jpeg_decompress_struct info;
  TJpegErrorManager errors;
  info.err = jpeg_std_error(&errors.Base);
  errors.Base.error_exit = JpegErrorExit;
  errors.Base.output_message = JpegSilentMessage;
  if (setjmp(errors.Jump) != 0) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, bytes, size);
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  if (info.output_components != 3) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  *image = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                  QImage::Format_RGB888);
  if (image->isNull()) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = image->scanLine(static_cast<int>(info.output_scanline));
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

}  // namespace

QImage DecodeJPEG(const QByteArray& data) {
  if (data.isEmpty()) return {};
  QImage image;
  if (!DecodeInto(reinterpret_cast<const unsigned char*>(data.constData()),
                  static_cast<unsigned long>(data.size()), &image)) {
    return {};
  }
  return image;
}

QImage ProductPicture() {
  EnsureCheckWindowResources();
  QFile file(QStringLiteral(":/checkwell/product.jpg"));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return DecodeJPEG(file.readAll());
}
