// The FreeType glyph presence test, stage by stage: verdicts shared by the
// faces of a collection that draw their glyphs alike.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstring>
#include <memory>
#include <mutex>
#include <string>

#include "coverage/glyph_presence_freetype.h"
#include "coverage/glyph_presence_freetype_stages.h"
#include "fontio/font_container.h"

// One group per set of faces that draw alike: an entry per glyph, 0 while
// unknown, else the verdict in the low two bits and the drawing cost above.
struct SharedVerdictGroup {
  std::string key;
  size_t glyphs = 0;
  std::unique_ptr<std::atomic<uint32_t>[]> entries;
};

struct SharedVerdicts {
  std::mutex mutex;
  std::vector<std::unique_ptr<SharedVerdictGroup>> groups;
};

namespace {

// Groups per collection, at most: a hostile collection of many distinct faces
// would otherwise hold a table of every face's glyphs at once.
constexpr size_t kMostGroups = 16;

bool TagIs(const uint8_t tag[4], const char* name) { return std::memcmp(tag, name, 4) == 0; }

// Tables that FreeType's glyph loading, hinting and metrics never read, so
// faces that differ only in them draw every glyph alike (`head` is compared
// apart, without its checksum and dates). The character map is read by the
// automatic hinter, which runs for TrueType faces without hinting programs,
// so it is left out only when the face has those programs or CFF outlines.
bool IgnoredTable(const uint8_t tag[4], bool cmapUnread) {
  static const char* const kIgnored[] = {"name", "GSUB", "GPOS", "GDEF", "BASE",
                                         "JSTF", "DSIG", "meta", "head"};
  for (const char* name : kIgnored) {
    if (TagIs(tag, name)) return true;
  }
  return cmapUnread && TagIs(tag, "cmap");
}

void AppendU32(std::string* key, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) key->push_back(static_cast<char>(value >> shift));
}

// What decides how face `faceIndex` of the image draws its glyphs: the place
// of every table that glyph loading can read, and the `head` table less its
// checksum and dates. Empty when the directory cannot be read.
std::string DrawingKey(ByteView image, uint32_t faceIndex) {
  uint32_t directory = 0;
  if (!FaceDirectoryOffset(image, faceIndex, &directory)) return {};
  uint16_t tables = 0;
  if (!ReadU16(image, uint64_t{directory} + 4, &tables)) return {};
  bool cmapUnread = false;
  uint32_t headOffset = 0, headLength = 0;
  for (int pass = 0; pass < 2; ++pass) {
    std::string key;
    for (uint16_t t = 0; t < tables; ++t) {
      const uint64_t record = uint64_t{directory} + 12 + 16 * uint64_t{t};
      uint8_t tag[4];
      uint32_t offset = 0, length = 0;
      if (!ReadBytes(image, record, 4, tag) || !ReadU32(image, record + 8, &offset) ||
          !ReadU32(image, record + 12, &length)) {
        return {};
      }
      if (pass == 0) {
        cmapUnread = cmapUnread || TagIs(tag, "fpgm") || TagIs(tag, "prep") ||
                     TagIs(tag, "CFF ") || TagIs(tag, "CFF2");
        if (TagIs(tag, "head")) {
          headOffset = offset;
          headLength = length;
        }
        continue;
      }
      if (IgnoredTable(tag, cmapUnread)) continue;
      key.append(reinterpret_cast<const char*>(tag), 4);
      AppendU32(&key, offset);
      AppendU32(&key, length);
    }
    if (pass == 0) continue;
    ByteView head;
    if (!SubView(image, headOffset, headLength, &head)) return {};
    for (size_t i = 0; i < head.size; ++i) {
      // checkSumAdjustment (8-11), created and modified (20-35)
      const bool varies = (i >= 8 && i < 12) || (i >= 20 && i < 36);
      key.push_back(varies ? '\0' : static_cast<char>(head.data[i]));
    }
    return key;
  }
  return {};
}

}  // namespace

SharedVerdicts* CreateSharedVerdicts() { return new SharedVerdicts; }

void ReleaseSharedVerdicts(SharedVerdicts* shared) { delete shared; }

void JoinSharedVerdicts(SharedVerdicts* shared, ByteView image, uint32_t faceIndex,
                        MeasuringContext* context) {
  // A tricky font's hinting assembles glyphs by its name: never shared.
  if (shared == nullptr || FT_IS_TRICKY(context->face)) return;
  std::string key = DrawingKey(image, faceIndex);
  if (key.empty()) return;
  const size_t glyphs = context->verdicts.size();
  std::lock_guard<std::mutex> lock(shared->mutex);
  for (const auto& group : shared->groups) {
    if (group->key == key && group->glyphs == glyphs) {
      context->shared = group.get();
      return;
    }
  }
  if (shared->groups.size() >= kMostGroups) return;
  auto group = std::make_unique<SharedVerdictGroup>();
  group->key = std::move(key);
  group->glyphs = glyphs;
  group->entries.reset(new std::atomic<uint32_t>[glyphs]());
  context->shared = group.get();
  shared->groups.push_back(std::move(group));
}

GlyphVerdict TakeSharedVerdict(MeasuringContext* context, FT_UInt glyph) {
  if (context->shared == nullptr || glyph >= context->shared->glyphs) return kUnknown;
  const uint32_t entry = context->shared->entries[glyph].load(std::memory_order_relaxed);
  if (entry == 0) return kUnknown;
  // Charged as if judged here, so that the budget runs out where it would.
  const uint64_t cost = entry >> 2;
  if (cost > context->drawingBudget) return kBlank;
  context->drawingBudget -= cost;
  return static_cast<GlyphVerdict>(entry & 3);
}

void ShareVerdict(MeasuringContext* context, FT_UInt glyph, GlyphVerdict verdict, uint64_t cost) {
  if (context->shared == nullptr || glyph >= context->shared->glyphs) return;
  // Costs are at most the budget, 2^28; verdicts cut short by the budget are
  // not shared (see JudgeAndShare).
  context->shared->entries[glyph].store(static_cast<uint32_t>(cost << 2) | verdict,
                                        std::memory_order_relaxed);
}
