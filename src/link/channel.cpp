#include "channel.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>
#include <mutex>
#include <string>

#include "gbk.h"
#include "line_resync.h"
#include "mono_tick.h"

namespace benchbridge {

namespace {
constexpr int kReplyLimitSeconds = 3;
}

Channel::Channel(PortHandle port, LinkShared& shared, MainLog mainLog, LineLost lineLost)
    : port_(port),
      shared_(shared),
      mainLog_(std::move(mainLog)),
      lineLost_(std::move(lineLost)),
      lossCheck_(port) {
  wakeFd_ =
      eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);  // -1 if none: Abandon then only stops new queries
}

Channel::~Channel() {
  ClosePort(port_);
  if (wakeFd_ >= 0) close(wakeFd_);
}

ExchangeResult Channel::Send(const std::string& commandLine, bool last) {
  ExchangeResult result;
  try {
    std::lock_guard guard(shared_.Lock());
    try {
      result =
          lastWordSaid_ ? ExchangeResult{{}, ExchangeStatus::kAbandoned} : Exchange(commandLine);
    } catch (...) {
      result = {{}, Failure(ExchangeStatus::kWriteFailed)};
    }
    lastWordSaid_ = lastWordSaid_ || last;
    shared_.MarkLinkReady();  // before the lock is given up, so the next holder sees it set
  } catch (...) {
    result = {{}, Failure(ExchangeStatus::kWriteFailed)};
  }
  shared_.MarkLinkReady();  // also when taking the lock itself failed
  return result;
}

ExchangeStatus Channel::Failure(ExchangeStatus otherwise) const {
  if (abandoned_.load()) return ExchangeStatus::kAbandoned;
  if (lost_.load()) return ExchangeStatus::kLineLost;
  return otherwise;
}

ExchangeResult Channel::Exchange(const std::string& commandLine) {
  // A lost line is not written to again: the port behind it is gone, and every attempt would
  // only add a "send bad." line.
  if (abandoned_.load() || lost_.load()) return {{}, Failure(ExchangeStatus::kAbandoned)};
  if (outOfStep_) Resync();
  // Whatever is waiting now belongs to an exchange that already ended (a reply that came after
  // its time limit); left in place it would become the answer to this command.
  DiscardPending(port_);
  if (!WriteAll(port_, Utf8ToGbk(commandLine), wakeFd_)) {
    std::lock_guard guard(lossMutex_);
    if (!abandoned_.load() && !lost_.load() && mainLog_) mainLog_("send bad.");
    NoteLossLocked();
    return {{}, Failure(ExchangeStatus::kWriteFailed)};
  }
  bool complete = false;
  std::string reply = GbkToUtf8(ReadReply(port_, kReplyLimitSeconds, wakeFd_, &complete));
  if (!complete) {
    outOfStep_ = true;
    outOfStepSince_ = TickMs();
  }
  if (!reply.empty()) return {std::move(reply), ExchangeStatus::kOk};
  CheckLine();  // a hang-up ends the read empty, as silence does
  return {{}, Failure(ExchangeStatus::kTimeOut)};
}

void Channel::Resync() {
  // The reply that ran out of time may still be coming; flushing alone would catch only what is
  // already here, and the rest would answer this command.
  const std::size_t dropped = DrainUntilQuiet(port_, outOfStepSince_, wakeFd_);
  outOfStep_ = false;
  if (dropped > 0 && !abandoned_.load() && mainLog_) {
    mainLog_("out of step: " + std::to_string(dropped) + " late bytes dropped.");
  }
}

bool Channel::CheckLine() {
  std::lock_guard guard(lossMutex_);
  NoteLossLocked();
  return lost_.load();
}

void Channel::HoldLossLog() {
  std::lock_guard guard(lossMutex_);
  logLoss_ = false;
}

bool Channel::LogReturn(const std::string& line) {
  std::lock_guard guard(lossMutex_);
  NoteLossLocked();
  if (lost_.load()) return false;
  if (mainLog_) mainLog_(line);
  logLoss_ = true;
  return true;
}

void Channel::NoteLossLocked() {
  if (lost_.load() || abandoned_.load() || !lossCheck_.Gone()) return;
  lost_.store(true);
  if (mainLog_ && logLoss_) mainLog_("link lost.");
  if (lineLost_) lineLost_();
}

void Channel::Abandon() {
  abandoned_.store(true);
  if (wakeFd_ >= 0) {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(wakeFd_, &one, sizeof one);
  }
}

}  // namespace benchbridge
