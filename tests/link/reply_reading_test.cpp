// ReadReply against a real pseudo-terminal: framing, time limit, hang-up and the size cap.

#include <poll.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "fd_wait.h"
#include "link_fixture.h"

namespace benchbridge::testing {
namespace {

using ReplyReadingTest = LinkTest;

// Sends `command` from the panel's end, then reads the reply with the given limit.
std::string Exchange(PortHandle port, const std::string& command, int limitSeconds = 60) {
  EXPECT_TRUE(WriteAll(port, command + "\n"));
  return ReadReply(port, limitSeconds);
}

TEST_F(ReplyReadingTest, FramingOfReplyLines) {
  fake_->Respond("SPLIT?", Pieces({{"Cs,1.2", 0ms}, {"nF\r\n", 50ms}}));
  fake_->Respond("ON?", RawBytes("ON\r\n"));
  fake_->Respond("BARE?", RawBytes("ON\n"));
  fake_->Respond("TWO?", RawBytes("A\r\nB\r\n"));
  fake_->Respond("CR?", RawBytes("x\ry\r\r\n"));

  EXPECT_EQ(Exchange(port_, "SPLIT?"), "Cs,1.2nF");  // first piece has no LF: reading goes on
  EXPECT_EQ(Exchange(port_, "ON?"), "ON");
  EXPECT_EQ(Exchange(port_, "BARE?"), "ON\n");  // complete at its LF, which stays
  EXPECT_EQ(Exchange(port_, "TWO?"), "AB");     // two lines in one read step are one text
  EXPECT_EQ(Exchange(port_, "CR?"), "x\ry\r");  // only CR LF pairs go, lone CRs stay
}

TEST_F(ReplyReadingTest, LineFeedInsideAStepDoesNotEndTheReply) {
  // "A\n" and "B" in one write, so the first read step ends with B, not with the LF; the reply
  // ends only with the step that ends in LF.
  fake_->Respond("MID?", Pieces({{"A\nB", 0ms}, {"C\r\n", 100ms}}));
  EXPECT_EQ(Exchange(port_, "MID?"), "A\nBC");
}

TEST_F(ReplyReadingTest, NothingOrAnUnfinishedLineWithinTheLimitIsNoReply) {
  fake_->Respond("PART?", RawBytes("12.5"));  // never finished by a LF
  long waited = MillisecondsOf([&] { EXPECT_EQ(Exchange(port_, "SILENT?", 1), ""); });
  EXPECT_GE(waited, 1000);
  waited = MillisecondsOf([&] { EXPECT_EQ(Exchange(port_, "PART?", 1), ""); });
  EXPECT_GE(waited, 1000);
  // The unfinished bytes were dropped with the failed read, not kept for the next one.
  fake_->Reply("NEXT?", "OK");
  EXPECT_EQ(Exchange(port_, "NEXT?"), "OK");
}

TEST_F(ReplyReadingTest, HangUpEndsTheReadAndLaterReadsAtOnce) {
  fake_->Respond("HALF?", ThenHangUp(Pieces({{"O", 0ms}, {"", 100ms}})));
  // Limits of a minute: a reader that waited for the limit instead of seeing the hang-up would
  // take far longer than half of it.
  const long waited = MillisecondsOf([&] { EXPECT_EQ(Exchange(port_, "HALF?"), ""); });
  EXPECT_LT(waited, 30'000);
  const long again = MillisecondsOf([&] {
    for (int i = 0; i < 200; ++i) EXPECT_EQ(ReadReply(port_, 60), "");
  });
  EXPECT_LT(again, 30'000);
  EXPECT_FALSE(WriteAll(port_, "X\n"));
}

TEST_F(ReplyReadingTest, FloodWithoutLineFeedIsCutAtTheCap) {
  fake_->Respond("FLOOD?", RawBytes(std::string(4 * kReplyCap, 'x')));
  const long waited = MillisecondsOf([&] { EXPECT_EQ(Exchange(port_, "FLOOD?"), ""); });
  EXPECT_LT(waited, 30'000);  // gave up at the cap instead of collecting until the limit
}

TEST_F(ReplyReadingTest, ReplyUpToTheCapIsKept) {
  const std::string big(kReplyCap - 2, 'v');
  fake_->Respond("BIG?", RawBytes(big + "\r\n"));
  EXPECT_EQ(Exchange(port_, "BIG?"), big);
}

TEST_F(ReplyReadingTest, WakeDescriptorAbandonsTheRead) {
  int wake[2];
  ASSERT_EQ(pipe(wake), 0);
  std::string reply = "unset";
  std::thread reader([&] { reply = ReadReply(port_, 60, wake[0]); });
  ASSERT_EQ(write(wake[1], "x", 1), 1);
  const long waited = MillisecondsOf([&] { reader.join(); });
  EXPECT_EQ(reply, "");
  EXPECT_LT(waited, 30'000);
  close(wake[0]);
  close(wake[1]);
}

TEST_F(ReplyReadingTest, StaleInputIsDiscarded) {
  ASSERT_TRUE(fake_->Inject("LATE\r\n"));
  // The driver hands the bytes to the input queue shortly after the master's write.
  ASSERT_EQ(WaitFd(port_, POLLIN, -1, 10s), FdWait::Ready);
  EXPECT_EQ(PendingBytes(port_), 6u);
  DiscardPending(port_);
  EXPECT_EQ(PendingBytes(port_), 0u);
  fake_->Reply("NOW?", "NOW");
  EXPECT_EQ(Exchange(port_, "NOW?"), "NOW");
}

TEST(HexToText, PairsBecomeBytes) {
  EXPECT_EQ(HexToText("4F4E0A"), "ON\n");
  EXPECT_EQ(HexToText("4f4e0d0A"), "ON\r\n");
  EXPECT_EQ(HexToText("4F4"), "O");  // trailing odd character ignored
  EXPECT_EQ(HexToText("00FF"), std::string("\0\xFF", 2));
  EXPECT_EQ(HexToText("4FZZ4E"), "ON");  // a pair that is not hex stands for no byte
  EXPECT_EQ(HexToText(""), "");
}

}  // namespace
}  // namespace benchbridge::testing
