#pragma once
// Reading a font file for glyphcensus: mapped into memory, privately, so that
// only the pages the measurement reads are ever loaded, and nothing is copied.
#include <memory>
#include <string>

#include "fontio/big_endian_reader.h"

namespace glyphcensus {

// A file mapped copy-on-write: the program may change its bytes (the
// preparation for measuring does), the file never changes.
struct MappedFile {
  uint8_t* data = nullptr;
  size_t size = 0;
  MappedFile() = default;
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  ~MappedFile();
  MutableByteView bytes() const { return MutableByteView{data, size}; }
};

// Maps a regular file of less than 2 GiB whole (an empty file gives an empty
// mapping). On failure `reason` says why ("cannot open: ...", "is a
// directory", ...).
//
// As with any mapped font file (FreeType maps the files it opens too), a file
// cut short by another program while it is measured ends the process with
// SIGBUS; a file rewritten in place may be measured half old, half new.
std::unique_ptr<MappedFile> MapFontFile(const std::string& path, std::string* reason);

}  // namespace glyphcensus
