#include "cli/options.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <map>
#include <memory>

#include "coverage/results/face_measurement.h"

namespace glyphcensus {

namespace {

const char kDescription[] =
    "Prints how much of each Japanese character repertoire a font draws: ASCII\n"
    "letters, digits and symbols, hiragana, katakana, education and regular-use\n"
    "kanji, JIS X 0208 levels 1-2, JIS X 0213 levels 3-4, IBM and NEC extensions,\n"
    "Greek, Cyrillic. A character counts when the font draws it with ink, not merely\n"
    "when its cmap lists it.\n"
    "FONT is a TrueType or OpenType font, a font collection (every face), WOFF or\n"
    "WOFF2 (also a WOFF2 collection), or a folder of them.";

// Words joined by spaces into lines of at most `width` characters.
std::string WrapWords(const std::string& text, size_t width) {
  std::string wrapped;
  size_t lineLength = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(' ', start);
    if (end == std::string::npos) end = text.size();
    const std::string word = text.substr(start, end - start);
    if (lineLength > 0 && lineLength + 1 + word.size() > width) {
      wrapped += '\n';
      lineLength = 0;
    } else if (lineLength > 0) {
      wrapped += ' ';
      ++lineLength;
    }
    wrapped += word;
    lineLength += word.size();
    start = end + 1;
  }
  return wrapped;
}

std::string SetIdList(SetGroup group) {
  std::string ids;
  for (const SetToMeasure& set : AllBuiltInSets()) {
    if (set.group == group) ids += (ids.empty() ? "" : ", ") + set.id;
  }
  return ids;
}

std::string SetIdList() { return SetIdList(SetGroup::kDialog) + ", " + SetIdList(SetGroup::kExtended); }

std::string Footer() {
  return WrapWords("Set identifiers (--sets, --require): the dialog's fifteen, " +
                       SetIdList(SetGroup::kDialog) + "; the extended sets, " +
                       SetIdList(SetGroup::kExtended) +
                       "; a --chars set is named by its file name. --sets also takes the "
                       "groups dialog (the fifteen, the default), extended and all.",
                   80) +
         "\n"
         "\n"
         "Two sets may not share a name: a --chars file named like a built-in set or like\n"
         "another --chars file is refused (exit 2).\n"
         "\n"
         "Coverage maps are written whole or not at all: each goes to a temporary file\n"
         "beside its place and replaces the old map only once its face's results have\n"
         "been written and flushed. A named pipe, a character device, /dev/stdout or\n"
         "/dev/fd/N (as >(...) gives) is written into at that moment instead, as tee\n"
         "would (a named pipe waits for its reader then); a folder, a socket or a block\n"
         "device, or a link to one, is refused before anything is measured (exit 2).\n"
         "--map-dir mirrors each font's folder, below the folder named on the command\n"
         "line, under DIR. No map replaces an input file (refused, exit 2) or a map\n"
         "written earlier in the same run (an error naming both, exit 1). SIGTERM,\n"
         "SIGHUP and a second Ctrl-C remove the temporary maps and end the run by that\n"
         "signal (the shell reports 128 + its number). A standard stream closed by the\n"
         "caller (2>&-) is opened on /dev/null first, so that no map takes its place.\n"
         "\n"
         "In the text report, the progress line and messages, control characters (C0,\n"
         "DEL, C1) and bidirectional overrides in names and paths are shown as <U+XXXX>\n"
         "(<U+001B> for ESC); a line break in a family name is shown as a space. JSON,\n"
         "CSV and TSV keep the exact text, escaped by their own rules.\n"
         "\n"
         "Exit status:\n"
         "  130  interrupted (Ctrl-C); the results written before stay whole\n"
         "  4  the output could not be written (a full disk, say): the run stops there;\n"
         "     a reader that has gone (a closed pipe, SIGPIPE) ends it quietly, also\n"
         "     with 4\n"
         "  1  a file or face could not be measured, a map not written, a folder not\n"
         "     read, or no font file was found\n"
         "  5  a file was measured only in part: its WOFF2 decoder refused it (its data,\n"
         "     or a font larger than 30 MiB), and the counts are of the part it decoded;\n"
         "     a warning on stderr names the file\n"
         "  6  a face lost characters or sequences since its baseline (--baseline,\n"
         "     --compare), or a font of the old folder is gone from the new one\n"
         "  3  a face falls short of a --require requirement\n"
         "  0  every face was measured and every requirement is met\n"
         "  2  wrong command line (also --require with --ink-test sampled), a --chars\n"
         "     file that cannot be read or is not valid UTF-8, or a --baseline file that\n"
         "     is not a glyphcensus JSON report of schema 1 written with --missing:\n"
         "     nothing is measured\n"
         "When several apply, the status listed first is given.\n"
         "\n"
         "Examples:\n"
         "  glyphcensus font.otf\n"
         "  glyphcensus --missing --sets jis-x-0208-level-1 font.ttf\n"
         "  glyphcensus -r -j 4 --format jsonl fonts/ > coverage.jsonl\n"
         "  glyphcensus --format json NotoSansCJK-Regular.ttc\n"
         "  glyphcensus --face 0 --format csv NotoSansCJK-Regular.ttc\n"
         "  glyphcensus --chars manuscript.txt --require manuscript.txt font.woff2\n"
         "  glyphcensus --require regular-use-kanji --require nec-special=80 *.ttf\n"
         "  glyphcensus --format json --missing --sets all old/font.otf > font.json\n"
         "  glyphcensus --baseline font.json new/font.otf\n"
         "  glyphcensus --compare old-release/ new-release/";
}

const std::map<std::string, OutputFormat> kFormats = {
    {"text", OutputFormat::kText}, {"json", OutputFormat::kJson}, {"jsonl", OutputFormat::kJsonl},
    {"csv", OutputFormat::kCsv},   {"tsv", OutputFormat::kTsv},
};

// Splits "a,b,c" into its identifiers; false for an unknown one.
bool IsSetGroupName(const std::string& name) {
  return name == "dialog" || name == "extended" || name == "all";
}

bool ParseSetIds(const std::string& text, std::vector<std::string>* ids, std::string* unknown) {
  ids->clear();
  if (text == "none") return true;
  size_t start = 0;
  for (;;) {
    const size_t comma = text.find(',', start);
    const std::string id = text.substr(start, comma == std::string::npos ? comma : comma - start);
    const bool known = FindBuiltInSet(id) != nullptr || IsSetGroupName(id);
    if (!known) {
      *unknown = id;
      return false;
    }
    ids->push_back(id);
    if (comma == std::string::npos) return true;
    start = comma + 1;
  }
}

int UsageError(const CLI::App& app, const std::string& message) {
  std::fprintf(stderr, "glyphcensus: %s\nRun 'glyphcensus --help' for the options.\n",
               message.c_str());
  (void)app;
  return static_cast<int>(ExitStatus::kUsage);
}

// The help as ripgrep and fd show it: each option with a named value
// ("--face N"), no type or range notation, descriptions wrapped to 80 columns.
class HelpFormatter : public CLI::Formatter {
 public:
  std::string make_option_name(const CLI::Option* option, bool positional) const override {
    std::string name = CLI::Formatter::make_option_name(option, positional);
    const size_t comma = name.find(',');
    if (comma != std::string::npos) name.insert(comma + 1, " ");
    return name;
  }
  // The operands as the usage line shows them: "FONT...".
  std::string make_option_opts(const CLI::Option* option) const override {
    return option->get_positional() ? "..." : CLI::Formatter::make_option_opts(option);
  }
  std::string make_option_desc(const CLI::Option* option) const override {
    return WrapWords(option->get_description(), 80 - get_column_width());
  }
};

}  // namespace

