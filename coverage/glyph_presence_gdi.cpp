// The glyph presence test with GDI and Uniscribe: the font image is registered
// privately from memory, a measuring font is created by its marked face name,
// and every character is mapped to a glyph, checked against the font's special
// glyphs and drawn alone into a 256 x 256 off-screen bitmap to look for ink.
#include "coverage/glyph_presence.h"

#include <windows.h>
#include <usp10.h>

#include <cstring>

#include "coverage/job_active.h"
#include "fontio/font_structure.h"

struct MeasuringContext {
  HWND dialog = nullptr;
  HDC windowDC = nullptr;
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

bool IsHighSurrogate(wchar_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(wchar_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

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

void DrainThreadMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// The font's blank, default and invalid glyphs; false when they cannot be read.
bool ReadSpecialGlyphs(HDC dc, SCRIPT_FONTPROPERTIES* properties) {
  std::memset(properties, 0, sizeof *properties);
  properties->cBytes = sizeof *properties;
  SCRIPT_CACHE cache = nullptr;
  if (FAILED(ScriptGetFontProperties(dc, &cache, properties))) return false;
  return SUCCEEDED(ScriptFreeCache(&cache));
}

bool IsSpecialGlyph(const MeasuringContext& context, const SCRIPT_FONTPROPERTIES& properties,
                    WORD glyph) {
  return glyph == properties.wgBlank || glyph == properties.wgDefault ||
         glyph == properties.wgInvalid || glyph == context.unmappedGlyph;
}

// Stage 1: the first glyph of the two units at `units`, or false when the
// character maps to none.
bool MapToGlyph(MeasuringContext* context, const wchar_t* units, bool haveProperties,
                const SCRIPT_FONTPROPERTIES& properties, SCRIPT_CACHE* shapeCache,
                WORD* glyph) {
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
                            (haveProperties && glyphs[0] == properties.wgDefault);
  if (defaultGlyph && IsHighSurrogate(units[0]) && IsLowSurrogate(units[1])) {
    WORD shaped = 0;
    if (ShapeSurrogatePair(context->memoryDC, shapeCache, units, &shaped)) *glyph = shaped;
  }
  return true;
}

}  // namespace

MeasuringContext* OpenMeasuringContext(WindowHandle dialog, MutableByteView image,
                                       const FaceName& faceName) {
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
  context->dialog = static_cast<HWND>(dialog);
  context->registration = registration;
  context->windowDC = GetDC(context->dialog);
  context->memoryDC = CreateCompatibleDC(context->windowDC);
  context->placeholderFont = CreateFontW(10, 0, 0, 0, 0, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                                         L"MS Shell Dlg");
  const int height = -MulDiv(11, GetDeviceCaps(context->memoryDC, LOGPIXELSY), 72);
  context->measuringFont =
      CreateFontW(height, 0, 0, 0, 0, 0, 0, 0, DEFAULT_CHARSET, OUT_TT_ONLY_PRECIS,
                  CLIP_DEFAULT_PRECIS, DRAFT_QUALITY, 0, face);
  if (context->memoryDC == nullptr || context->placeholderFont == nullptr ||
      context->measuringFont == nullptr) {
    // Nothing could be measured with this context: give everything back.
    if (context->measuringFont) DeleteObject(context->measuringFont);
    if (context->memoryDC) DeleteDC(context->memoryDC);
    if (context->placeholderFont) DeleteObject(context->placeholderFont);
    if (context->windowDC) ReleaseDC(context->dialog, context->windowDC);
    RemoveFontMemResourceEx(registration);
    delete context;
    return nullptr;
  }
  SelectObject(context->memoryDC, context->measuringFont);

  const wchar_t unmapped[1] = {0xFFFF};  // a noncharacter: no cmap maps it
  WORD glyph = 0;
  if (GetGlyphIndicesW(context->memoryDC, unmapped, 1, &glyph, 0) != GDI_ERROR) {
    context->unmappedGlyph = glyph;
  }
  return context;
}

uint32_t CountPresentGlyphs(MeasuringContext* context, const char16_t* text) {
  if (JobActive.load() == 0) return 0;
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

    SCRIPT_FONTPROPERTIES properties;
    const bool haveProperties = ReadSpecialGlyphs(dc, &properties);
    SCRIPT_CACHE shapeCache = nullptr;
    const auto* units = reinterpret_cast<const wchar_t*>(text);
    for (size_t i = 0; units[i] != 0; ++i) {
      if (JobActive.load() == 0) break;
      PatBlt(dc, 0, 0, kSurfaceSize, kSurfaceSize, PATCOPY);
      WORD glyph = 0;
      if (!MapToGlyph(context, units + i, haveProperties, properties, &shapeCache, &glyph)) {
        continue;
      }
      if (haveProperties && IsSpecialGlyph(*context, properties, glyph)) continue;
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
  if (context == nullptr) return;
  SelectObject(context->memoryDC, context->placeholderFont);
  DeleteObject(context->measuringFont);
  DeleteDC(context->memoryDC);
  DeleteObject(context->placeholderFont);
  ReleaseDC(context->dialog, context->windowDC);
  RemoveFontMemResourceEx(context->registration);
  delete context;
}
