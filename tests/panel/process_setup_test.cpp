// What the process fixes before its window: number formats and the home folder's font file.

#include <QFontDatabase>
#include <QLocale>
#include <clocale>
#include <cstdio>
#include <filesystem>

#include "panel_harness.h"
#include "process_setup.h"

namespace benchbridge::testing {
namespace {

namespace fs = std::filesystem;

TEST(ProcessSetup, NumbersUseAPointWhateverTheLocale) {
  // A comma locale, where the machine has one, would otherwise leak into printf.
  for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8", "ru_RU.UTF-8"}) {
    if (std::setlocale(LC_NUMERIC, name) != nullptr) break;
  }
  FixRegionalFormats();
  char text[16];
  std::snprintf(text, sizeof text, "%.2f", 1.5);
  EXPECT_STREQ(text, "1.50");
  EXPECT_EQ(QLocale().toString(1.5), "1.5");
  EXPECT_EQ(QLocale().decimalPoint(), ".");
}

class FontFileTest : public PanelHarness {};

TEST_F(FontFileTest, AMissingFileIsSkippedSilently) {
  ApplicationFontFile font(home_.Path() / "vista.ttf");
  EXPECT_FALSE(font.Registered());
}

TEST_F(FontFileTest, TheFontIsAvailableWhileTheObjectLives) {
  const fs::path source = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
  if (!fs::exists(source)) GTEST_SKIP() << "no font file to stand in for vista.ttf";
  fs::copy_file(source, home_.Path() / "vista.ttf");
  int id = -1;
  {
    ApplicationFontFile font(home_.Path() / "vista.ttf");
    ASSERT_TRUE(font.Registered());
    id = font.Id();
    EXPECT_FALSE(QFontDatabase::applicationFontFamilies(id).isEmpty());
  }
  EXPECT_TRUE(QFontDatabase::applicationFontFamilies(id).isEmpty());
}

}  // namespace
}  // namespace benchbridge::testing