int ParseCommandLine(int argc, char** argv, Options* options) {
  CLI::App app{kDescription, "glyphcensus"};
  app.footer(Footer());
  app.set_version_flag("--version", std::string("glyphcensus ") + GLYPHCENSUS_VERSION,
                       "Print the version and exit");
  app.formatter(std::make_shared<HelpFormatter>());
  app.get_formatter()->column_width(24);
  std::string format = "text";
  std::string sets;
  app.add_option("FONT", options->files,
                 "Font files, or folders: their font files (.ttc .ttf .otf .woff .woff2, any "
                 "case) in natural file-name order")
      ->required();
  app.add_flag("-r,--recursive", options->recursive,
               "Also measure the font files of the subfolders of each folder (symbolic links to "
               "folders inside it are not followed)");
  app.add_flag("--missing", options->listMissing,
               "Also list the characters each set lacks (text: under the set's line)");
  app.add_flag("--why", options->groupByReason,
               "With --missing (which it implies): group each set's missing members by why "
               "they are missing: unmapped, notdef, blank, empty, no-ink, not-in-format-14 "
               "(text; JSON always gives missing_reasons)");
  app.add_option("--format", format, "Output format: text (default), json, jsonl, csv, tsv")
      ->check(CLI::IsMember({"text", "json", "jsonl", "csv", "tsv"}))
      ->option_text("FORMAT");
  app.add_option("--face", options->face,
                 "Measure only face N of a collection (0 to 65535); default: every face")
      ->check(CLI::Range(0u, 0xFFFFu))
      ->option_text("N");
  app.add_option("--chars", options->charFiles,
                 "One more set: the distinct characters of this UTF-8 text file (may be "
                 "repeated; white space and control characters are left out; at most 16 MiB); the "
                 "set is named by the file name")
      ->allow_extra_args(false)
      ->take_all()
      ->option_text("FILE");
  app.add_option("--sets", sets, "Report only these built-in sets (comma-separated ids or groups: dialog, the "
                 "default fifteen; extended; all; or none)")
      ->option_text("ID,...");
  app.add_option("--require", options->requirements,
                 "Fail (exit 3) when a face has fewer than N characters of set ID (default N: "
                 "all of them; N may not exceed the set's total); may be repeated")
      ->allow_extra_args(false)
      ->take_all()
      ->option_text("ID[=N]");
  CLI::Option* map = app.add_option("--map", options->mapFile,
                 "Write the coverage map of the one face measured as an SVG file")
      ->option_text("FILE.svg");
  app.add_option("--map-dir", options->mapDir,
                 "Write a coverage map per face into folder DIR (made when missing): "
                 "DIR/<font>.svg, or DIR/<font>.<face>.svg for the faces of a collection, "
                 "<font> being the font's path below the folder named on the command line "
                 "(not with --map)")
      ->excludes(map)
      ->option_text("DIR");
  app.add_option("-j,--jobs", options->jobs,
                 "Measure N files (or faces) at once, 1 to 1024; default: the processors "
                 "glyphcensus may use (its CPU affinity, capped by a cgroup CPU quota)")
      ->check(CLI::Range(1u, 1024u))
      ->option_text("N");
  app.add_option("--ink-test", options->inkTest,
                 "How glyphs are judged: default (every glyph hinted as Windows hints it; "
                 "drawn unless its outline surely covers a pixel), exact (every glyph drawn and "
                 "scanned; the same counts), "
                 "or sampled (faster for fonts with long glyph programs: judges glyphs from "
                 "their unhinted outline when hinting a sample of 64 glyphs moved points "
                 "little; it assumes the other glyphs hint alike and may count ink the font "
                 "does not draw; not with --require)")
      ->check(CLI::IsMember({"default", "exact", "sampled"}))
      ->option_text("MODE");
  app.add_option("--baseline", options->baselineFile,
                 "Hold each face to its face in this JSON report of an earlier build (written "
                 "with --format json --missing): list what it lost and gained in every set the "
                 "baseline holds (exit 6 on a loss); faces are matched by family name and face "
                 "index, or are the one face of each")
      ->option_text("FILE.json");
  app.add_flag("--compare", options->compare,
               "Measure two fonts or two folders, FONT being OLD NEW, and list what NEW lost "
               "and gained against OLD (exit 6 on a loss); folders are matched by the paths "
               "below them; default sets: all");
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    std::fputs(app.help().c_str(), stdout);
    return static_cast<int>(ExitStatus::kOk);
  } catch (const CLI::CallForVersion&) {
    std::printf("glyphcensus %s\n", GLYPHCENSUS_VERSION);
    return static_cast<int>(ExitStatus::kOk);
  } catch (const CLI::ParseError& error) {
    return UsageError(app, error.what());
  }
  options->format = kFormats.at(format);
  options->faceGiven = app.count("--face") > 0;
  options->setsGiven = app.count("--sets") > 0;
  if (options->groupByReason) options->listMissing = true;
  // An empty value is an unset variable, not a place to write to.
  if (app.count("--map") > 0 && options->mapFile.empty()) {
    return UsageError(app, "--map: the file name is empty");
  }
  if (app.count("--map-dir") > 0 && options->mapDir.empty()) {
    return UsageError(app, "--map-dir: the folder name is empty");
  }
  // A gate must rest on counts that are exact by construction.
  if (options->inkTest == "sampled" && !options->requirements.empty()) {
    return UsageError(app, "--require cannot be used with --ink-test sampled, whose counts "
                           "may claim ink the font does not draw");
  }
  if (options->compare && app.count("--baseline") > 0) {
    return UsageError(app, "--compare and --baseline cannot be used together");
  }
  if (options->compare && options->files.size() != 2) {
    return UsageError(app, "--compare takes two operands, OLD and NEW");
  }
  if (app.count("--baseline") > 0 && options->baselineFile.empty()) {
    return UsageError(app, "--baseline: the file name is empty");
  }
  std::string unknown;
  if (options->setsGiven && !ParseSetIds(sets, &options->setIds, &unknown)) {
    return UsageError(app, "--sets: unknown set '" + unknown + "' (known: " + SetIdList() +
                               ", the groups dialog, extended and all, or none)");
  }
  return -1;
}

}  // namespace glyphcensus
