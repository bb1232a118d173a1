// glyphcensus: prints how much of each Japanese character repertoire a font
// file really draws, measured with FreeType.
//
//   glyphcensus [--missing] FILE...
//
// Each file is read whole, recognised by its first bytes (TrueType, OpenType,
// TrueType collection, WOFF, WOFF2), converted to an sfnt font and measured.
// The report's 16 lines go to stdout in UTF-8 with LF line ends. A file that
// cannot be read, is refused or cannot be measured gets one line on stderr
// naming it and the reason; the other files are still measured and the exit
// status is 1.
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "coverage/character_sets.h"
#include "coverage/coverage_report.h"
#include "coverage/glyph_presence.h"
#include "coverage/missing_characters.h"
#include "coverage/report_output_console.h"
#include "fontio/face_name.h"
#include "fontio/font_image.h"
#include "fontio/font_structure.h"

namespace {

// A font image's length is a signed 32-bit count of bytes.
constexpr uint64_t kMaxFileSize = INT32_MAX;
// Characters per line of a --missing list.
constexpr size_t kMissingPerLine = 40;

const char kUsage[] =
    "Usage: glyphcensus [--missing] FILE...\n"
    "Prints how much of each Japanese character repertoire (ASCII, kana, education\n"
    "and regular-use kanji, JIS X 0208 levels 1-2, JIS X 0213 levels 3-4, IBM and\n"
    "NEC extensions, Greek, Cyrillic) the font draws. FILE is a TrueType or\n"
    "OpenType font, a TrueType collection (its first font), WOFF or WOFF2.\n"
    "\n"
    "  --missing  after each set's line, list the characters the font does not draw\n"
    "  --help     show this help\n"
    "\n"
    "Exit status: 0 when every file was measured, 1 when any could not be,\n"
    "2 for a wrong command line.\n";

struct Options {
  bool listMissing = false;
  std::vector<std::string> files;
};

void ReportError(const std::string& path, const std::string& reason) {
  std::fprintf(stderr, "glyphcensus: %s: %s\n", path.c_str(), reason.c_str());
}

// Reserves room for `size` bytes and asks the kernel to back the buffer with
// large pages: a CJK font is several megabytes, and touching it 4 KiB page by
// page costs more than measuring it. Only a hint; nothing depends on it.
void ReserveInLargePages(FontBytes* bytes, size_t size) {
  bytes->reserve(size);
#ifdef MADV_HUGEPAGE
  constexpr uintptr_t kLargePage = 2 * 1024 * 1024;
  const auto start = reinterpret_cast<uintptr_t>(bytes->data());
  const uintptr_t first = (start + kLargePage - 1) & ~(kLargePage - 1);
  const uintptr_t end = (start + size) & ~(kLargePage - 1);
  if (size >= kLargePage && end > first) {
    madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
  }
#endif
}

// Reads a regular file of at most kMaxFileSize bytes. On failure, `reason`
// says why.
bool ReadFontFile(const std::string& path, FontBytes* bytes, std::string* reason) {
  // Look before opening: opening a FIFO or a device could block or never end.
  struct stat info;
  if (stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
    *reason = S_ISDIR(info.st_mode) ? "is a directory" : "not a regular file";
    return false;
  }
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    *reason = std::string("cannot open: ") + std::strerror(errno);
    return false;
  }
  if (fstat(fileno(file), &info) != 0) {
    *reason = std::string("cannot read: ") + std::strerror(errno);
    std::fclose(file);
    return false;
  }
  if (!S_ISREG(info.st_mode)) {
    *reason = S_ISDIR(info.st_mode) ? "is a directory" : "not a regular file";
    std::fclose(file);
    return false;
  }
  if (static_cast<uint64_t>(info.st_size) > kMaxFileSize) {
    *reason = "too large (" + std::to_string(info.st_size) + " bytes; the limit is 2 GiB)";
    std::fclose(file);
    return false;
  }
  ReserveInLargePages(bytes, static_cast<size_t>(info.st_size));
  bytes->resize(static_cast<size_t>(info.st_size));
  const size_t got = bytes->empty() ? 0 : std::fread(bytes->data(), 1, bytes->size(), file);
  const bool failed = std::ferror(file) != 0;
  // A file that changed size while read is read as far as it goes, up to the size.
  if (failed) *reason = std::string("cannot read: ") + std::strerror(errno);
  std::fclose(file);
  if (failed) return false;
  bytes->resize(got);
  return true;
}

// Why the container rules refused the file.
const char* RefusalReason(ByteView file) {
  // They take a collection only when it is version 1 or 2 and its first font
  // has TrueType outlines; say so, since CFF collections (such as Noto Sans
  // CJK's) are common.
  if (IsFontSignature(file, "ttcf")) {
    return "a font collection glyphcensus does not read (it reads collections of version 1 "
           "or 2 whose first font has TrueType outlines)";
  }
  return "not a font file glyphcensus reads (TrueType, OpenType, TrueType collection, "
         "WOFF, WOFF2)";
}

// Why no image could be made of a file the container rules took.
const char* ImageFailureReason(FontContainer container) {
  switch (container) {
    case FontContainer::Woff: return "the WOFF file cannot be converted";
    case FontContainer::Woff2: return "the WOFF2 file cannot be converted";
    default: return "the font file is refused";
  }
}

