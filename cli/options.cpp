#include "cli/options.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <map>

#include "coverage/character_set_ids.h"

namespace {

const char kDescription[] =
    "Prints how much of each Japanese character repertoire a font draws: ASCII letters,\n"
    "digits and symbols, hiragana, katakana, education and regular-use kanji, JIS X 0208\n"
    "levels 1-2, JIS X 0213 levels 3-4, IBM and NEC extensions, Greek, Cyrillic. A\n"
    "character counts when the font draws it with ink, not merely when its cmap lists it.\n"
    "FILE is a TrueType or OpenType font, a font collection (every face), WOFF or WOFF2.";

std::string SetIdList() {
  std::string ids;
  for (const char* id : kCharacterSetIds) ids += std::string(ids.empty() ? "" : ", ") + id;
  return ids;
}

std::string Footer() {
  return "Set identifiers (--sets, --require): " + SetIdList() +
         "; a --chars set is named by its file name.\n"
         "\n"
         "Exit status:\n"
         "  0  every face was measured and every requirement is met\n"
         "  1  a file or face could not be measured, or a folder could not be read (this wins\n"
         "     over 3)\n"
         "  2  wrong command line, or a --chars file that cannot be read or is not valid UTF-8\n"
         "  3  a face falls short of a --require requirement\n"
         "  130  interrupted (Ctrl-C); the results written before stay whole\n"
         "\n"
         "Examples:\n"
         "  glyphcensus font.otf\n"
         "  glyphcensus --missing --sets jis-x-0208-level-1 font.ttf\n"
         "  glyphcensus -r -j 4 --format jsonl fonts/ > coverage.jsonl\n"
         "  glyphcensus --format json NotoSansCJK-Regular.ttc\n"
         "  glyphcensus --face 0 --format csv NotoSansCJK-Regular.ttc\n"
         "  glyphcensus --chars manuscript.txt --require manuscript.txt font.woff2\n"
         "  glyphcensus --require regular-use-kanji --require nec-special=80 *.ttf";
}

const std::map<std::string, OutputFormat> kFormats = {
    {"text", OutputFormat::Text}, {"json", OutputFormat::Json}, {"jsonl", OutputFormat::Jsonl},
    {"csv", OutputFormat::Csv},   {"tsv", OutputFormat::Tsv},
};

// Splits "a,b,c" into its identifiers; false for an unknown one.
bool ParseSetIds(const std::string& text, std::vector<std::string>* ids, std::string* unknown) {
  ids->clear();
  if (text == "none") return true;
  size_t start = 0;
  for (;;) {
    const size_t comma = text.find(',', start);
    const std::string id = text.substr(start, comma == std::string::npos ? comma : comma - start);
    bool known = false;
    for (const char* builtIn : kCharacterSetIds) known = known || id == builtIn;
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
  return kExitUsage;
}

}  // namespace

int ParseCommandLine(int argc, char** argv, Options* options) {
  CLI::App app{kDescription, "glyphcensus"};
  app.footer(Footer());
  app.set_version_flag("--version", std::string("glyphcensus ") + GLYPHCENSUS_VERSION,
                       "Print the version and exit");
  app.get_formatter()->column_width(26);
  std::string format = "text";
  std::string sets;
  app.add_option("FILE", options->files,
                 "Font files, or folders: their font files (.ttc .ttf .otf .woff .woff2, any "
                 "case) in natural file-name order")
      ->required();
  app.add_flag("-r,--recursive", options->recursive,
               "Also measure the font files of the subfolders of each folder (symbolic links to "
               "folders inside it are not followed)");
  app.add_flag("--missing", options->listMissing,
               "Also list the characters each set lacks (text: under the set's line)");
  app.add_option("--format", format, "Output format: text (default), json, jsonl, csv, tsv")
      ->check(CLI::IsMember({"text", "json", "jsonl", "csv", "tsv"}));
  app.add_option("--face", options->face,
                 "Measure only face N of a collection (from 0); default: every face")
      ->check(CLI::Range(0u, 0xFFFFu));
  app.add_option("--chars", options->charFiles,
                 "One more set: the distinct characters of this UTF-8 text file (may be "
                 "repeated; white space and control characters are left out; at most 16 MiB)")
      ->allow_extra_args(false)
      ->take_all();
  app.add_option("--sets", sets, "Report only these built-in sets (comma-separated ids, or none)");
  app.add_option("--require", options->requirements,
                 "Fail (exit 3) when a face has fewer than N characters of set ID (default N: "
                 "all of them); may be repeated")
      ->allow_extra_args(false)
      ->take_all();
  app.add_option("--map", options->mapFile,
                 "Write the coverage map of the one face measured as an SVG file");
  app.add_option("--map-dir", options->mapDir,
                 "Write a coverage map per face into this folder: <font file name>.svg, or "
                 "<font file name>.<face>.svg for the faces of a collection")
      ->excludes("--map");
  app.add_option("-j,--jobs", options->jobs,
                 "Measure N files (or faces) at once; default: the number of processors")
      ->check(CLI::Range(1u, 1024u));
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    std::fputs(app.help().c_str(), stdout);
    return kExitOk;
  } catch (const CLI::CallForVersion&) {
    std::printf("glyphcensus %s\n", GLYPHCENSUS_VERSION);
    return kExitOk;
  } catch (const CLI::ParseError& error) {
    return UsageError(app, error.what());
  }
  options->format = kFormats.at(format);
  options->faceGiven = app.count("--face") > 0;
  options->setsGiven = app.count("--sets") > 0;
  std::string unknown;
  if (options->setsGiven && !ParseSetIds(sets, &options->setIds, &unknown)) {
    return UsageError(app, "--sets: unknown set '" + unknown + "' (known: " + SetIdList() +
                               ", or none)");
  }
  return -1;
}
