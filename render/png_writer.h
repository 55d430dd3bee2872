#pragma once

#include <string>

#include "common/expected.h"
#include "render/rgba_image.h"

// Writes `image` as an 8-bit RGB PNG file at `path`, dropping the alpha
// channel (the view is opaque; its clear alpha of 0 would otherwise make the
// background transparent). The picture is written whole to a new file in the
// same directory, which then replaces `path` in one step: a failure leaves
// `path` as it was (no half-written picture) and no other file behind; a
// link at `path` is replaced, not followed. Fails, saying why (in French),
// if the image is empty or the file cannot be written.
Expected<void> write_png(const std::string& path, const RgbaImage& image);
