// The scripted fake and the pty server under it, as later tests rely on them.

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "link_fixture.h"

namespace benchbridge::testing {
namespace {

using FakeInstrumentTest = LinkTest;

std::string Ask(PortHandle port, const std::string& command) {
  EXPECT_TRUE(WriteAll(port, command + "\n"));
  return ReadReply(port, 60);
}

TEST_F(FakeInstrumentTest, ScriptOrder) {
  fake_->Reply("OUT?", "A");
  fake_->RespondInTurn("OUT?", {ReplyLine("1"), ReplyLine("2")});
  fake_->SetDefault(ReplyLine("cmd err"));
  EXPECT_EQ(Ask(port_, "OUT?"), "1");
  EXPECT_EQ(Ask(port_, "OUT?"), "2");
  EXPECT_EQ(Ask(port_, "OUT?"), "A");  // the sequence is used up
  EXPECT_EQ(Ask(port_, "OTHER?"), "cmd err");
  fake_->SetScript([](const std::string& command) -> std::optional<Response> {
    if (command == "OTHER?") return ReplyLine("scripted");
    return std::nullopt;
  });
  EXPECT_EQ(Ask(port_, "OTHER?"), "scripted");
  EXPECT_EQ(Ask(port_, "OUT?"), "A");
  EXPECT_EQ(fake_->CountOf("OUT?"), 4u);
  EXPECT_TRUE(fake_->WaitForCommand("OTHER?", 0ms, 2));
  EXPECT_FALSE(fake_->WaitForCommand("OTHER?", 0ms, 3));
  fake_->ClearCommands();
  EXPECT_EQ(fake_->CommandCount(), 0u);
}

TEST_F(FakeInstrumentTest, PacedRepliesTakeTheirLineTime) {
  FakeOptions paced;
  paced.pacingBaud = 9600;
  Open(paced);
  const std::string text(94, 'p');  // 96 bytes with CR LF: 100 ms at 9600 baud
  fake_->Reply("SLOW?", text);
  const long took = MillisecondsOf([&] { EXPECT_EQ(Ask(port_, "SLOW?"), text); });
  EXPECT_GE(took, 99);
}

TEST_F(FakeInstrumentTest, StopsPromptlyInTheMiddleOfALongDelay) {
  fake_->Respond("WAIT?", Delayed(ReplyLine("never"), std::chrono::hours(1)));
  ASSERT_TRUE(WriteAll(port_, "WAIT?\n"));
  ASSERT_TRUE(fake_->WaitForCommand("WAIT?", 10s));
  const auto link = fake_->LinkPath();
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  const long took = MillisecondsOf([&] { fake_.reset(); });
  EXPECT_LT(took, 30'000);
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
}

TEST_F(FakeInstrumentTest, LinkSurvivesThePanelsClosesAndReplacesAStaleOne) {
  ClosePort(port_);
  port_ = OpenPort(1, 9600, home_);  // reopened: the pty is still there
  fake_->Reply("AGAIN?", "yes");
  EXPECT_EQ(Ask(port_, "AGAIN?"), "yes");

  const auto stale = home_.Path() / "ports" / "com2";
  std::filesystem::create_symlink("/dev/pts/999999", stale);
  FakeOptions two;
  two.comNumber = 2;
  FakeInstrument second(home_, two);
  EXPECT_EQ(std::filesystem::read_symlink(stale), second.Server().Endpoint().SlavePath());
  EXPECT_EQ(second.PortName(), "COM2");
}

TEST_F(FakeInstrumentTest, HangUpFromTheTestThread) {
  fake_->Respond("SLOW?", Delayed(ReplyLine("x"), std::chrono::hours(1)));
  ASSERT_TRUE(WriteAll(port_, "SLOW?\n"));
  ASSERT_TRUE(fake_->WaitForCommand("SLOW?", 10s));
  fake_->HangUp();  // returns once the line is down
  EXPECT_EQ(ReadReply(port_, 60), "");
  EXPECT_FALSE(fake_->Inject("late"));
  EXPECT_TRUE(fake_->HungUp());
}

TEST_F(FakeInstrumentTest, HangUpFromInsideAScript) {
  fake_->SetScript([&](const std::string&) -> std::optional<Response> {
    fake_->HangUp();  // on the server thread: must not wait for itself
    return ReplyLine("too late");
  });
  EXPECT_EQ(Ask(port_, "PULL?"), "");
  EXPECT_TRUE(fake_->HungUp());
  EXPECT_EQ(fake_->ReplyCount(), 0u);
}

}  // namespace
}  // namespace benchbridge::testing
