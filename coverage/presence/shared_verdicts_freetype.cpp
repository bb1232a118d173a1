// The FreeType glyph presence test, stage by stage: verdicts shared by the
// faces of a collection that draw their glyphs alike.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <memory>
#include <optional>
#include <mutex>
#include <string>

#include "coverage/presence/glyph_presence_freetype.h"
#include "coverage/presence/glyph_presence_freetype_stages.h"
#include "fontio/sfnt_tables.h"
#include "fontio/table_fields.h"

namespace glyphcensus {

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

// Tables that FreeType's glyph loading, hinting and metrics never read, so
// faces that differ only in them draw every glyph alike (`head` is compared
// apart, without its checksum and dates). The character map is read by the
// automatic hinter, which runs for TrueType faces without hinting programs,
// so it is left out only when the face has those programs or CFF outlines.
bool IgnoredTable(Tag tag, bool cmapUnread) {
  static constexpr Tag kIgnored[] = {Tag("name"), Tag("GSUB"), Tag("GPOS"), Tag("GDEF"), Tag("BASE"),
                                     Tag("JSTF"), Tag("DSIG"), Tag("meta"), Tag("head")};
  return IsOneOf(tag, kIgnored) || (cmapUnread && tag == Tag("cmap"));
}

// Hinting programs or CFF outlines: the automatic hinter does not run.
bool LeavesCmapUnread(Tag tag) {
  static constexpr Tag kTags[] = {Tag("fpgm"), Tag("prep"), Tag("CFF "), Tag("CFF2")};
  return IsOneOf(tag, kTags);
}

void AppendU32(std::string* key, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) key->push_back(static_cast<char>(value >> shift));
}

// What decides how face `faceIndex` of the image draws its glyphs: the place
// of every table that glyph loading can read, and the `head` table less its
// checksum and dates (of the last record tagged `head`; none gives an empty
// table). Empty when the directory or that table does not lie wholly inside
// the image.
std::string DrawingKey(ByteView image, uint32_t faceIndex) {
  TableDirectory tables;
  if (!OpenFaceDirectory(image, faceIndex, &tables) || !AllRecordsInImage(tables)) return {};
  bool cmapUnread = false;
  TableRecord head;
  for (uint16_t k = 0; k < tables.numTables; ++k) {
    const TableRecord record = ReadTableRecord(tables, k);
    cmapUnread = cmapUnread || LeavesCmapUnread(record.tag);
    if (record.tag == Tag("head")) head = record;
  }
  std::string key;
  for (uint16_t k = 0; k < tables.numTables; ++k) {
    const TableRecord record = ReadTableRecord(tables, k);
    if (IgnoredTable(record.tag, cmapUnread)) continue;
    AppendU32(&key, record.tag.value);
    AppendU32(&key, record.offset);
    AppendU32(&key, record.length);
  }
  const std::optional<ByteView> headBytes = TableBytes(tables, head);
  if (!headBytes) return {};
  for (size_t i = 0; i < headBytes->size; ++i) {
    const bool varies = (i >= head_table::kCheckSumAdjustment && i < head_table::kCheckSumAdjustment + 4) ||
                        (i >= head_table::kCreated && i < head_table::kDatesEnd);
    key.push_back(varies ? '\0' : static_cast<char>(headBytes->data[i]));
  }
  return key;
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
  if (cost > context->drawingBudget) {
    context->budgetCutShort = true;
    return kBlank;
  }
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

}  // namespace glyphcensus
