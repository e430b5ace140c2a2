// Bytes from the meter that are not what the panel asked for: NUL, 0xFF, broken GBK, a CR that
// never gets its LF, a flood without line feed, and replies of the wrong shape to every query
// of the connection and the readback. Nothing may crash, grow without bound or spin, and the
// poller's next reply must again be the meter's answer to that poll.

#include <QPushButton>
#include <fstream>

#include "fault_harness.h"
#include "fault_plan.h"
#include "fit_label.h"

namespace benchbridge::testing {
namespace {

using namespace std::chrono_literals;

const std::string kReading = "Cs,1.2345nF,D,0.01234";
const std::string kGarbage(sim::kGarbageReply);

long ResidentKilobytes() {
  std::ifstream in("/proc/self/status");
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

struct PollGarbage {
  const char* name;
  std::string bytes;
  bool timesOut;  // no line feed ever comes: the poll is an empty reply
};

class PollGarbageTest : public StartedPanelTest,
                        public ::testing::WithParamInterface<PollGarbage> {};
using PollShapeTest = StartedPanelTest;

TEST_P(PollGarbageTest, IsLoggedOrDroppedAndTheNextPollGetsItsOwnReply) {
  ConnectPanel();
  ASSERT_TRUE(WaitForReadings(1));
  const std::size_t linesBefore = MainLog().size();
  const long memoryBefore = ResidentKilobytes();
  std::atomic<int> spoiled{0};
  const std::string bytes = GetParam().bytes;
  const int spoilt = GetParam().timesOut ? 1 : 2;  // each time-out costs 3 s
  SetFault([&, bytes](const std::string& command) -> std::optional<Response> {
    if (command == "FETCH:INT?" && spoiled++ < spoilt) return RawBytes(bytes);
    return std::nullopt;
  });
  const ProcessCpu cpu;
  ASSERT_TRUE(WaitUntil([&] { return spoiled.load() > spoilt; }, 12s));
  EXPECT_LT(cpu.ShareOfOneCore(), 0.20);
  if (GetParam().timesOut) {
    EXPECT_GE(CountOf(MainLog(), ""), 1u);
  }
  EXPECT_LT(ResidentKilobytes() - memoryBefore, 16 * 1024) << "kB more resident memory";

  // Then the meter is well again and its replies come whole and unmixed. (A flood can take a few
  // cycles to drain: the meter is still writing it while the next poll goes out, and two lines
  // that meet in one read are one reply, as the link's end test has it.)
  EXPECT_TRUE(WaitUntil(
      [&] {
        const auto log = MainLog();
        return log.size() >= linesBefore + spoilt + 2 && log[log.size() - 1] == kReading &&
               log[log.size() - 2] == kReading;
      },
      10s));
  ASSERT_TRUE(WaitForReadings(1));
  EXPECT_EQ(panel_->LLs2->text(), "1.2345");
  ExpectNoErrorBox();
  EXPECT_TRUE(Modals().empty());
  ExpectCleanDisconnect();
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, PollGarbageTest,
    ::testing::Values(PollGarbage{"Nul", std::string("Cs,1.2\0nF,D,0\0\r\n", 16), false},
                      PollGarbage{"FF", "\xFF\xFF,\xFF\xFF\xFF,\xFF,\xFF\xFF\r\n", false},
                      PollGarbage{"BrokenGbk", kGarbage, false},
                      PollGarbage{"LineFeedInside", "Cs,1\n2nF,D\r\n", false},
                      PollGarbage{"CrWithoutLf", kReading + "\r", true},
                      PollGarbage{"FloodWithoutLf", std::string(200000, '7'), true}),
    [](const auto& tested) { return std::string(tested.param.name); });

// Replies of the wrong shape, or garbage, to one query (or a few) of the connection.
struct ShapeCase {
  std::string name;
  std::map<std::string, std::string> replies;  // raw bytes, CR LF added
  bool idnBox = false;                         // the incomplete identification is reported
};

class ReplyShapeTest : public StartedPanelTest, public ::testing::WithParamInterface<ShapeCase> {};

TEST_P(ReplyShapeTest, TheConnectionEndsSoundlyAndDisconnects) {
  const auto replies = GetParam().replies;
  SetFault([replies](const std::string& command) -> std::optional<Response> {
    const auto found = replies.find(command);
    if (found == replies.end()) return std::nullopt;
    return RawBytes(found->second + "\r\n");
  });
  ConnectPanel();
  // The sequence came to an end and gave the keys back, whatever it made of the replies.
  EXPECT_EQ(panel_->rbtn1->text(), "DisConnect device");
  EXPECT_TRUE(panel_->rbtn1->isEnabled());
  EXPECT_TRUE(panel_->rbtnQ->isEnabled());
  ExpectNoErrorBox();
  if (GetParam().idnBox) {
    ASSERT_EQ(Modals().size(), 1u);
    EXPECT_EQ(Modals()[0].title, "Message");
    EXPECT_FALSE(Connected());
  } else {
    EXPECT_TRUE(Modals().empty());
    EXPECT_TRUE(Connected());
  }
  if (!replies.contains("FETCH:INT?")) {
    ASSERT_TRUE(WaitForReadings(1));
  }
  ExpectCleanDisconnect();
}

INSTANTIATE_TEST_SUITE_P(
    EachQuery, ReplyShapeTest,
    ::testing::Values(ShapeCase{"RemoteGarbage", {{"SYSTem:REMote", kGarbage}}},
                      ShapeCase{"IdnTooFewFields", {{"*IDN?", "LX,LX2110,V1"}}, true},
                      ShapeCase{"IdnOnlyCommas", {{"*IDN?", ",,,,,,,"}}, true},
                      ShapeCase{"IdnTooManyFields", {{"*IDN?", "LX,LX2110,V1,2026,SN1,x,,y,z"}}},
                      ShapeCase{"IdnGarbage", {{"*IDN?", kGarbage}}, true},
                      ShapeCase{"ModelLetters", {{"*LX?", "abc"}}},
                      ShapeCase{"ModelGarbage", {{"*LX?", kGarbage}}},
                      ShapeCase{"PrimaryUnknown", {{"FUNCtion:IMPedance:A?", "QQQ"}}},
                      ShapeCase{"PrimaryGarbage", {{"FUNCtion:IMPedance:A?", kGarbage}}},
                      ShapeCase{"SecondaryDoubled", {{"FUNCtion:IMPedance:B?", "THRTHR"}}},
                      ShapeCase{"SecondaryGarbage", {{"FUNCtion:IMPedance:B?", kGarbage}}},
                      ShapeCase{"EquivalentGarbage",
                                {{"FUNCtion:IMPedance:EQUivalent?", kGarbage}}},
                      ShapeCase{"LevelLetters", {{"VOLTage:LEVel?", "abc"}}},
                      ShapeCase{"LevelHuge", {{"VOLTage:LEVel?", "1e999999"}}},
                      ShapeCase{"BiasGarbage", {{"BIAS:VOLTage:LEVel?", kGarbage}}},
                      ShapeCase{"FrequencyExponent", {{"FREQuency:CW?", "1e3"}}},
                      ShapeCase{"FrequencyHuge", {{"FREQuency:CW?", "999999999999999999999999"}}},
                      ShapeCase{"FrequencyGarbage", {{"FREQuency:CW?", kGarbage}}},
                      ShapeCase{"RangeUnknown", {{"FUNCtion:IMPedance:RANGe:AUTO?", "MAYBE"}}},
                      ShapeCase{"ImpedanceLetters", {{"OUTput:RESistance?", "abc"}}},
                      ShapeCase{"SpeedUnknown", {{"APERture?", "FASTEST"}}},
                      ShapeCase{"ComparatorGarbage", {{"COMParator:STATe?", kGarbage}}},
                      // The first family shows level, bias and frequency as free texts.
                      ShapeCase{"FreeValuesGarbage",
                                {{"*LX?", "3101"},
                                 {"VOLTage:LEVel?", kGarbage},
                                 {"BIAS:VOLTage:LEVel?", std::string(300, 'x')},
                                 {"FREQuency:CW?", std::string("1\0"
                                                               "2",
                                                               3)}}},
                      ShapeCase{"PollOfEveryShape", {{"FETCH:INT?", ",,,,"}}}),
    [](const auto& tested) { return tested.param.name; });

// "cmd err" or "exec err" to each query of the connection and the readback in turn: an error
// reply is a reply like any other, so the sequence goes on (it only stops at an empty one).
std::vector<ShapeCase> ErrorReplyCases() {
  const char* const queries[] = {"SYSTem:REMote",
                                 "DISPlay:PAGE MEASurement",
                                 "*IDN?",
                                 "*LX?",
                                 "FUNCtion:IMPedance:A?",
                                 "FUNCtion:IMPedance:B?",
                                 "FUNCtion:IMPedance:EQUivalent?",
                                 "VOLTage:LEVel?",
                                 "BIAS:VOLTage:LEVel?",
                                 "FREQuency:CW?",
                                 "FUNCtion:IMPedance:RANGe:AUTO?",
                                 "OUTput:RESistance?",
                                 "APERture?",
                                 "COMParator:STATe?"};
  std::vector<ShapeCase> cases;
  int number = 0;
  for (const char* query : queries) {
    const bool command = number++ % 2 == 0;
    ShapeCase error{(command ? "CmdErr" : "ExecErr") + std::to_string(number),
                    {{query, command ? "cmd err" : "exec err"}}};
    error.idnBox = std::string(query) == "*IDN?";  // one field where five are needed
    cases.push_back(std::move(error));
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(ErrorToEachQuery, ReplyShapeTest, ::testing::ValuesIn(ErrorReplyCases()),
                         [](const auto& tested) { return tested.param.name; });

// The poller meets replies of every shape in turn and logs each one as it came.
TEST_F(PollShapeTest, PollRepliesOfAnyShapeAreLoggedAsTheyCame) {
  const std::vector<std::string> shapes = {
      "Cs",  "Cs,1.2nF", "Cs,1.2nF,D",        "Cs,1.2nF,D,0.1,extra,9", "Cs,abcnF,D,xyz",
      ",,,", "uuuuuuu",  "Cs,-.-.-uF,D,kkkk", "Cs,1.2345e-9F,D,1e",     "Ls,4.7\xA6\xCCH,Q,12"};
  std::atomic<std::size_t> next{0};
  SetFault([&](const std::string& command) -> std::optional<Response> {
    if (command != "FETCH:INT?") return std::nullopt;
    const std::size_t at = next++;
    return at < shapes.size() ? RawBytes(shapes[at] + "\r\n") : ReplyLine(kReading);
  });
  ConnectPanel();
  ASSERT_TRUE(WaitUntil([&] { return next.load() > shapes.size() + 1; }, 15s));
  ExpectCleanDisconnect();
  const auto log = MainLog();
  ASSERT_GE(log.size(), shapes.size());
  for (std::size_t i = 0; i + 1 < shapes.size(); ++i) EXPECT_EQ(log[i], shapes[i]);
  EXPECT_EQ(log[shapes.size() - 1], "Ls,4.7μH,Q,12") << "GBK decoded";
  EXPECT_EQ(NewLog().size(), log.size()) << "every reply without an error is a reading";
  EXPECT_TRUE(Modals().empty());
}

}  // namespace
}  // namespace benchbridge::testing
