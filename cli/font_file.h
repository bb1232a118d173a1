#pragma once
// Reading a font file for glyphcensus.
#include <string>

#include "fontio/font_image.h"

// Reads a regular file of less than 2 GiB whole. On failure `reason` says why
// ("cannot open: ...", "is a directory", ...).
bool ReadFontFile(const std::string& path, FontBytes* bytes, std::string* reason);
