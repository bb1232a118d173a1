// The glyph presence test with GDI and Uniscribe: the font image is registered
// privately from memory, a measuring font is created by its marked face name
// (a name the registered font carries) and checked to be that font, and every
// character is mapped to a glyph, checked against the font's special
// glyphs and drawn alone into a 256 x 256 off-screen bitmap to look for ink.
#include "coverage/presence/glyph_presence.h"
#include "coverage/presence/glyph_presence_gdi.h"

#include <windows.h>
#include <usp10.h>

#include <cstring>

#include "coverage/presence/stop_token.h"
#include "fontio/font_structure.h"
#include "fontio/table_fields.h"
#include "fontio/unicode_text.h"

namespace glyphcensus {

struct MeasuringContext {
  const StopToken* stop = nullptr;  // the caller's; null: never stopped
  // The screen's device context, which the memory surface is made compatible with.
  HDC screenDC = nullptr;
  HDC memoryDC = nullptr;
  HFONT placeholderFont = nullptr;
  HFONT measuringFont = nullptr;
  // The private registration; removed at teardown so that reports do not pile
  // up copies of their fonts and a later font of the same family is not
  // measured through an earlier registration under the same marked name.
  HANDLE registration = nullptr;
  // The glyph GDI hands out for a character the font does not map: on Windows
  // the glyph of the font's default character, which Uniscribe also reports as
  // wgDefault. Wine's Uniscribe reports glyph 0 as wgDefault whatever the font,
  // while its GDI hands out the glyph of OS/2 usDefaultChar, so with an inked
  // default character every unmapped character would count there. Rejecting
  // this glyph along with wgDefault changes nothing on Windows.
  WORD unmappedGlyph = 0;
};

namespace {

constexpr int kSurfaceSize = 256;
constexpr COLORREF kRed = 0x000000FF;

// One 32-bit pixel in blue, green, red, unused order.
bool IsWhite(const uint8_t* pixel) { return pixel[0] == 255 && pixel[1] == 255 && pixel[2] == 255; }
bool IsRed(const uint8_t* pixel) { return pixel[0] == 0 && pixel[1] == 0 && pixel[2] == 255; }

// The drawn glyph has ink inside its character cell. The cell is painted white
// over the red surface, so a row that begins red lies below the cell, and a red
// pixel within a row lies right of it.
bool HasInkInCell(const uint8_t* bits) {
  constexpr size_t kRowBytes = kSurfaceSize * 4;
  for (int y = 0; y < kSurfaceSize; ++y) {
    const uint8_t* row = bits + y * kRowBytes;
    if (IsRed(row)) return false;
    for (int x = 0; x < kSurfaceSize; ++x) {
      const uint8_t* pixel = row + x * 4;
      if (IsWhite(pixel)) continue;
      if (IsRed(pixel)) break;
      return true;
    }
  }
  return false;
}

// Wine's GetCharacterPlacementW maps each UTF-16 unit alone, so a surrogate
// pair comes back as the default glyph. Uniscribe shapes the pair as one
// character; its first glyph is taken instead. On Windows both agree.
bool ShapeSurrogatePair(HDC dc, SCRIPT_CACHE* cache, const wchar_t* pair, WORD* glyph) {
  SCRIPT_ITEM items[3] = {};
  int itemCount = 0;
  if (FAILED(ScriptItemize(pair, 2, 2, nullptr, nullptr, items, &itemCount)) || itemCount < 1) {
    return false;
  }
  WORD glyphs[8] = {};
  WORD clusters[2] = {};
  SCRIPT_VISATTR attributes[8] = {};
  int glyphCount = 0;
  if (FAILED(ScriptShape(dc, cache, pair, 2, 8, &items[0].a, glyphs, clusters, attributes,
                         &glyphCount)) ||
      glyphCount < 1) {
    return false;
  }
  *glyph = glyphs[0];
  return true;
}

// Wine 8 gives a glyph whose outline lies wholly above or below the character
// cell a black box of negative height, and drawing it then overruns Wine's
// glyph buffer and ends the process. Such a glyph has no ink inside its cell, so it is missing, as
// the ink scan would find. Windows never reports a negative black box, so there
// this test changes nothing.
bool CollapsesUnderWine(HDC dc, WORD glyph) {
  GLYPHMETRICS metrics = {};
  const MAT2 identity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};
  if (GetGlyphOutlineW(dc, glyph, GGO_METRICS | GGO_GLYPH_INDEX, &metrics, 0, nullptr,
                       &identity) == GDI_ERROR) {
    return false;
  }
  return static_cast<int32_t>(metrics.gmBlackBoxX) < 0 ||
         static_cast<int32_t>(metrics.gmBlackBoxY) < 0;
}

bool simulatePropertiesFailure = false;

// The glyphs that never count, whatever they draw.
struct SpecialGlyphs {
  WORD blank = 0;
  WORD defaultGlyph = 0;  // also the sign that a surrogate pair needs shaping
  WORD invalid = 0;
  WORD defaultCharacter = 0;  // the glyph of OS/2 usDefaultChar
};

// The glyph of one BMP character, or 0 when the font does not map it.
WORD GlyphOf(HDC dc, wchar_t character) {
  WORD glyph = 0;
  if (GetGlyphIndicesW(dc, &character, 1, &glyph, GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR ||
      glyph == 0xFFFF) {
    return 0;
  }
  return glyph;
}

// OS/2 usDefaultChar of the selected font (version 2 and later), or 0.
uint16_t ReadDefaultCharacter(HDC dc) {
  constexpr DWORD kOs2Tag = 0x322F534F;  // "OS/2" as GetFontData takes it
  uint8_t head[2] = {};
  uint8_t field[2] = {};
  if (GetFontData(dc, kOs2Tag, os2_table::kVersion, head, sizeof head) != sizeof head ||
      GetFontData(dc, kOs2Tag, os2_table::kDefaultChar, field, sizeof field) != sizeof field) {
    return 0;
  }
  uint16_t version = 0;
  uint16_t defaultChar = 0;
  ReadU16(ByteView{head, sizeof head}, 0, &version);
  ReadU16(ByteView{field, sizeof field}, 0, &defaultChar);
  return version >= 2 ? defaultChar : 0;
}

// Uniscribe's blank, default and invalid glyphs. When Uniscribe cannot read
// them, the special glyphs are those the FreeType test takes: glyph 0, the
// glyph of U+0020 and that of usDefaultChar, so that a font whose default
// glyph has ink does not count the characters it lacks.
SpecialGlyphs ReadSpecialGlyphs(HDC dc) {
  SCRIPT_FONTPROPERTIES properties;
  std::memset(&properties, 0, sizeof properties);
  properties.cBytes = sizeof properties;
  SCRIPT_CACHE cache = nullptr;
  SpecialGlyphs special;
  if (!simulatePropertiesFailure && SUCCEEDED(ScriptGetFontProperties(dc, &cache, &properties)) &&
      SUCCEEDED(ScriptFreeCache(&cache))) {
    special.blank = properties.wgBlank;
    special.defaultGlyph = properties.wgDefault;
    special.invalid = properties.wgInvalid;
    special.defaultCharacter = properties.wgDefault;
    return special;
  }
  if (cache != nullptr) ScriptFreeCache(&cache);
  special.blank = GlyphOf(dc, L' ');
  const uint16_t defaultChar = ReadDefaultCharacter(dc);
  if (defaultChar != 0) special.defaultCharacter = GlyphOf(dc, static_cast<wchar_t>(defaultChar));
  return special;
}

void DrainThreadMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

bool IsSpecialGlyph(const MeasuringContext& context, const SpecialGlyphs& special, WORD glyph) {
  return glyph == special.blank || glyph == special.defaultGlyph || glyph == special.invalid ||
         glyph == special.defaultCharacter || glyph == context.unmappedGlyph;
}

// Stage 1: the first glyph of the two units at `units`, or false when the
// character maps to none.
bool MapToGlyph(MeasuringContext* context, const wchar_t* units, const SpecialGlyphs& special,
                SCRIPT_CACHE* shapeCache, WORD* glyph) {
  WORD glyphs[2] = {0, 0};
  GCP_RESULTSW results = {};
  results.lStructSize = sizeof results;
  results.lpGlyphs = reinterpret_cast<LPWSTR>(glyphs);
  results.nGlyphs = 2;
  if (GetCharacterPlacementW(context->memoryDC, units, 2, 0, &results, GCP_GLYPHSHAPE) == 0) {
    return false;
  }
  *glyph = glyphs[0];
  const bool defaultGlyph = glyphs[0] == 0 || glyphs[0] == context->unmappedGlyph ||
                            glyphs[0] == special.defaultGlyph;
  if (defaultGlyph && IsHighSurrogate(units[0]) && IsLowSurrogate(units[1])) {
    WORD shaped = 0;
    if (ShapeSurrogatePair(context->memoryDC, shapeCache, units, &shaped)) *glyph = shaped;
  }
  return true;
}

// Gives back everything the context holds; parts never made are null.
void ReleaseContext(MeasuringContext* context) {
  if (context->memoryDC != nullptr && context->placeholderFont != nullptr) {
    SelectObject(context->memoryDC, context->placeholderFont);
  }
  if (context->measuringFont) DeleteObject(context->measuringFont);
  if (context->memoryDC) DeleteDC(context->memoryDC);
  if (context->placeholderFont) DeleteObject(context->placeholderFont);
  if (context->screenDC) ReleaseDC(nullptr, context->screenDC);
  RemoveFontMemResourceEx(context->registration);
  delete context;
}

// Whether GDI selected the face asked for. When no registered font carries the
// name, GDI hands out an installed substitute, whose coverage is not the file's.
bool SelectedRequestedFace(HDC dc, const wchar_t* face) {
  wchar_t selected[LF_FACESIZE] = {};
  if (GetTextFaceW(dc, LF_FACESIZE, selected) == 0) return false;
  return lstrcmpiW(selected, face) == 0;
}

}  // namespace

void SimulateFontPropertiesFailure(bool enabled) { simulatePropertiesFailure = enabled; }

MeasuringContext* OpenMeasuringContext(MutableByteView image, const FaceName& faceName,
                                       const StopToken* stop) {
  const FaceName marked = MarkFaceName(faceName);
  // LOGFONT holds 31 units and the terminator.
  wchar_t face[LF_FACESIZE] = {};
  const size_t faceUnits = marked.size() < LF_FACESIZE - 1 ? marked.size() : LF_FACESIZE - 1;
  std::memcpy(face, marked.data(), faceUnits * sizeof(wchar_t));

  if (image.size > static_cast<size_t>(MAXDWORD)) return nullptr;
  // Tables, name records or strings outside the image make Wine's loader read
  // past it and keep its font lock: treated as a failed registration instead,
  // after the tables that measuring does not need have been dropped.
  PrepareImageForMeasuring(image);
  if (!FontStructureFits(AsConst(image))) return nullptr;
  DWORD installed = 0;
  HANDLE registration = AddFontMemResourceEx(image.data, static_cast<DWORD>(image.size),
                                             nullptr, &installed);
  if (registration == nullptr) return nullptr;
  if (installed == 0) {
    RemoveFontMemResourceEx(registration);
    return nullptr;
  }

  auto* context = new MeasuringContext;
  context->stop = stop;
  context->registration = registration;
  context->screenDC = GetDC(nullptr);
  context->memoryDC = CreateCompatibleDC(context->screenDC);
  context->placeholderFont = CreateFontW(10, 0, 0, 0, 0, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                                         L"MS Shell Dlg");
  const int height = -MulDiv(11, GetDeviceCaps(context->memoryDC, LOGPIXELSY), 72);
  context->measuringFont =
      CreateFontW(height, 0, 0, 0, 0, 0, 0, 0, DEFAULT_CHARSET, OUT_TT_ONLY_PRECIS,
                  CLIP_DEFAULT_PRECIS, DRAFT_QUALITY, 0, face);
  if (context->memoryDC == nullptr || context->placeholderFont == nullptr ||
      context->measuringFont == nullptr) {
    ReleaseContext(context);  // nothing could be measured with this context
    return nullptr;
  }
  SelectObject(context->memoryDC, context->measuringFont);
  if (!SelectedRequestedFace(context->memoryDC, face)) {
    ReleaseContext(context);  // never measure another font than the file's
    return nullptr;
  }

  const wchar_t unmapped[1] = {0xFFFF};  // a noncharacter: no cmap maps it
  WORD glyph = 0;
  if (GetGlyphIndicesW(context->memoryDC, unmapped, 1, &glyph, 0) != GDI_ERROR) {
    context->unmappedGlyph = glyph;
  }
  return context;
}

uint32_t CountPresentGlyphs(MeasuringContext* context, const char16_t* text) {
  if (StopRequested(context->stop)) return 0;
  HDC dc = context->memoryDC;

  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = kSurfaceSize;
  info.bmiHeader.biHeight = -kSurfaceSize;  // top-down: row 0 first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HBRUSH brush = CreateSolidBrush(kRed);
  uint32_t count = 0;
  if (bitmap != nullptr && bits != nullptr && brush != nullptr) {
    HGDIOBJ keptBitmap = SelectObject(dc, bitmap);
    HGDIOBJ keptBrush = SelectObject(dc, brush);

    const SpecialGlyphs special = ReadSpecialGlyphs(dc);
    SCRIPT_CACHE shapeCache = nullptr;
    const auto* units = reinterpret_cast<const wchar_t*>(text);
    for (size_t i = 0; units[i] != 0; ++i) {
      if (StopRequested(context->stop)) break;
      PatBlt(dc, 0, 0, kSurfaceSize, kSurfaceSize, PATCOPY);
      WORD glyph = 0;
      if (!MapToGlyph(context, units + i, special, &shapeCache, &glyph)) continue;
      if (IsSpecialGlyph(*context, special, glyph)) continue;
      if (CollapsesUnderWine(dc, glyph)) continue;
      ExtTextOutW(dc, 0, 0, ETO_GLYPH_INDEX, nullptr, reinterpret_cast<LPCWSTR>(&glyph), 1,
                  nullptr);
      GdiFlush();  // the scan reads the pixel memory directly
      if (HasInkInCell(static_cast<const uint8_t*>(bits))) ++count;
    }
    if (shapeCache != nullptr) ScriptFreeCache(&shapeCache);

    SelectObject(dc, keptBitmap);
    SelectObject(dc, keptBrush);
  }
  // A surface that could not be made counts nothing; what was made is released.
  if (bitmap != nullptr) DeleteObject(bitmap);
  if (brush != nullptr) DeleteObject(brush);
  DrainThreadMessages();
  return count;
}

void CloseMeasuringContext(MeasuringContext* context) {
  if (context != nullptr) ReleaseContext(context);
}

}  // namespace glyphcensus