// The report's lines without their "\r\n" ends.
std::vector<std::u16string> SplitLines(const std::u16string& text) {
  std::vector<std::u16string> lines;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(u"\r\n", start);
    if (end == std::u16string::npos) {
      if (start < text.size()) lines.push_back(text.substr(start));
      return lines;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
}

// For --missing: the characters of each set that the font does not draw,
// measured on an image made anew from the file, since the report has marked the
// face name in its own. (Making it anew rather than copying the image also keeps
// the untouched zero pages of a large WOFF image out of memory.)
std::vector<std::u16string> FindMissingCharacters(FontBytes fileBytes) {
  std::vector<std::u16string> missing(kCharacterSetCount);
  FontImage image;
  FaceName faceName;
  if (!MakeFontImage(std::move(fileBytes), &image) || !ReadFaceName(ImageBytes(image), &faceName)) {
    return missing;
  }
  MeasuringContext* context = OpenMeasuringContext(nullptr, ImageBytes(image), faceName);
  if (context == nullptr) return missing;
  for (int set = 0; set < kCharacterSetCount; ++set) {
    ListMissingCharacters(context, kCharacterSets[set], &missing[set]);
  }
  CloseMeasuringContext(context);
  return missing;
}

void PrintMissingList(const std::u16string& missing) {
  // Count characters, not units, so that a surrogate pair is never split.
  std::u16string line;
  size_t characters = 0;
  for (size_t i = 0; i < missing.size(); ++i) {
    line.push_back(missing[i]);
    const bool pairStart = missing[i] >= 0xD800 && missing[i] <= 0xDBFF && i + 1 < missing.size();
    if (pairStart) line.push_back(missing[++i]);
    if (++characters == kMissingPerLine || i + 1 == missing.size()) {
      std::printf("  %s\n", Utf16ToUtf8(line).c_str());
      line.clear();
      characters = 0;
    }
  }
}

// Measures one file and prints its report. False (after an error line on
// stderr) when the file cannot be measured.
bool MeasureFile(const std::string& path, const Options& options, bool introduce,
                 bool* printedBefore) {
  FontBytes bytes;
  std::string reason;
  if (!ReadFontFile(path, &bytes, &reason)) {
    ReportError(path, reason);
    return false;
  }
  const FontContainer container = DetectFontContainer(ByteView{bytes.data(), bytes.size()});
  if (container == FontContainer::Refused) {
    ReportError(path, RefusalReason(ByteView{bytes.data(), bytes.size()}));
    return false;
  }
  FontBytes fileForMissing;
  if (options.listMissing) fileForMissing = bytes;
  FontImage image;
  if (!MakeFontImage(std::move(bytes), &image)) {
    ReportError(path, ImageFailureReason(container));
    return false;
  }

  ConsoleReport report;
  ConsoleProgress progress;
  progress.onTerminal = isatty(STDERR_FILENO) != 0;
  WriteCoverageReport(&progress, &report, ImageBytes(image));
  ClearProgressLine(&progress);
  char brokenTable[5] = {};
  const bool tableOutside = FindBrokenNeededTable(AsConst(ImageBytes(image)), 0, brokenTable);

  if (report.text.empty()) {
    ReportError(path, "not a font glyphcensus measures (its table directory is neither "
                      "TrueType nor OpenType)");
    return false;
  }
  const std::vector<std::u16string> lines = SplitLines(report.text);
  std::vector<std::u16string> missing;
  if (options.listMissing && lines.size() > 1) {
    image = FontImage();
    missing = FindMissingCharacters(std::move(fileForMissing));
  }

  if (*printedBefore) std::printf("\n");
  if (introduce) std::printf("%s\n", path.c_str());
  for (size_t i = 0; i < lines.size(); ++i) {
    // A family name may end in a carriage return or line feed of its own; it
    // is dropped here so that every report is 16 lines.
    std::u16string line = lines[i];
    while (!line.empty() && (line.back() == u'\r' || line.back() == u'\n')) line.pop_back();
    std::printf("%s\n", Utf16ToUtf8(line).c_str());
    if (i >= 1 && i - 1 < missing.size()) PrintMissingList(missing[i - 1]);
  }
  std::fflush(stdout);
  *printedBefore = true;
  if (lines.size() == 1) {
    ReportError(path, tableOutside ? std::string("the table '") + brokenTable + "' lies outside the file"
                                   : std::string("FreeType cannot open the font; only its name was read"));
    return false;
  }
  return true;
}

// Returns 0 to go on, or the exit status for a command line that ends here.
int ParseArguments(int argc, char** argv, Options* options) {
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (!optionsEnded && argument == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && (argument == "--help" || argument == "-h")) {
      std::fputs(kUsage, stdout);
      return -1;
    } else if (!optionsEnded && argument == "--missing") {
      options->listMissing = true;
    } else if (!optionsEnded && argument.size() > 1 && argument[0] == '-') {
      std::fprintf(stderr, "glyphcensus: unknown option %s\n%s", argument.c_str(), kUsage);
      return 2;
    } else {
      options->files.push_back(argument);
    }
  }
  if (options->files.empty()) {
    std::fprintf(stderr, "glyphcensus: no font file given\n%s", kUsage);
    return 2;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  const int parsed = ParseArguments(argc, argv, &options);
  if (parsed == -1) return 0;
  if (parsed != 0) return parsed;

  bool allMeasured = true;
  bool printedBefore = false;
  const bool introduce = options.files.size() > 1;
  for (const std::string& path : options.files) {
    if (!MeasureFile(path, options, introduce, &printedBefore)) allMeasured = false;
  }
  return allMeasured ? 0 : 1;
}
