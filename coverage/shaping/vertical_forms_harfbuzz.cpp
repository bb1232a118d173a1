#include "coverage/shaping/vertical_forms_harfbuzz.h"

#include <hb.h>

#include <limits>

namespace glyphcensus {

struct VerticalShaper {
  hb_blob_t* blob = nullptr;
  hb_face_t* face = nullptr;
  hb_font_t* font = nullptr;
  hb_buffer_t* buffer = nullptr;  // reused for every run
  hb_language_t japanese = HB_LANGUAGE_INVALID;
};

namespace {

struct ShapedRun {
  uint32_t glyphs = 0;
  uint32_t first = 0;
};

// Shapes `c` alone in `direction`. HarfBuzz's own limits bound the work on a
// hostile font: a buffer may grow to 64 times and run 1024 times its length,
// at least 16384 (hb-buffer.cc, hb_buffer_t::enter), and each table is
// sanitized, in work bounded by its length, before use (hb-sanitize.hh,
// HB_SANITIZE_MAX_OPS_FACTOR); a table that fails is read as absent.
ShapedRun ShapeAlone(VerticalShaper* shaper, char32_t c, hb_direction_t direction) {
  hb_buffer_t* buffer = shaper->buffer;
  // Also forgets the last run's direction, language and script
  // (hb-buffer.cc, hb_buffer_t::clear), so that each run guesses its own.
  hb_buffer_clear_contents(buffer);
  const uint32_t codepoint = static_cast<uint32_t>(c);
  hb_buffer_add_codepoints(buffer, &codepoint, 1, 0, 1);
  // Direction and language first: guessing then sets only the script, from
  // the first character that is not of Common or Inherited script (none for
  // punctuation, as hb-shape leaves it too; hb-buffer.cc,
  // hb_buffer_t::guess_segment_properties).
  hb_buffer_set_direction(buffer, direction);
  hb_buffer_set_language(buffer, shaper->japanese);
  hb_buffer_guess_segment_properties(buffer);
  hb_shape(shaper->font, buffer, nullptr, 0);
  unsigned int length = 0;
  const hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(buffer, &length);
  ShapedRun run;
  // A buffer whose allocation failed holds nothing (hb_buffer_allocation_successful).
  if (infos == nullptr || !hb_buffer_allocation_successful(buffer)) return run;
  run.glyphs = length;
  run.first = length > 0 ? infos[0].codepoint : 0;
  return run;
}

}  // namespace

VerticalShaper* OpenVerticalShaper(ByteView image, uint32_t faceIndex) {
  // hb-face.cc, hb_face_create: only the low 16 bits of the index pick the
  // face of a collection; the high ones pick a named instance.
  if (image.data == nullptr || image.size == 0 ||
      image.size > std::numeric_limits<unsigned int>::max() || faceIndex > 0xFFFF) {
    return nullptr;
  }
  auto* shaper = new VerticalShaper;
  // Read-only over the caller's bytes: HarfBuzz never writes them; a table
  // its sanitizer must mend is copied first (hb-blob.cc,
  // hb_blob_t::try_make_writable). A face index past the collection's
  // faces gives the empty face (hb-open-file.hh, OpenTypeFontFile::get_face).
  shaper->blob = hb_blob_create(reinterpret_cast<const char*>(image.data),
                                static_cast<unsigned int>(image.size),
                                HB_MEMORY_MODE_READONLY, nullptr, nullptr);
  shaper->face = hb_face_create(shaper->blob, faceIndex);
  // hb_font_create reads glyphs with HarfBuzz's own OpenType functions
  // (hb-font.cc, hb_font_create calls hb_ot_font_set_funcs).
  shaper->font = hb_font_create(shaper->face);
  shaper->buffer = hb_buffer_create();
  shaper->japanese = hb_language_from_string("ja", -1);
  return shaper;
}

void CloseVerticalShaper(VerticalShaper* shaper) {
  if (shaper == nullptr) return;
  hb_buffer_destroy(shaper->buffer);
  hb_font_destroy(shaper->font);
  hb_face_destroy(shaper->face);
  hb_blob_destroy(shaper->blob);
  delete shaper;
}

VerticalShaping ShapeBothWays(VerticalShaper* shaper, char32_t c) {
  VerticalShaping shaping;
  if (shaper == nullptr) return shaping;
  // Top to bottom HarfBuzz applies 'vert' (never 'vrt2'), and when the font
  // has no 'vert' feature it maps a character to its presentation form of
  // U+FE10-FE19 or U+FE30-FE4F if the font has a glyph for that (hb-ot-shape.cc,
  // hb_ot_shape_collect_features and hb_ot_rotate_chars with hb_vert_char_for).
  const ShapedRun vertical = ShapeAlone(shaper, c, HB_DIRECTION_TTB);
  const ShapedRun horizontal = ShapeAlone(shaper, c, HB_DIRECTION_LTR);
  shaping.verticalGlyphs = vertical.glyphs;
  shaping.verticalGlyph = vertical.first;
  shaping.horizontalGlyphs = horizontal.glyphs;
  shaping.horizontalGlyph = horizontal.first;
  return shaping;
}

bool HasVerticalForm(const VerticalShaping& shaping) {
  return shaping.verticalGlyphs == 1 && shaping.verticalGlyph != shaping.horizontalGlyph;
}

}  // namespace glyphcensus
