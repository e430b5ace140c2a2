// Starting and stopping: prompt with an exchange on the wire, nothing left behind, the port free
// again, a taken port reported.
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <thread>

#include "bridge_fixture.h"

namespace benchbridge::testing {
namespace {

std::size_t Entries(const char* folder) {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++count;
  return count;
}

// A joined thread leaves the task list a moment after its join returns.
bool ThreadsComeTo(std::size_t count) {
  for (int tries = 0; tries < 200; ++tries) {
    if (Entries("/proc/self/task") == count) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

TEST_F(BridgeTest, StopClosesEveryClientAtOnceAndLeavesNoThreadOrDescriptorBehind) {
  meter_.Respond("SLOW?", Silence());  // answered by hand below, after Stop has returned
  poller_->Query("*IDN?\n");
  const std::size_t threads = Entries("/proc/self/task");
  const std::size_t descriptors = Entries("/proc/self/fd");

  StartBridge();
  const std::string where = bridge_.ListeningOn();
  BridgeClient busy(port_), idle(port_);
  ASSERT_TRUE(busy.Send("SLOW?\n"));
  ASSERT_TRUE(meter_.WaitForCommand("SLOW?", kLimit));
  ASSERT_TRUE(sink_.WaitForClients(2));
  EXPECT_EQ(Entries("/proc/self/task"), threads + 2);  // the io thread and the exchange thread

  bridge_.Stop();
  EXPECT_TRUE(busy.WaitClosed(kLimit));
  EXPECT_TRUE(idle.WaitClosed(kLimit));
  EXPECT_EQ(bridge_.ListeningOn(), "");
  EXPECT_EQ(bridge_.ClientCount(), 0);
  EXPECT_THROW(BridgeClient{port_}, std::runtime_error);
  // Stop did not wait for the meter: the reply only comes now, and the exchange still ends with it.
  ASSERT_TRUE(meter_.Inject("done\r\n"));
  bridge_.Join();
  EXPECT_EQ(LogLinesWith("SLOW? -> done").size(), 1u);
  EXPECT_EQ(LogLinesWith("disconnected: the bridge stopped").size(), 2u);
  EXPECT_EQ(LogLinesWith("stopped listening on " + where).size(), 1u);
  busy.Close();
  idle.Close();
  EXPECT_TRUE(ThreadsComeTo(threads));
  EXPECT_EQ(Entries("/proc/self/fd"), descriptors);

  // The same port again at once, and a second bridge on it is told why it cannot listen.
  const ListenAddress same{"127.0.0.1", port_};
  ASSERT_EQ(bridge_.Start(same, [this](const std::string& l) { return poller_->Query(l); }), "");
  Bridge second(link_, log_, sink_);
  const std::string error = second.Start(same, [](const std::string&) { return std::string(); });
  EXPECT_EQ(error, "cannot listen on " + where + ": Address already in use");
  BridgeClient again(port_);
  ASSERT_TRUE(again.Send("QBACK?\n"));
  EXPECT_EQ(again.ReadLine(kLimit), "R:QBACK?");
}

}  // namespace
}  // namespace benchbridge::testing
