#pragma once

// Inside the platform layer only: the Qt form of a decoded picture.

#include "platform/png_image.h"

#include <QImage>

struct TPngImage::TImpl {
  QImage Image; // Format_ARGB32_Premultiplied, or null while empty
};
