// The responder between the line and the model: GBK both ways, and each fault as the server
// will send it.

#include "gbk.h"
#include "instrument_fixture.h"
#include "instrument_responder.h"

namespace benchbridge::sim::testing {
namespace {

using namespace std::chrono_literals;

class FaultsTest : public InstrumentTest {
 protected:
  void SetUp() override {
    InstrumentTest::SetUp();
    Plan({});
  }
  void Plan(std::vector<Fault> faults) {
    responder_ = std::make_unique<InstrumentResponder>(*instrument_, std::move(faults));
  }
  Response Send(const std::string& command) { return responder_->Respond(command); }
  // All the bytes of a response, as the panel would receive them.
  std::string Bytes(const std::string& command) {
    std::string bytes;
    for (const ResponsePiece& piece : Send(command).pieces) bytes += piece.bytes;
    return bytes;
  }

  std::unique_ptr<InstrumentResponder> responder_;
};

TEST_F(FaultsTest, RepliesAreGbkLinesWithCrLf) {
  MakeWith("LX3102", "resistor");
  Plan({});
  const Response reply = Send("*LX?");
  ASSERT_EQ(reply.pieces.size(), 1u);
  EXPECT_EQ(reply.pieces[0].bytes, "3102\r\n");
  EXPECT_EQ(reply.pieces[0].delayBefore, 0ms);
  EXPECT_FALSE(reply.hangUpAfter);
  EXPECT_EQ(Bytes("FETCH:INT?"), "Rs,1.0000k\xA6\xB8,X,125.66u\xA6\xB8\r\n");  // Ω is A6 B8
  EXPECT_EQ(Bytes("COMParator:TOLerance:NOMinal 4.7\xA6\xCC"), "OK\r\n");      // μ is A6 CC
  EXPECT_EQ(Bytes("COMParator:TOLerance:NOMinal?"), "4.7e-6\r\n");
  EXPECT_EQ(Bytes("FUNC:IMP:B THR"), "OK\r\n");
  EXPECT_EQ(Bytes("FETCH:INT?"), "Rs,1.0000k\xA6\xB8,\xA6\xC8,0.00001deg\r\n");  // θ is A6 C8
  EXPECT_EQ(Bytes("*LX\xFF?"), "cmd err\r\n");
}

TEST_F(FaultsTest, SilenceForAllAfterACountOrForChosenCommands) {
  Plan({{FaultKind::Silence, {"", 3, 0}}});
  EXPECT_EQ(Bytes("*LX?"), "3102\r\n");
  EXPECT_EQ(Bytes("*LX?"), "3102\r\n");
  EXPECT_TRUE(Send("*LX?").pieces.empty());
  EXPECT_TRUE(Send("*IDN?").pieces.empty());

  Plan({{FaultKind::Silence, {"fetch:int?"}},
        {FaultKind::Silence, {"COMP*"}},
        {FaultKind::Silence, {"FREQ:CW 2000"}}});
  EXPECT_TRUE(Send("FETCH:INT?\r").pieces.empty());
  EXPECT_TRUE(Send("COMParator:STATe?").pieces.empty());
  EXPECT_TRUE(Send("FREQ:CW 2000").pieces.empty());
  EXPECT_EQ(Bytes("FREQ:CW?"), "1000\r\n");  // a command it did not hear is not carried out
  EXPECT_EQ(Bytes("*LX?"), "3102\r\n");
}

TEST_F(FaultsTest, ErrorRepliesRefuseAndGarbageStillCarriesOut) {
  Plan({{FaultKind::CommandError, {"FREQ:CW 2000"}},
        {FaultKind::ExecutionError, {"FREQ:CW 4000"}},
        {FaultKind::Garbage, {"FREQ:CW 8000"}}});
  EXPECT_EQ(Bytes("FREQ:CW 2000"), "cmd err\r\n");
  EXPECT_EQ(Bytes("FREQ:CW 4000"), "exec err\r\n");
  EXPECT_EQ(Bytes("FREQ:CW?"), "1000\r\n");
  const std::string garbage = Bytes("FREQ:CW 8000");
  EXPECT_EQ(garbage, kGarbageReply);
  EXPECT_TRUE(garbage.ends_with("\r\n"));
  EXPECT_NE(GbkToUtf8(garbage).find("\xEF\xBF\xBD"), std::string::npos);  // not valid GBK
  EXPECT_NE(garbage.find('\0'), std::string::npos);
  EXPECT_EQ(Bytes("FREQ:CW?"), "8000\r\n");
}

TEST_F(FaultsTest, TimingFaultsShapeThePieces) {
  Plan({{FaultKind::Split, {}, 20ms, 3}, {FaultKind::Delay, {}, 100ms}});
  const Response split = Send("*LX?");  // "3102\r\n"
  ASSERT_EQ(split.pieces.size(), 2u);
  EXPECT_EQ(split.pieces[0].bytes, "310");
  EXPECT_EQ(split.pieces[0].delayBefore, 100ms);
  EXPECT_EQ(split.pieces[1].bytes, "2\r\n");
  EXPECT_EQ(split.pieces[1].delayBefore, 20ms);

  Plan({{FaultKind::Late, {"*IDN?"}}, {FaultKind::Late, {"*LX?"}, 200ms}});
  EXPECT_EQ(Send("*IDN?").pieces.at(0).delayBefore, kDefaultLate);
  EXPECT_GT(kDefaultLate, 3000ms);  // past the panel's limit
  EXPECT_EQ(Send("*LX?").pieces.at(0).delayBefore, 200ms);
  EXPECT_EQ(Send("FREQ:CW?").pieces.at(0).delayBefore, 0ms);
}

TEST_F(FaultsTest, HangUpsAndEndlessLines) {
  Plan({{FaultKind::HangUpAfterReply, {"", 1, 2}},
        {FaultKind::HangUp, {"SYST:LOC"}},
        {FaultKind::LongLine, {"FETCH:INT?"}, 0ms, 1000}});
  EXPECT_FALSE(Send("*LX?").hangUpAfter);
  const Response second = Send("*LX?");
  EXPECT_TRUE(second.hangUpAfter);
  ASSERT_EQ(second.pieces.size(), 2u);
  EXPECT_EQ(second.pieces[0].bytes, "3102\r\n");
  EXPECT_EQ(second.pieces[1].bytes, "");  // the panel gets the reply before the line goes
  EXPECT_EQ(second.pieces[1].delayBefore, kHangUpGrace);
  const Response pulled = Send("syst:loc");
  EXPECT_TRUE(pulled.hangUpAfter);
  EXPECT_TRUE(pulled.pieces.empty());
  const std::string endless = Bytes("FETCH:INT?");
  EXPECT_EQ(endless.size(), 1000u);
  EXPECT_EQ(endless.find('\n'), std::string::npos);
  EXPECT_EQ(responder_->CommandsSeen(), 4);
}

}  // namespace
}  // namespace benchbridge::sim::testing
