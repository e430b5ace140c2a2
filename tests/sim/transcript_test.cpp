// The transcript file: one parseable line per command and reply, bytes recoverable exactly.

#include <gtest/gtest.h>

#include <fstream>

#include "fault_plan.h"
#include "temp_home.h"
#include "transcript_file.h"

namespace benchbridge::sim {
namespace {

TEST(TranscriptTest, WireBytesAreEscapedIntoOneReadableLine) {
  EXPECT_EQ(EscapeWireBytes("Cs,1.2nF\r\n"), "Cs,1.2nF\\r\\n");
  EXPECT_EQ(EscapeWireBytes("R,1.0k\xA6\xB8"), "R,1.0kΩ");  // GBK decoded
  EXPECT_EQ(EscapeWireBytes("a\\b\tc"), "a\\\\b\\tc");
  EXPECT_EQ(EscapeWireBytes(std::string("\xFF\x81\x7F\x00\x1B\xA6", 6)),
            "\\xFF\\x81\\x7F\\x00\\x1B\\xA6");           // not GBK, control bytes
  EXPECT_EQ(EscapeWireBytes("\xA6\xCC\xA6"), "μ\\xA6");  // a lead byte without trail
}

TEST(TranscriptTest, EscapedTextGivesBackTheExactBytes) {
  std::vector<std::string> samples = {std::string(kGarbageReply), "\xA6\xB8\xA6\xCC\xA6\xC8\r\n",
                                      "plain", ""};
  std::string everyByte;
  for (int byte = 0; byte < 256; ++byte) everyByte += static_cast<char>(byte);
  samples.push_back(everyByte);
  for (int lead = 0x80; lead < 0x100; lead += 7) {
    for (int trail = 0x30; trail < 0x100; trail += 5) {
      samples.push_back({static_cast<char>(lead), static_cast<char>(trail)});
    }
  }
  for (const std::string& bytes : samples) {
    const std::string text = EscapeWireBytes(bytes);
    EXPECT_EQ(text.find('\n'), std::string::npos);
    EXPECT_EQ(UnescapeWireText(text), bytes) << text;
  }
  EXPECT_FALSE(UnescapeWireText("\\q").has_value());
  EXPECT_FALSE(UnescapeWireText("\\x4").has_value());
  EXPECT_FALSE(UnescapeWireText("trailing\\").has_value());
}

TEST(TranscriptTest, LinesCarryTimeKindAndBytes) {
  const auto when = std::chrono::system_clock::time_point(std::chrono::seconds(1796652187)) +
                    std::chrono::milliseconds(45);
  const TranscriptEntry reply{TranscriptEntry::Kind::Reply, when, "OK\r\n"};
  EXPECT_EQ(FormatTranscriptLine(reply), "2026-12-07T14:03:07.045Z reply OK\\r\\n");
  const auto parsed = ParseTranscriptLine(FormatTranscriptLine(reply));
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->kind, TranscriptEntry::Kind::Reply);
  EXPECT_EQ(parsed->when, when);
  EXPECT_EQ(parsed->bytes, "OK\r\n");
  const auto command = ParseTranscriptLine("2026-12-07T14:03:07.045Z cmd DISPlay:PAGE MEASurement");
  ASSERT_TRUE(command);
  EXPECT_EQ(command->kind, TranscriptEntry::Kind::Command);
  EXPECT_EQ(command->bytes, "DISPlay:PAGE MEASurement");
  EXPECT_FALSE(ParseTranscriptLine("2026-12-07 cmd X").has_value());
  EXPECT_FALSE(ParseTranscriptLine("2026-12-07T14:03:07.045Z said X").has_value());
}

TEST(TranscriptTest, FileHoldsOneFlushedLinePerEntry) {
  benchbridge::testing::TempHome home;
  const auto path = home.Path() / "transcript.txt";
  TranscriptFile file(path);
  file.Write({TranscriptEntry::Kind::Command, std::chrono::system_clock::now(), "*IDN?"});
  file.Write({TranscriptEntry::Kind::Reply, std::chrono::system_clock::now(), "a\r\nb\r\n"});
  std::ifstream in(path);  // read while the file is still open: every line is out already
  std::string first, second, third;
  ASSERT_TRUE(std::getline(in, first));
  ASSERT_TRUE(std::getline(in, second));
  EXPECT_FALSE(std::getline(in, third));
  EXPECT_EQ(ParseTranscriptLine(first)->bytes, "*IDN?");
  EXPECT_EQ(ParseTranscriptLine(second)->bytes, "a\r\nb\r\n");
  EXPECT_THROW(TranscriptFile(home.Path() / "no" / "such" / "folder"), std::runtime_error);
}

}  // namespace
}  // namespace benchbridge::sim
