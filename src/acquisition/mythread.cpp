#include "mythread.h"

#include <chrono>
#include <utility>

#include "meter_commands.h"
#include "serial_port.h"

namespace benchbridge {
namespace {

using SteadyClock = std::chrono::steady_clock;

// A poll starts once more than 500 ms of quiet have passed since the previous cycle ended.
constexpr auto kQuiet = std::chrono::milliseconds(501);
// While paused only a flag change matters; the limit is merely a safety net.
constexpr auto kPausedLook = std::chrono::seconds(1);
// LinkReady has no wake-up for StopPolling, so that wait looks at the flags this often.
constexpr auto kLinkLook = std::chrono::milliseconds(20);
// An error reply is polled again at once, as a meter that was busy a moment ago deserves; but a
// meter that rejects every poll would otherwise be asked as fast as the line allows, each answer
// a log line (thousands a second on a fast adapter). After this many in a row the normal quiet
// applies again until a reading comes.
constexpr int kImmediateRepolls = 3;

bool IsErrorReply(const std::string& reply) {
  return reply.find(command::kCommandError) != std::string::npos ||
         reply.find(command::kExecutionError) != std::string::npos;
}

std::string BinText(std::string reply) {
  if (reply == "O") reply = "OUT";
  if (reply == "A") reply = "AUX";
  return "BIN:" + reply;
}

}  // namespace

TsmThread::TsmThread(int portNumber, const std::filesystem::path& home, LinkShared& link,
                     PollerControls& controls, LogWriter& log, PollerSink& sink)
    : TsmThread(OpenPort(portNumber, kMeterBaud, home), portNumber, link, controls, log, sink) {}

TsmThread::TsmThread(PortHandle port, int portNumber, LinkShared& link, PollerControls& controls,
                     LogWriter& log, PollerSink& sink)
    : portNumber_(portNumber),
      link_(link),
      controls_(controls),
      log_(log),
      sink_(sink),
      channel_(
          port, link, [this](const std::string& text) { log_.WriteLog(text); },
          // Found by whichever thread was talking; the loop may be waiting out its quiet time.
          [this] { controls_.Wake(); }) {}

TsmThread::~TsmThread() {
  if (thread_.joinable()) {
    Abandon();
    Join();
  }
}

void TsmThread::Start() {
  if (!PortOpen() || thread_.joinable()) return;
  thread_ = std::thread([this] { Run(); });
}

void TsmThread::Join() {
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

void TsmThread::SetBinQuery(std::string command) {
  std::lock_guard<std::mutex> guard(queriesMutex_);
  binQuery_ = std::move(command);
}

void TsmThread::SetStatQuery(std::string command) {
  std::lock_guard<std::mutex> guard(queriesMutex_);
  statQuery_ = std::move(command);
}

std::string TsmThread::BinQuery() const {
  std::lock_guard<std::mutex> guard(queriesMutex_);
  return binQuery_;
}

std::string TsmThread::StatQuery() const {
  std::lock_guard<std::mutex> guard(queriesMutex_);
  return statQuery_;
}

void TsmThread::Abandon() {
  {
    std::lock_guard<std::mutex> guard(outputMutex_);
    abandoned_.store(true);
  }
  channel_.Abandon();
  controls_.Wake();
}

template <typename Output>
void TsmThread::Publish(Output&& output) {
  std::lock_guard<std::mutex> guard(outputMutex_);
  if (!abandoned_.load()) output();
}

bool TsmThread::Ending() const { return abandoned_.load(); }

void TsmThread::Run() {
  auto cycleEnd = SteadyClock::now();
  int errorsInARow = 0;
  for (;;) {
    // Read before the flags, so that a change made after this look cuts the wait short.
    const unsigned seen = controls_.Generation();
    if (controls_.StopPolling() || Ending()) break;
    if (channel_.Lost()) {
      Publish([this] { sink_.LinkLost(); });
      break;
    }
    if (controls_.PollPaused() || controls_.LineHeld()) {
      // While the display is held (or a feature holds the line) the poller sends nothing, so the
      // line is looked at here.
      if (!channel_.CheckLine()) controls_.WaitUntil(SteadyClock::now() + kPausedLook, seen);
      continue;
    }
    const auto due = cycleEnd + kQuiet;
    if (SteadyClock::now() < due) {
      controls_.WaitUntil(due, seen);
      continue;
    }
    const CycleOutcome outcome = RunCycle();
    if (outcome == CycleOutcome::kEnded) break;
    if (outcome == CycleOutcome::kLineLost) continue;  // told at the top of the loop
    errorsInARow = outcome == CycleOutcome::kErrorReply ? errorsInARow + 1 : 0;
    // After an error reply the end of the previous cycle stands, so the next poll goes at once.
    if (outcome == CycleOutcome::kDone || errorsInARow > kImmediateRepolls) {
      cycleEnd = SteadyClock::now();
      errorsInARow = 0;
    }
  }
  Publish([this] { sink_.PollerEnded(); });
}

TsmThread::CycleOutcome TsmThread::RunCycle() {
  if (!AwaitLinkReady()) return CycleOutcome::kEnded;
  static const std::string pollLine = command::Line(command::kFetchReading);
  const ExchangeResult poll = Ask(pollLine);
  if (Ending() || poll.status == ExchangeStatus::kAbandoned) return CycleOutcome::kEnded;
  const std::string& reply = poll.reply;
  // No reply from a lost line is no reading of the meter's either: "link lost." says it all.
  if (reply.empty() && LinkLost()) return CycleOutcome::kLineLost;
  Publish([&] { log_.WriteLog(reply); });
  if (IsErrorReply(reply)) {
    Publish([this] { sink_.ReadingRejected(); });
    return CycleOutcome::kErrorReply;
  }
  const Reading reading = SplitReading(reply);
  Publish([&] { sink_.ShowReading(reading); });
  Publish([&] { log_.WriteLog(NewLogLine(NormaliseReading(reading)), "_new"); });
  AskBin();
  AskStat();
  return Ending() ? CycleOutcome::kEnded : CycleOutcome::kDone;
}

void TsmThread::AskBin() {
  const std::string command = BinQuery();
  if (command.empty() || !AwaitLinkReady()) return;
  const ExchangeResult result = Ask(command);
  if (result.status == ExchangeStatus::kAbandoned) return;
  const std::string& reply = result.reply;
  if (reply.empty() && LinkLost()) return;
  Publish([&] { log_.WriteLog(reply); });
  if (reply.size() != 1) return;
  Publish([&] { sink_.ShowBin(BinText(reply)); });
}

void TsmThread::AskStat() {
  const std::string command = StatQuery();
  if (command.empty() || !AwaitLinkReady()) return;
  const ExchangeResult result = Ask(command);
  if (result.status == ExchangeStatus::kAbandoned) return;
  const std::string& reply = result.reply;
  if ((reply.empty() && LinkLost()) || reply.find(',') != std::string::npos) return;
  Publish([&] { sink_.ShowStat(reply); });
}

// LinkReady only ever turns true, so after the first exchange this returns at once.
bool TsmThread::AwaitLinkReady() {
  while (!Ending()) {
    if (link_.WaitLinkReady(kLinkLook)) return true;
    if (controls_.StopPolling()) return false;
  }
  return false;
}

}  // namespace benchbridge
