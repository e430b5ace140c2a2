// The wire encoding: GBK <-> UTF-8 through iconv, with bad input replaced rather than fatal.

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "gbk.h"

namespace benchbridge {
namespace {

const std::string kFffd = "\xEF\xBF\xBD";

TEST(Gbk, UnitSymbolsAreTwoBytesBothWays) {
  EXPECT_EQ(Utf8ToGbk("μ"), "\xA6\xCC");
  EXPECT_EQ(Utf8ToGbk("Ω"), "\xA6\xB8");
  EXPECT_EQ(Utf8ToGbk("θ"), "\xA6\xC8");
  EXPECT_EQ(GbkToUtf8("\xA6\xCC"), "μ");
  EXPECT_EQ(GbkToUtf8("\xA6\xB8"), "Ω");
  EXPECT_EQ(GbkToUtf8("\xA6\xC8"), "θ");
  EXPECT_EQ(std::string("μ").size(), 2u);  // byte counts of the reading format hold in UTF-8
}

TEST(Gbk, RoundTrips) {
  for (const std::string& text : std::vector<std::string>{
           "", "FETCH:INT?\n", "Cs,1.2345μF,θ,-12.3°", "测量显示 Ω", std::string("nul\0in", 6)}) {
    EXPECT_EQ(GbkToUtf8(Utf8ToGbk(text)), text) << text;
  }
  EXPECT_EQ(Utf8ToGbk("测量"), "\xB2\xE2\xC1\xBF");
}

TEST(Gbk, InvalidGbkBecomesReplacementPerBadByte) {
  EXPECT_EQ(GbkToUtf8("A\xFF"
                      "B"),
            "A" + kFffd + "B");
  EXPECT_EQ(GbkToUtf8("\xFF\xFF"), kFffd + kFffd);
  EXPECT_EQ(GbkToUtf8("ON\xB2"), "ON" + kFffd);      // lead byte cut off at the end
  EXPECT_EQ(GbkToUtf8("\xB2 A\n"), kFffd + " A\n");  // lead byte before a byte no trail can be
  EXPECT_EQ(GbkToUtf8("\xB2"
                      "A"),
            "\xE7\x9D\x9E");  // while B2 41 is a character
  EXPECT_EQ(GbkToUtf8("\xB2\xE2\xFF\xC1\xBF"), "测" + kFffd + "量");
}

TEST(Gbk, UnencodableOrInvalidUtf8BecomesQuestionMark) {
  EXPECT_EQ(Utf8ToGbk("a😀b"), "a?b");      // one character, one mark
  EXPECT_EQ(Utf8ToGbk("\xC3(x"), "?(x");   // truncated sequence
  EXPECT_EQ(Utf8ToGbk("\xC0\x80"), "??");  // overlong form, byte by byte
  EXPECT_EQ(Utf8ToGbk("\xED\xA0\x80"
                      "A"),
            "???A");  // a surrogate is not a character
  EXPECT_EQ(Utf8ToGbk("μ\xFF"), "\xA6\xCC?");
}

TEST(Gbk, ConvertersAreThreadSafe) {
  std::vector<std::thread> threads;
  threads.reserve(4);
  std::vector<int> wrong(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 2000; ++i) {
        const std::string text = "测量" + std::to_string(i) + "μΩθ";
        if (GbkToUtf8(Utf8ToGbk(text)) != text) ++wrong[t];
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(wrong, std::vector<int>(4, 0));
}

}  // namespace
}  // namespace benchbridge
