// The entry point for front ends, with the FreeType glyph test.
#include "coverage/measure_font.h"

#include <map>
#include <new>
#include <utility>

#include "coverage/presence/glyph_presence_freetype.h"
#include "fontio/font_container.h"
#include "fontio/font_structure.h"

namespace glyphcensus {

namespace {

// Why the container rules refused the file, in the reasons of the core: a
// collection refused has its own words, every other refusal the same ones;
// the refusal itself goes with them.
MeasureFault RefusalFault(ContainerRefusal refusal, ByteView file) {
  MeasureFault fault;
  fault.reason = IsFontSignature(file, "ttcf") ? MeasureReason::kUnreadCollection
                                                : MeasureReason::kNotAFontFile;
  fault.refusal = refusal;
  return fault;
}

void SetFault(FaceResult* result, const MeasureFault& fault, const FontRequest& request) {
  result->fault = fault;
  result->error = ReasonWords(fault, request.program);
}

void SetFault(FaceResult* result, MeasureReason reason, const FontRequest& request) {
  MeasureFault fault;
  fault.reason = reason;
  SetFault(result, fault, request);
}

// Turns the file into the image to measure; false with the fault set.
bool MakeImage(MutableByteView file, const FontRequest& request, PreparedFont* font) {
  const ByteView view = AsConst(file);
  ContainerRefusal refusal = ContainerRefusal::kNone;
  const FontContainer container = DetectFontContainer(view, CollectionRule::kAnyOutlines, &refusal);
  if (container == FontContainer::kRefused) {
    SetFault(&font->file, RefusalFault(refusal, view), request);
    return false;
  }
  font->file.container = ContainerName(container, view);
  if (container == FontContainer::kSfnt || container == FontContainer::kCollection) {
    font->image = file;
    return true;
  }
  Woff2Decoding decoding = Woff2Decoding::kDecoded;
  if (!ConvertWebFont(view, container, &font->converted, &refusal, &decoding)) {
    MeasureFault fault;
    fault.reason = container == FontContainer::kWoff ? MeasureReason::kWoffNotConverted
                                                     : MeasureReason::kWoff2NotConverted;
    fault.refusal = refusal;
    SetFault(&font->file, fault, request);
    return false;
  }
  font->woff2Refused = decoding != Woff2Decoding::kDecoded;
  if (decoding == Woff2Decoding::kRefused) font->partial = PartialMeasure::kWoff2Refused;
  if (decoding == Woff2Decoding::kPastSizeLimit) font->partial = PartialMeasure::kWoff2PastSizeLimit;
  font->image = ImageBytes(font->converted);
  return true;
}

// The faces to measure; faces that share one table directory are the same face:
// measured once, so that a collection listing one font thousands of times costs
// one measurement.
void ListFaces(const FontRequest& request, PreparedFont* font) {
  const ByteView image = AsConst(font->image);
  const uint32_t faceCount = font->file.faceCount;
  std::map<uint32_t, size_t> firstWith;
  const uint32_t first = request.faceGiven ? request.face : 0;
  uint32_t end = request.faceGiven ? request.face + 1 : faceCount;
  if (end - first > kMaxFacesPerFile) {
    end = first + kMaxFacesPerFile;
    font->facesLeftOut = true;
    font->leftOut = font->file;
    MeasureFault fault;
    fault.reason = MeasureReason::kFacesLeftOut;
    fault.face = end;
    fault.faceCount = faceCount;
    fault.mostFaces = kMaxFacesPerFile;
    SetFault(&font->leftOut, fault, request);
  }
  for (uint32_t index = first; index < end; ++index) {
    uint32_t directory = 0;
    FaceDirectoryOffset(image, index, &directory);  // 0 when the header cannot say
    const auto inserted = firstWith.emplace(directory, font->faces.size());
    font->sameAs.push_back(inserted.first->second);
    font->faces.push_back(index);
  }
}

}  // namespace

bool PrepareFont(MutableByteView file, const std::string& path, const FontRequest& request,
                 PreparedFont* font) {
  font->file.path = path;
  if (!MakeImage(file, request, font)) {
    ReleasePreparedFont(font);
    return false;
  }
  // Once, before any thread opens a face: FreeType takes collections only
  // with a sound header, and tables that only shaping uses are dropped when
  // they run outside the image.
  PrepareImageForMeasuring(font->image);
  font->file.faceCount = CountFaces(AsConst(font->image));
  if (request.faceGiven && request.face >= font->file.faceCount) {
    MeasureFault fault;
    fault.reason = MeasureReason::kNoSuchFace;
    fault.face = request.face;
    fault.faceCount = font->file.faceCount;
    SetFault(&font->file, fault, request);
    ReleasePreparedFont(font);
    return false;
  }
  ListFaces(request, font);
  if (font->faces.size() > 1) font->sharedVerdicts.reset(CreateSharedVerdicts());
  return true;
}

void ReleasePreparedFont(PreparedFont* font) {
  font->sharedVerdicts.reset();
  font->image = MutableByteView{};
  font->converted = FontImage();
  font->faces.clear();
  font->sameAs.clear();
  font->facesLeftOut = false;
  font->woff2Refused = false;
  font->partial = PartialMeasure::kWhole;
}

FaceResult MeasurePreparedFace(const PreparedFont& font, uint32_t faceIndex,
                               const FontRequest& request, const MeasuredFaceHook& afterSets) {
  FaceResult face = font.file;
  face.faceKnown = true;
  face.faceIndex = faceIndex;
  const ByteView image = AsConst(font.image);
  if (!ReadFamilyName(image, faceIndex, &face.familyName)) {
    SetFault(&face, font.woff2Refused ? MeasureReason::kWoff2Refused : MeasureReason::kNotSfntFace,
             request);
    return face;
  }
  face.nameRead = true;
  face.verticalMetricsRead = ReadVerticalMetricsTables(image, faceIndex, &face.verticalMetrics);
  char brokenTable[5] = {};
  if (FindBrokenNeededTable(image, faceIndex, brokenTable)) {
    MeasureFault fault;
    fault.reason = MeasureReason::kTableOutsideFile;
    fault.table = brokenTable;
    SetFault(&face, fault, request);
    return face;
  }
  bool noMeasuringSize = false;
  MeasuringContext* context = OpenFaceForMeasuring(image, faceIndex, request.stop,
                                                    font.sharedVerdicts.get(), &noMeasuringSize);
  if (context == nullptr) {
    SetFault(&face,
             font.woff2Refused    ? MeasureReason::kWoff2RefusedNameRead
             : noMeasuringSize ? MeasureReason::kNoMeasuringSize
                                  : MeasureReason::kFaceNotOpened,
             request);
    return face;
  }
  if (request.faceThreads > 1 && font.faces.size() == 1) {
    std::vector<const char16_t*> texts;
    for (const SetToMeasure& set : request.sets) {
      if (set.set == nullptr) continue;  // sequences are judged as they are counted
      texts.insert(texts.end(), set.set->chunks, set.set->chunks + set.set->chunkCount);
    }
    PrejudgeGlyphs(context, image, faceIndex, texts, request.faceThreads);
  }
  face.sets = MeasureSets(context, request.sets, request.listMissing);
  face.partial = font.partial;
  face.warning = PartialWords(font.partial);
  if (afterSets) afterSets(image, context, &face);
  CloseMeasuringContext(context);
  return face;
}

void CompleteFaceResults(const PreparedFont& font, std::vector<FaceResult>* results) {
  for (size_t k = 0; k < font.faces.size() && k < results->size(); ++k) {
    const size_t same = font.sameAs[k];
    if (same != k) {
      (*results)[k] = (*results)[same];
      (*results)[k].faceIndex = font.faces[k];
    }
  }
  if (font.facesLeftOut) results->push_back(font.leftOut);
}

std::vector<FaceResult> MeasureFontFile(MutableByteView file, const std::string& path,
                                        const FontRequest& request) {
  PreparedFont font;
  if (!PrepareFont(file, path, request, &font)) return {font.file};
  std::vector<FaceResult> results(font.faces.size());
  for (size_t k = 0; k < font.faces.size(); ++k) {
    if (font.sameAs[k] != k) {
      results[k] = results[font.sameAs[k]];
      results[k].faceIndex = font.faces[k];
      continue;
    }
    results[k] = MeasurePreparedFace(font, font.faces[k], request);
    // A face cut short by a stop would claim counts that were never made.
    if (StopRequested(request.stop)) {
      results.resize(k);
      ReleasePreparedFont(&font);
      return results;
    }
  }
  if (font.facesLeftOut) results.push_back(font.leftOut);
  ReleasePreparedFont(&font);
  return results;
}

}  // namespace glyphcensus
