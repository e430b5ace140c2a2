// The model served on a real pseudo-terminal, talked to through the panel's own link code.

#include <gtest/gtest.h>

#include <memory>

#include "channel.h"
#include "reading_format.h"
#include "serial_port.h"
#include "simulated_meter.h"
#include "temp_home.h"

namespace benchbridge::sim {
namespace {

using namespace std::chrono_literals;

class PtySessionTest : public ::testing::Test {
 protected:
  void Serve(std::vector<Fault> faults = {}, int pacingBaud = 0) {
    SimulatedMeterOptions options;
    options.comNumber = 5;
    options.instrument.model = *FindModel("LX2110");
    std::string why;
    options.instrument.dut = *ParseDut("resistor", &why);
    options.faults = std::move(faults);
    options.pacingBaud = pacingBaud;
    meter_ = std::make_unique<SimulatedMeter>(home_.Path(), std::move(options));
    const PortHandle port = OpenPort(5, 9600, home_.Path());
    ASSERT_NE(port, kInvalidPort);
    channel_ = std::make_unique<Channel>(port, shared_, [](const std::string&) {});
  }
  void TearDown() override {
    channel_.reset();
    meter_.reset();
  }
  std::string Query(const std::string& command) { return channel_->Query(command + "\n"); }

  benchbridge::testing::TempHome home_;
  std::unique_ptr<SimulatedMeter> meter_;
  LinkShared shared_;
  std::unique_ptr<Channel> channel_;
};

TEST_F(PtySessionTest, ConnectionSequenceAtTheMetersPace) {
  Serve({}, 9600);
  EXPECT_EQ(Query("SYSTem:REMote"), "OK");
  EXPECT_EQ(Query("DISPlay:PAGE MEASurement"), "OK");
  EXPECT_EQ(Query("*IDN?"), "Benchbridge Sim,LX2110,V1.3.0,HW2.1,SIM21100001");
  EXPECT_EQ(Query("*LX?"), "2110");
  EXPECT_EQ(Query("FUNCtion:IMPedance:A?"), "R");
  EXPECT_EQ(Query("FUNCtion:IMPedance:B?"), "X");
  EXPECT_EQ(Query("FUNCtion:IMPedance:EQUivalent?"), "SER");
  EXPECT_EQ(SplitReading(Query("FETCH:INT?")),
            (Reading{"Rs", "1.0000", "kΩ", "X", "125.66", "μΩ"}));
  EXPECT_EQ(Query("COMParator:TOLerance:NOMinal 4.7μ"), "OK");  // μ goes out as GBK
  EXPECT_EQ(Query("COMParator:TOLerance:NOMinal?"), "4.7e-6");
  EXPECT_EQ(Query("SYSTem:LOCal"), "OK");

  // The transcript has every line as it went over the wire, replies with their CR LF. (The last
  // reply is noted once its last byte is out, which may come just after the panel has it.)
  const std::vector<TranscriptEntry> transcript = meter_->Transcript();
  ASSERT_GE(transcript.size(), 21u);
  EXPECT_EQ(transcript[0].kind, TranscriptEntry::Kind::Command);
  EXPECT_EQ(transcript[0].bytes, "SYSTem:REMote");
  EXPECT_EQ(transcript[15].kind, TranscriptEntry::Kind::Reply);
  EXPECT_EQ(transcript[15].bytes, "Rs,1.0000k\xA6\xB8,X,125.66u\xA6\xB8\r\n");
  EXPECT_EQ(transcript[16].bytes, "COMParator:TOLerance:NOMinal 4.7\xA6\xCC");
}

TEST_F(PtySessionTest, SplitAndGarbageRepliesArriveAsTheFaultsMakeThem) {
  Serve({{FaultKind::Split, {"*IDN?"}, 30ms, 4}, {FaultKind::Garbage, {"FETCH:INT?"}}});
  EXPECT_EQ(Query("*IDN?"), "Benchbridge Sim,LX2110,V1.3.0,HW2.1,SIM21100001");
  const std::string garbage = Query("FETCH:INT?");
  EXPECT_NE(garbage.find("\xEF\xBF\xBD"), std::string::npos);  // decoded as U+FFFD
  EXPECT_EQ(Query("*LX?"), "2110");
}

TEST_F(PtySessionTest, HangUpAfterAReplyLeavesTheLineDead) {
  Serve({{FaultKind::HangUpAfterReply, {"", 1, 2}}});
  EXPECT_EQ(Query("*LX?"), "2110");
  EXPECT_EQ(Query("*LX?"), "2110");
  EXPECT_EQ(Query("*LX?"), "");
}

TEST_F(PtySessionTest, LinkGoesWithTheMeter) {
  Serve();
  const std::filesystem::path link = meter_->LinkPath();
  EXPECT_EQ(link, home_.Path() / "ports" / "com5");
  EXPECT_EQ(std::filesystem::read_symlink(link), meter_->SlavePath());
  channel_.reset();
  meter_.reset();
  std::error_code ignored;
  EXPECT_FALSE(std::filesystem::is_symlink(std::filesystem::symlink_status(link, ignored)));
}

}  // namespace
}  // namespace benchbridge::sim
