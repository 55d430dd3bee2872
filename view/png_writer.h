#pragma once

#include <string>

#include "view/rgba_image.h"

// Writes `image` as an 8-bit RGB PNG file at `path`, dropping the alpha
// channel (the view is opaque; its clear alpha of 0 would otherwise make the
// background transparent). Returns false and describes the failure in
// `error`, when given, if the image is empty or the file cannot be written.
bool write_png(const std::string& path, const RgbaImage& image, std::string* error = nullptr);
