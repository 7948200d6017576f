#pragma once

#include "png_file.h"

#include <QImage>

#include <cstdint>
#include <string>

// Reduces an opaque picture to at most Colours colours by median cut, with no
// dithering, so that flat areas stay flat and pack well.
TIndexedPicture Quantise(const QImage& Image, int Colours);

// Writes Image as a palette PNG of exactly TargetBytes bytes: the picture is
// packed, then a text chunk fills the rest. Throws when the packed picture
// alone does not fit, saying by how much. Returns the packed size before padding.
std::size_t WritePngOfExactSize(const std::string& Path, const QImage& Image, int Colours, std::size_t TargetBytes);
