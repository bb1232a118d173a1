// The dialog's report with the FreeType presence test: whole reports of the
// synthesized fonts and of real fonts, and a font FreeType cannot open.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/coverage_report.h"
#include "app/report_output.h"
#include "fontio/font_image.h"
#include "tests/app/report_recorder.h"
#include "tests/fontio/font_test_util.h"

using namespace glyphcensus;

namespace {

const char kIpaGothic[] = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";
const char kDejaVuSans[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

std::string TestFont(const char* name) { return TestDataPath(name); }

std::u16string Report(const std::string& path) {
  FontImage image;
  if (!MakeFontImage(AsFontBytes(ReadFileAt(path)), &image)) return u"(refused)";
  RecordedReport report;
  RecordedCaptions captions;
  WriteCoverageReport(ReportTarget{&captions, &report, nullptr}, ImageBytes(image));
  return report.text;
}

TEST(FreeTypeReport, FailedOpenLeavesTheNameLineAlone) {
  // An sfnt header without tables: the name reader takes it, FreeType does not.
  std::vector<uint8_t> bytes(12, 0);
  bytes[1] = 1;
  RecordedReport report;
  WriteCoverageReport(ReportTarget{nullptr, &report, nullptr}, MutableByteView{bytes.data(), bytes.size()});
  EXPECT_EQ(report.text, u"\r\n");
}

TEST(FreeTypeReport, SynthesizedFontReports) {
  EXPECT_EQ(Report(TestFont("glyphtest_full.ttf")),
            u"Glyph Full\r\n英字：全52\r\n数字：全10\r\n記号：全32\r\nひらがな：全77\r\n"
            u"カタカナ：全78\r\n教育漢字：－\r\n常用漢字：－\r\n第一水準：－\r\n第二水準：－\r\n"
            u"第三水準：－\r\n第四水準：－\r\nIBM拡張文字：10/388\r\nNEC特殊文字：－\r\n"
            u"ギリシア文字：全48\r\nキリル文字：全66\r\n");
  const std::u16string edges =
      u"Glyph Edges\r\n英字：3/52\r\n数字：－\r\n記号：－\r\nひらがな：－\r\nカタカナ：－\r\n"
      u"教育漢字：－\r\n常用漢字：－\r\n第一水準：－\r\n第二水準：－\r\n第三水準：2/1,259\r\n"
      u"第四水準：1/2,436\r\nIBM拡張文字：－\r\nNEC特殊文字：－\r\nギリシア文字：－\r\n"
      u"キリル文字：－\r\n";
  EXPECT_EQ(Report(TestFont("glyphtest_edges.ttf")), edges);
  EXPECT_EQ(Report(TestFont("glyphtest_collection.ttc")), edges) << "only the first font";
}

TEST(FreeTypeReport, IpaGothicReport) {
  EXPECT_EQ(Report(kIpaGothic),
            u"IPAゴシック\r\n英字：全52\r\n数字：全10\r\n記号：全32\r\nひらがな：全77\r\n"
            u"カタカナ：全78\r\n教育漢字：全1,026\r\n常用漢字：全2,136\r\n第一水準：全2,965\r\n"
            u"第二水準：全3,390\r\n第三水準：全1,259\r\n第四水準：全2,436\r\nIBM拡張文字：全388\r\n"
            u"NEC特殊文字：82/83\r\nギリシア文字：全48\r\nキリル文字：全66\r\n");
}

TEST(FreeTypeReport, DejaVuSansReport) {
  EXPECT_EQ(Report(kDejaVuSans),
            u"DejaVu Sans\r\n英字：全52\r\n数字：全10\r\n記号：全32\r\nひらがな：－\r\n"
            u"カタカナ：－\r\n教育漢字：－\r\n常用漢字：－\r\n第一水準：－\r\n第二水準：－\r\n"
            u"第三水準：－\r\n第四水準：－\r\nIBM拡張文字：23/388\r\nNEC特殊文字：35/83\r\n"
            u"ギリシア文字：全48\r\nキリル文字：全66\r\n");
}

}  // namespace
