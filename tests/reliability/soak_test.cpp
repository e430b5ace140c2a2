// The soak: the panel polls the simulated meter, comparator on, for a while (20 s by default;
// BENCHBRIDGE_SOAK_SECONDS for a longer run by hand), and not one reply may go missing: every
// reply to "FETCH:INT?" and to the bin query is in the main log exactly once and in order, and
// every valid reading in the "_new" log.
//
//   BENCHBRIDGE_SOAK_SECONDS=600 ctest --test-dir build/release -L soak --output-on-failure -V

#include <QComboBox>
#include <string>

#include "sim_harness.h"

namespace benchbridge::testing {
namespace {

using namespace std::chrono_literals;

using SoakTest = SimulatedMeterTest;

TEST_F(SoakTest, NoReplyIsLostOrDoubledInEitherLog) {
  const int seconds = EnvironmentNumber("BENCHBRIDGE_SOAK_SECONDS", 20);
  StartAndConnect(11);  // noisy readings, so that a line out of place shows
  ASSERT_TRUE(Connected());
  PickItem(panel_->cb6, panel_->cb6->itemText(1));  // comparator on: the bin query joins in

  const ProcessCpu cpu;
  WaitUntil([] { return false; }, std::chrono::seconds(seconds));
  const double share = cpu.ShareOfOneCore();
  ExpectCleanDisconnect();

  const PollerTraffic traffic =
      ExpectLogsHoldEveryPollerReply("soak of " + std::to_string(seconds) + " s at " +
                                     std::to_string(100.0 * share) + " % of one core");
  EXPECT_GE(traffic.polls, static_cast<std::size_t>(seconds));  // about two a second
  EXPECT_GE(traffic.bins + 2, traffic.polls);
  ExpectNoErrorBox();
}

}  // namespace
}  // namespace benchbridge::testing
