// The bridge log as someone reads it with grep after a bad day: text only, every exchange with its
// duration and before its client's disconnect line, why it could not listen, why clients left,
// and a size that stops at the day's limit.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "bridge_fixture.h"
#include "bridge_log.h"

namespace benchbridge::testing {
namespace {

std::size_t IndexOf(const std::vector<std::string>& lines, const std::string& part) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].find(part) != std::string::npos) return i;
  }
  return lines.size();
}

TEST_F(BridgeTest, TheLogStaysTextAndKeepsEveryExchangeBeforeItsClientsDisconnectLine) {
  StartBridge();
  Bridge second(link_, log_, sink_);
  const std::string taken =
      second.Start({"127.0.0.1", port_}, [](const std::string&) { return std::string(); });
  EXPECT_EQ(LogLinesWith("cannot listen on").at(0), taken);

  meter_.Respond("GARBLED?", RawBytes(std::string("a\0b\x7F\xFF"
                                                  "c\r\n",
                                                  8)));
  meter_.Respond("SLOW?", Delayed(ReplyLine("late"), 300ms));
  BridgeClient client(port_);
  ASSERT_TRUE(client.Send("GARBLED?\n"));
  ASSERT_TRUE(client.ReadLine(kLimit));
  const std::string longLine = "QNO" + std::string(100, 'x') + "™?";
  ASSERT_TRUE(client.Send(longLine + "\nSLOW?\n"));
  ASSERT_TRUE(meter_.WaitForCommand("SLOW?", kLimit));
  bridge_.Stop("the meter's line was lost");
  bridge_.Join();

  const std::vector<std::string> log = BridgeLog();
  for (const auto& line : log) {
    for (const char c : line) EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20) << line;
  }
  EXPECT_NE(IndexOf(log,
                    ": GARBLED? -> a\\x00b\\x7F\xEF\xBF\xBD"
                    "c ("),
            log.size());
  EXPECT_NE(IndexOf(log, "refused \"QNO" + std::string(77, 'x') + "...\": a character"),
            log.size());
  const std::size_t slow = IndexOf(log, ": SLOW? -> late (");
  ASSERT_LT(slow, log.size());
  EXPECT_GE(std::stoi(log[slow].substr(log[slow].find(" (") + 2)), 300);  // its duration in ms
  EXPECT_LT(slow, IndexOf(log, " disconnected: the meter's line was lost"));
}

TEST_F(BridgeTest, ADayOfPollingFlatOutStopsAtTheDaysLimitWithOneLineSayingSo) {
  const auto file = home_.Path() / "log" / "2026-12-07_bridge.log";
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file) << "earlier\n";
  std::filesystem::resize_file(file, BridgeLog::kDayLimit - 200);  // a long day so far
  StartBridge();
  BridgeClient client(port_);
  for (int i = 0; i < 10; ++i) {
    ASSERT_TRUE(client.Send("QPOLL?\n"));
    ASSERT_EQ(client.ReadLine(kLimit), "R:QPOLL?");
  }
  client.Close();
  ASSERT_TRUE(sink_.WaitForClients(0));
  EXPECT_LE(std::filesystem::file_size(file), BridgeLog::kDayLimit + 200);
  EXPECT_EQ(LogLinesWith("nothing more is logged until midnight").size(), 1u);
  EXPECT_LT(LogLinesWith("QPOLL?").size(), 3u);
}

}  // namespace
}  // namespace benchbridge::testing
