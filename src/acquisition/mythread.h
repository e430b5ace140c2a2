#pragma once
// TsmThread, the measurement poller: asks for the reading every half second, logs it, hands the
// display texts to the panel, and carries the command transaction that everyone else uses.

#include <atomic>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "channel.h"
#include "log_writer.h"
#include "poller_controls.h"
#include "reading_format.h"

namespace benchbridge {

// The meter's line speed; every port of the program is opened at it.
inline constexpr int kMeterBaud = 9600;

// Where the poller's texts go. Called on the poller thread; implementations queue the texts
// to the user-interface thread and return at once. They must not call back into the poller
// (Abandon, Join, destruction) from inside a call.
class PollerSink {
 public:
  virtual ~PollerSink() = default;
  virtual void ShowReading(const Reading& reading) = 0;  // LLs1..LLs6; names without ":"
  virtual void ShowBin(const std::string& text) = 0;     // lls7, already "BIN:..."
  virtual void ShowStat(const std::string& text) = 0;    // bb4
  virtual void PollerEnded() = 0;  // thread function returned; the owner joins and releases
  // The poll was answered with an error reply: nothing is shown, so the panel keeps its reading.
  virtual void ReadingRejected() {}
  // The line went away (see Channel::Lost); the poller ends right after it, PollerEnded follows.
  virtual void LinkLost() {}
};

class TsmThread {
 public:
  // Opens COM<portNumber> at 9600 baud; the thread is not started yet. "send bad." lines of
  // the transaction go to log's main file.
  TsmThread(int portNumber, const std::filesystem::path& home, LinkShared& link,
            PollerControls& controls, LogWriter& log, PollerSink& sink);
  // On a port already opened (kInvalidPort allowed) as COM<portNumber>; takes ownership of it.
  TsmThread(PortHandle port, int portNumber, LinkShared& link, PollerControls& controls,
            LogWriter& log, PollerSink& sink);
  // A thread still running is abandoned (as at shutdown) and joined; then the port is closed.
  ~TsmThread();
  TsmThread(const TsmThread&) = delete;
  TsmThread& operator=(const TsmThread&) = delete;

  int PortNumber() const { return portNumber_; }
  bool PortOpen() const { return channel_.IsOpen(); }
  // The line went away: the poller stops at once (LinkLost, then PollerEnded) and every Query
  // returns empty without touching the port.
  bool LinkLost() const { return channel_.Lost(); }
  // See Channel::HoldLossLog and Channel::LogReturn: for a port that came back after a loss.
  void HoldLossLog() { channel_.HoldLossLog(); }
  bool LogReturn(const std::string& line) { return channel_.LogReturn(line); }
  bool Started() const { return thread_.joinable(); }

  void Start();  // only when PortOpen(), and only once
  void Join();

  std::string Query(const std::string& commandLine) { return channel_.Query(commandLine); }
  // Query with the exchange's outcome.
  ExchangeResult Ask(const std::string& commandLine) { return channel_.Ask(commandLine); }
  // See Channel::AskLast: after it the poller's own exchanges are refused and its loop ends.
  ExchangeResult AskLast(const std::string& commandLine) { return channel_.AskLast(commandLine); }

  // Extra commands of each cycle; "" switches them off. Safe from any thread.
  void SetBinQuery(std::string command);
  void SetStatQuery(std::string command);
  std::string BinQuery() const;
  std::string StatQuery() const;

  // Shutdown: abandon a read in flight and stop at once. Once it returns, the poller neither
  // logs nor calls the sink again (PollerEnded included); the caller then joins.
  void Abandon();

 private:
  enum class CycleOutcome { kDone, kErrorReply, kLineLost, kEnded };

  void Run();
  CycleOutcome RunCycle();
  void AskBin();
  void AskStat();
  bool AwaitLinkReady();
  bool Ending() const;
  // Runs output (a log line or a sink call) unless the poller has been abandoned.
  template <typename Output>
  void Publish(Output&& output);

  int portNumber_;
  LinkShared& link_;
  PollerControls& controls_;
  LogWriter& log_;
  PollerSink& sink_;
  Channel channel_;
  mutable std::mutex queriesMutex_;
  std::string binQuery_, statQuery_;
  std::mutex outputMutex_;  // held by every log line and sink call, and by Abandon
  std::atomic<bool> abandoned_{false};
  std::thread thread_;
};

}  // namespace benchbridge
