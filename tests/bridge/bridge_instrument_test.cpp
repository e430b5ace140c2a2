// The bridge answering as a LAN instrument's SCPI socket: commands silent, queries answered,
// the meter's error replies in the client's own error queue, the status commands answered by the
// bridge, commands that belong to the panel refused; and the first manner (every reply line
// back) on request. Checked against what the meter received.
#include <gtest/gtest.h>

#include <thread>

#include "bridge_fixture.h"

namespace benchbridge::testing {
namespace {

class InstrumentBridgeTest : public BridgeTest {
 protected:
  InstrumentBridgeTest() {
    // A meter as the real one answers: "OK" to settings it takes, "exec err" to a bad value,
    // "cmd err" to what it does not know.
    meter_.SetScript([](const std::string& command) -> std::optional<Response> {
      if (command.rfind("Q", 0) == 0) return ReplyLine("R:" + command);
      if (command.rfind("NOSUCH", 0) == 0) return ReplyLine("cmd err");
      if (command == "FREQuency:CW 1e9" || command == "FUNCtion:COM MAXX") {
        return ReplyLine("exec err");
      }
      if (command.find('?') != std::string::npos || command == "MUTE") return std::nullopt;
      return ReplyLine("OK");
    });
    meter_.Reply("FREQuency:CW?", "2000");
    meter_.Reply("SYSTem:ERRor?", "cmd err");
  }
  std::string Ask(BridgeClient& client, const std::string& line) {
    if (!client.Send(line + "\n")) return "(send failed)";
    return client.ReadLine(kLimit).value_or("(nothing)");
  }
};

TEST_F(InstrumentBridgeTest, WriteThenQueryGetsItsOwnReplyAndErrorsWaitInTheClientsQueue) {
  StartBridge();
  BridgeClient client(port_), other(port_);
  ASSERT_TRUE(client.Send("FREQuency:CW 2000\n"));
  EXPECT_EQ(Ask(client, "FREQuency:CW?"), "2000");  // not the "OK" of the setting
  EXPECT_EQ(Ask(client, "SYST:ERR?"), "0,\"No error\"");
  ASSERT_TRUE(client.Send("FREQuency:CW 1e9\nNOSUCH 1\nNOSUCH?\n"));
  EXPECT_EQ(Ask(client, "*OPC?"), "1");
  EXPECT_EQ(Ask(other, "syst:err?"), "0,\"No error\"");  // every client has its own queue
  EXPECT_EQ(Ask(client, "SYSTem:ERRor?"), "-200,\"Execution error;FREQuency:CW 1e9\"");
  EXPECT_EQ(Ask(client, ":SYSTem:ERRor:NEXT?"), "-100,\"Command error;NOSUCH 1\"");
  EXPECT_EQ(Ask(client, "system:error?"), "-100,\"Command error;NOSUCH?\"");
  EXPECT_EQ(Ask(client, "SYST:ERR?"), "0,\"No error\"");

  // A compound line: each command its own exchange in order, the queries' replies in one line;
  // a query the meter refused adds nothing but its error.
  EXPECT_EQ(Ask(client, "FREQuency:CW 2000; QA? ;*WAI;NOSUCH?;QB?;SYST:ERR?;*OPC?"),
            "R:QA?;R:QB?;-100,\"Command error;NOSUCH?\";1");

  // Silence from the meter: nothing to send, an error to find; the queue holds 16 and then
  // says it overflowed.
  meter_.Respond("MUTE", Silence());
  ASSERT_TRUE(client.Send("MUTE\n"));
  EXPECT_EQ(Ask(client, "SYST:ERR?"), "-240,\"Hardware error;the meter did not answer MUTE\"");
  std::string many;
  for (int i = 0; i < 20; ++i) many += "NOSUCH " + std::to_string(i) + ";";
  ASSERT_TRUE(client.Send(many + "\n"));
  std::string errors;
  for (int i = 0; i < 17; ++i) errors += Ask(client, "SYST:ERR?") + "\n";
  EXPECT_NE(errors.find("-100,\"Command error;NOSUCH 14\"\n-350,\"Queue overflow\"\n0,"),
            std::string::npos)
      << errors;
  ASSERT_TRUE(client.Send("NOSUCH 1\n*CLS\n"));
  EXPECT_EQ(Ask(client, "SYST:ERR?"), "0,\"No error\"");
  // A long command in an error is cut at a character, never inside one (μ is two bytes).
  const std::string longer = "NOSUCH " + std::string(52, 'x') + "μμ";
  ASSERT_TRUE(client.Send(longer + "\n"));
  EXPECT_EQ(Ask(client, "SYST:ERR?"), "-100,\"Command error;" + longer.substr(0, 59) + "\"");

  for (const auto& command : meter_.Commands()) {
    EXPECT_TRUE(command == "*IDN?" || (command.find("ERR") == std::string::npos &&
                                       command.find('*') == std::string::npos))
        << command << " reached the meter";
  }
  EXPECT_EQ(meter_.CountOf("QA?"), 1u);
  EXPECT_EQ(meter_.CountOf("NOSUCH 19"), 1u);
}

TEST_F(InstrumentBridgeTest, RefusedLinesNeverReachTheMeterAndTextRulesHoldWithoutDisconnecting) {
  StartBridge();
  BridgeClient client(port_);
  // The panel's remote state is the panel's; a character GBK cannot hold is never replaced.
  ASSERT_TRUE(client.Send("SYSTem:LOCal\n:syst:rem\nFREQuency:CW 1000™\n"));
  EXPECT_EQ(Ask(client, "SYST:ERR?"), "-221,\"Settings conflict;SYSTem:LOCal\"");
  EXPECT_EQ(Ask(client, "SYST:ERR?"), "-221,\"Settings conflict;:syst:rem\"");
  EXPECT_EQ(Ask(client, "SYST:ERR?"), "-101,\"Invalid character;FREQuency:CW 1000™\"");
  // TAB is white space; a CR alone ends nothing, and the client is told so at once when text
  // follows it, or after a second of nothing more.
  EXPECT_EQ(Ask(client, "QT\tX?"), "R:QT X?");
  ASSERT_TRUE(client.Send("QCR?\rQNEXT?\n"));
  EXPECT_EQ(client.ReadLine(kLimit),
            "-102,\"Syntax error;end lines with LF or CR LF, not CR alone\"");
  EXPECT_EQ(client.ReadLine(kLimit), "R:QNEXT?");
  ASSERT_TRUE(client.Send("QTERMINAL?\r"));
  EXPECT_EQ(client.ReadLine(kLimit),
            "-102,\"Syntax error;end lines with LF or CR LF, not CR alone\"");
  EXPECT_EQ(Ask(client, "QSTILL?"), "R:QSTILL?");

  for (const auto& command : meter_.Commands()) {
    EXPECT_TRUE(command == "*IDN?" || command == "QT X?" || command == "QNEXT?" ||
                command == "QSTILL?")
        << command;
  }
  EXPECT_EQ(LogLinesWith("refused \"SYSTem:LOCal\": SYSTem:LOCal and SYSTem:REMote belong to the "
                         "panel")
                .size(),
            1u);
  EXPECT_EQ(LogLinesWith("refused \"FREQuency:CW 1000™\": a character the meter's GBK has no "
                         "form for")
                .size(),
            1u);
  EXPECT_EQ(LogLinesWith("refused \"QTERMINAL?\\x0D\": ended by a CR alone").size(), 1u);
}

TEST_F(InstrumentBridgeTest, RepliesAllPassesEveryMeterLineBackAsBefore) {
  StartBridge(true, ReplyMode::kAll);
  BridgeClient client(port_);
  EXPECT_EQ(Ask(client, "FREQuency:CW 2000"), "OK");
  EXPECT_EQ(Ask(client, "FREQuency:CW?"), "2000");
  EXPECT_EQ(Ask(client, "FREQuency:CW 1e9"), "exec err");
  EXPECT_EQ(Ask(client, "SYSTem:ERRor?"), "cmd err");  // the meter's own answer
  EXPECT_EQ(Ask(client, "SYSTem:LOCal"), "exec err");  // refused all the same
  EXPECT_EQ(meter_.CountOf("SYSTem:ERRor?"), 1u);
  EXPECT_EQ(meter_.CountOf("SYSTem:LOCal"), 0u);
}

TEST_F(InstrumentBridgeTest, WhatAClientChangedReachesThePanelWhileItKeepsQuerying) {
  StartBridge();
  BridgeClient client(port_);
  ASSERT_TRUE(client.Send("func:com max;FUNCtion:COM MAXX;FUNCtion:DEV:MODE 1\n"));
  ASSERT_TRUE(client.Send(":LIST:STAT OFF;*RST;APER SLOW;KEYS 49\n"));
  // Back to back with no pause: the notice must not wait for the client to fall silent (before,
  // it came only after 300 ms of quiet, so this loop ran into its limit).
  const auto deadline = std::chrono::steady_clock::now() + kLimit;
  while (sink_.Notices() == 0 && std::chrono::steady_clock::now() < deadline) {
    ASSERT_EQ(Ask(client, "QPOLL?"), "R:QPOLL?");
  }
  ASSERT_GE(sink_.Notices(), 1);
  using Kind = MeterChange::Kind;
  EXPECT_EQ(sink_.Changes(), (std::vector<MeterChange>{{Kind::kStatistics, "MAX"},
                                                       {Kind::kDeviation, "ON"},
                                                       {Kind::kListState, "OFF"},
                                                       {Kind::kReset, ""},
                                                       {Kind::kSetting, ""},
                                                       {Kind::kSetting, ""}}));
}

}  // namespace
}  // namespace benchbridge::testing
