#include "meter_session.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <utility>

#include "bridge.h"
#include "lease_shared.h"
#include "meter_commands.h"
#include "serial_port.h"

namespace benchbridge {

namespace {

// How often a lost port is looked for: as often as the poller would have asked, so a meter that
// comes back is polled again about as soon as it could have been.
constexpr std::chrono::milliseconds kLookPeriod{500};
// A port that is back with a meter that does not answer yet (switched on a moment ago) is tried
// less often: every try runs the connect sequence, which waits out the first command's limit.
constexpr std::chrono::milliseconds kSilentMeterLookPeriod{5000};

}  // namespace

// The poller's news, from its thread to the owner's, marked with the poller's generation.
class MeterSession::PollerNews final : public PollerSink {
 public:
  PollerNews(OwnerLoop& owner, std::weak_ptr<MeterSession*> self, unsigned generation)
      : owner_(owner), self_(std::move(self)), generation_(generation) {}

  void ShowReading(const Reading& reading) override {
    Tell([reading](SessionListener& listener) { listener.ReadingArrived(reading); });
  }
  void ShowBin(const std::string& text) override {
    Tell([text](SessionListener& listener) { listener.BinArrived(text); });
  }
  void ShowStat(const std::string& text) override {
    Tell([text](SessionListener& listener) { listener.StatArrived(text); });
  }
  void ReadingRejected() override {
    Tell([](SessionListener& listener) { listener.ReadingRejected(); });
  }
  void PollerEnded() override {
    Post(owner_, self_, [g = generation_](MeterSession& session) { session.OnPollerEnded(g); });
  }
  void LinkLost() override {
    Post(owner_, self_, [g = generation_](MeterSession& session) { session.OnLineLost(g); });
  }

 private:
  void Tell(std::function<void(SessionListener&)> call) {
    Post(owner_, self_, [g = generation_, call = std::move(call)](MeterSession& session) {
      if (g == session.generation_ && session.poller_) session.Tell(call);
    });
  }

  OwnerLoop& owner_;
  std::weak_ptr<MeterSession*> self_;
  unsigned generation_;
};

class MeterSession::BridgeNews final : public BridgeSink {
 public:
  BridgeNews(OwnerLoop& owner, std::weak_ptr<MeterSession*> self)
      : owner_(owner), self_(std::move(self)) {}

  void ClientsChanged(int clients) override {
    Post(owner_, self_, [clients](MeterSession& session) {
      session.Tell(
          [clients](SessionListener& listener) { listener.BridgeClientsChanged(clients); });
    });
  }
  void MeterChanged(std::vector<MeterChange> changes) override {
    Post(owner_, self_, [changes = std::move(changes)](MeterSession& session) {
      session.Tell([changes](SessionListener& listener) { listener.BridgeMeterChanged(changes); });
    });
  }

 private:
  OwnerLoop& owner_;
  std::weak_ptr<MeterSession*> self_;
};

// Holds the bridge's clients while a feature has the line: their exchange waits here, on the
// bridge's exchange thread, until the line comes back or the bridge stops.
class MeterSession::ClientGate {
 public:
  void Hold(bool held) {
    {
      std::lock_guard guard(mutex_);
      held_ = held;
    }
    changed_.notify_all();
  }
  void WaitUntilFree() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !held_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool held_ = false;
};

MeterSession::MeterSession(SessionPlace place, ConnectSteps* steps)
    : place_(std::move(place)),
      steps_(steps),
      self_(std::make_shared<MeterSession*>(this)),
      clientGate_(std::make_unique<ClientGate>()) {}

MeterSession::~MeterSession() {
  Close(false);
  self_.reset();
  bridge_.reset();  // joins: no client waits for the meter any more
}

void MeterSession::Post(OwnerLoop& owner, const std::weak_ptr<MeterSession*>& self, Task task) {
  owner.Post([self, task = std::move(task)] {
    if (const std::shared_ptr<MeterSession*> session = self.lock()) task(**session);
  });
}

bool MeterSession::Connected() const {
  return state_ == SessionState::kConnecting || state_ == SessionState::kConnected ||
         state_ == SessionState::kLineLost || state_ == SessionState::kReturning;
}

void MeterSession::AddListener(SessionListener* listener) { listeners_.push_back(listener); }

void MeterSession::RemoveListener(SessionListener* listener) {
  listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

void MeterSession::Tell(std::function<void(SessionListener&)> call) {
  if (state_ == SessionState::kClosing) return;
  untold_.push_back(std::move(call));
  if (telling_) return;  // a listener's call led here: told in turn, after the one before it
  telling_ = true;
  struct Reset {
    bool& telling;
    std::deque<std::function<void(SessionListener&)>>& untold;
    ~Reset() {
      telling = false;
      untold.clear();
    }
  } reset{telling_, untold_};
  while (!untold_.empty()) {
    const std::function<void(SessionListener&)> next = std::move(untold_.front());
    untold_.pop_front();
    const std::vector<SessionListener*> listeners = listeners_;
    for (SessionListener* listener : listeners) {
      if (state_ == SessionState::kClosing) return;  // a listener closed: nothing more is told
      next(*listener);
    }
  }
}

void MeterSession::ChangeState(SessionState to) {
  const SessionState from = std::exchange(state_, to);
  if (from == to) return;
  const auto change = [from, to](SessionListener& listener) { listener.StateChanged(from, to); };
  if (to != SessionState::kClosing) {
    Tell(change);
    return;
  }
  // The last word: whatever was still to be told is dropped, this change is told at once.
  untold_.clear();
  const std::vector<SessionListener*> listeners = listeners_;
  for (SessionListener* listener : listeners) change(*listener);
}

ExchangeResult MeterSession::Ask(const std::string& commandLine) {
  if (state_ == SessionState::kClosing || !poller_ || lease_) return {{}, ExchangeStatus::kNoLine};
  return poller_->Ask(commandLine);
}

// --- Connecting ---

ConnectOutcome MeterSession::Connect(int portNumber) {
  if (state_ != SessionState::kDisconnected) return ConnectOutcome::kInterrupted;
  // The port first: one that does not open is told by its cause, and nothing is started or sent.
  int error = 0;
  PortHandle port = OpenPort(portNumber, kMeterBaud, place_.home, &error);
  if (port == kInvalidPort) {
    openFailure_ = DiagnoseOpenFailure(PortPath(portNumber, place_.home), error);
    return ConnectOutcome::kPortNotOpened;
  }
  openFailure_.reset();
  portNumber_ = portNumber;
  identity_ = {};
  otherMeter_ = {};
  lostSince_.reset();
  ChangeState(SessionState::kConnecting);
  if (state_ != SessionState::kConnecting) {
    ClosePort(port);
    return ConnectOutcome::kInterrupted;
  }
  place_.controls.SetStopPolling(false);
  StartPoller(port);
  const ConnectOutcome outcome = RunConnectSequence();
  if (state_ == SessionState::kConnecting) ChangeState(SessionState::kConnected);
  return outcome;
}

ConnectOutcome MeterSession::Interrupted(SessionState expected) const {
  return state_ == expected ? ConnectOutcome::kComplete : ConnectOutcome::kInterrupted;
}

ConnectOutcome MeterSession::RunConnectSequence() {
  const SessionState running = state_;
  identified_ = false;
  const auto stopped = [this, running](ConnectOutcome outcome) {
    return state_ == running ? outcome : ConnectOutcome::kInterrupted;
  };
  // The first exchange of the process is what sets LinkReady, so nothing here waits for it.
  if (!Ask(command::Line(command::kRemote)).Ok()) return stopped(ConnectOutcome::kNoReply);
  if (steps_) steps_->RemoteAnswered();
  if (state_ != running) return ConnectOutcome::kInterrupted;
  Ask(command::Line(command::kMeasurementPage));
  const ExchangeResult idn = Ask(command::Line(command::kAskIdentity));
  if (!idn.Ok()) return stopped(ConnectOutcome::kNoReply);
  MeterIdentity found = ParseIdentity(idn.reply);
  if (running == SessionState::kReturning) {
    // Without an identity from before (the loss came before "*IDN?" was answered) any meter that
    // identifies itself is taken.
    if (!found.complete || (!identity_.Unknown() && !found.SameMeter(identity_))) {
      otherMeter_ = std::move(found);
      return ConnectOutcome::kOtherMeter;
    }
    // Logged with the line's own loss check, so a loss of the returning line is logged only
    // after its return was: the log alternates, however the cable flaps.
    if (!poller_ || !poller_->LogReturn("link back.")) return stopped(ConnectOutcome::kNoReply);
  } else if (!found.complete) {
    identity_ = std::move(found);
    return ConnectOutcome::kIncompleteIdentity;
  }
  identified_ = true;
  identity_ = std::move(found);
  if (steps_) steps_->Identified(identity_);
  if (state_ != running) return ConnectOutcome::kInterrupted;
  const ExchangeResult model = Ask(command::Line(command::kAskModel));
  if (!model.Ok()) return stopped(ConnectOutcome::kNoReply);
  identity_.modelName = "LX" + model.reply;
  if (steps_ && !steps_->ReadMeterState()) return stopped(ConnectOutcome::kStateUnread);
  if (state_ != running) return ConnectOutcome::kInterrupted;
  StartBridge();
  if (steps_) steps_->Completed();
  return stopped(ConnectOutcome::kComplete);
}

void MeterSession::StartPoller(PortHandle port) {
  ++generation_;
  pollerNews_ = std::make_unique<PollerNews>(place_.owner, self_, generation_);
  poller_ = std::make_unique<TsmThread>(port, portNumber_, place_.link, place_.controls, place_.log,
                                        *pollerNews_);
  // A port that came back after a loss: until its return is logged, the log still says it is lost.
  if (state_ == SessionState::kReturning) poller_->HoldLossLog();
  poller_->Start();
}

// Joins the poller (its thread has ended, or was told to end at once) and lets it go.
void MeterSession::ReleasePoller() {
  if (!poller_) return;
  StopBridge();
  poller_->Join();
  poller_.reset();
  pollerNews_.reset();
  Tell([](SessionListener& listener) { listener.PollerReleased(); });
}

// A poller whose line is gone ends on its own; this lets it go without waiting for its news.
void MeterSession::DropPoller() {
  if (poller_) {
    poller_->Abandon();
    ReleasePoller();
  }
}

bool MeterSession::WaitForPollerGone() {
  return place_.owner.RunUntil([this] { return !poller_ || state_ == SessionState::kClosing; });
}

void MeterSession::OnPollerEnded(unsigned generation) {
  if (generation == generation_ && state_ != SessionState::kClosing) ReleasePoller();
}

// --- Disconnecting and closing ---

void MeterSession::Disconnect() {
  if (!Connected()) return;
  // A line that goes while the operator's disconnect runs (the cable pulled during "LOCal") ends
  // in the disconnected state like any other: nothing looks for the port afterwards.
  struct Disconnecting {
    bool& flag;
    explicit Disconnecting(bool& on) : flag(on) { flag = true; }
    ~Disconnecting() { flag = false; }
    Disconnecting(const Disconnecting&) = delete;
    Disconnecting& operator=(const Disconnecting&) = delete;
  } disconnecting(disconnecting_);
  ReturnLine(lease_.get(), LineBackReason::kDisconnect);
  StopBridge("the operator disconnected the meter");
  // A lost line is not looked for any more; its dead port gets no "LOCal" (the exchange on it
  // returns at once).
  portWatch_.reset();
  SendLocal();
  if (steps_) steps_->LocalSent();
  place_.controls.SetStopPolling(true);
  if (poller_ && !poller_->Started()) {
    ReleasePoller();  // its port never opened, so there is no thread to wait for
  } else if (!WaitForPollerGone()) {
    return;  // the owner's loop is quitting; the close shuts the poller down
  }
  if (state_ == SessionState::kClosing) return;
  lostSince_.reset();
  ChangeState(SessionState::kDisconnected);
}

// Back to the meter's own front panel, as the connection's last word: a poll waiting for the
// line meanwhile is not sent after it.
void MeterSession::SendLocal() {
  if (poller_) poller_->AskLast(command::Line(command::kLocal));
}

void MeterSession::Close(bool backToLocal) {
  if (state_ == SessionState::kClosing) return;
  ChangeState(SessionState::kClosing);
  ReturnLine(lease_.get(), LineBackReason::kClose);
  StopBridge("the panel closed");
  if (backToLocal) SendLocal();  // the reply is not examined
  portWatch_.reset();
  place_.controls.SetStopPolling(true);
  if (poller_) poller_->Abandon();
  // Prompt: an exchange on the wire was abandoned with the poller's read.
  StopBridge("the panel closed");
  ReleasePoller();
}

// --- The line lost and found again ---

void MeterSession::OnLineLost(unsigned generation) {
  if (disconnecting_ || generation != generation_ ||
      (state_ != SessionState::kConnected && state_ != SessionState::kConnecting)) {
    // An earlier poller's, or lost again while the sequence runs on the returned port: its next
    // question gets no answer, and the return comes to its end.
    return;
  }
  lostSince_ = std::chrono::system_clock::now();
  ReturnLine(lease_.get(), LineBackReason::kLineLost);
  // Whatever else holds the meter's line lets go of it here, as on disconnect.
  StopBridge("the meter's line was lost");
  ChangeState(SessionState::kLineLost);
  if (state_ == SessionState::kLineLost) LookForPort(kLookPeriod);
}

void MeterSession::LookForPort(std::chrono::milliseconds period) {
  OwnerLoop& owner = place_.owner;
  std::weak_ptr<MeterSession*> self = self_;
  // On the watch's thread: the session hears of it through the owner's loop, and a post that
  // finds the looking ended does nothing.
  portWatch_ = std::make_unique<PortReturnWatch>(
      portNumber_, place_.home, kMeterBaud, period, [&owner, self] {
        Post(owner, self, [](MeterSession& session) { session.OnPortReturned(); });
      });
}

void MeterSession::OnPortReturned() {
  if (state_ != SessionState::kLineLost || !portWatch_) return;
  const PortHandle port = portWatch_->TakePort();
  if (port == kInvalidPort) return;  // an earlier watch's post; this one is still looking
  portWatch_.reset();
  DropPoller();  // the lost poller's end may still be on its way; it has nothing left to do
  ChangeState(SessionState::kReturning);
  if (state_ != SessionState::kReturning) {
    ClosePort(port);
    return;
  }
  place_.controls.SetStopPolling(false);
  StartPoller(port);
  FinishReturn(RunConnectSequence());
}

void MeterSession::FinishReturn(ConnectOutcome outcome) {
  if (state_ != SessionState::kReturning) return;  // disconnected or closed meanwhile
  if (outcome == ConnectOutcome::kOtherMeter) {
    // Out of remote and back to the unconnected panel, as the operator's own disconnect does.
    const MeterIdentity lost = identity_;
    Disconnect();
    if (state_ == SessionState::kDisconnected) {
      Tell([found = otherMeter_, lost](SessionListener& listener) {
        listener.OtherMeterAnswered(found, lost);
      });
    }
    return;
  }
  if (!identified_ || !poller_ || poller_->LinkLost()) {
    // Gone again, or the port is there but the meter did not answer yet: keep looking.
    const bool silentMeter = poller_ && !poller_->LinkLost();
    StopBridge("the meter's line was lost");  // a sequence that ran to its end started it
    DropPoller();
    ChangeState(SessionState::kLineLost);
    if (state_ == SessionState::kLineLost) {
      LookForPort(silentMeter ? kSilentMeterLookPeriod : kLookPeriod);
    }
    return;
  }
  lostSince_.reset();
  ChangeState(SessionState::kConnected);
}

// --- The bridge ---

void MeterSession::SetBridgeListen(std::optional<ListenAddress> address, std::string problem) {
  bridgeListen_ = std::move(address);
  bridgeProblem_ = std::move(problem);
}

void MeterSession::StartBridge() {
  if (!bridgeListen_ || !poller_) return;
  if (!bridge_) {
    bridgeNews_ = std::make_unique<BridgeNews>(place_.owner, self_);
    bridge_ = std::make_unique<Bridge>(place_.link, place_.log, *bridgeNews_);
  }
  // The bridge is stopped and joined before the poller goes (ReleasePoller), so the poller
  // outlives every exchange made through it.
  TsmThread* poller = poller_.get();
  bridgeProblem_ = bridge_->Start(
      *bridgeListen_,
      [this, poller](const std::string& line) { return AskForClient(*poller, line).reply; },
      bridgeReplies_);
}

void MeterSession::StopBridge(std::string_view why) {
  if (bridge_) {
    bridge_->Stop(why);
    bridge_->Join();
  }
}

ExchangeResult MeterSession::AskForClient(TsmThread& poller, const std::string& commandLine) {
  clientGate_->WaitUntilFree();
  return poller.Ask(commandLine);
}

std::string MeterSession::BridgeListeningOn() const {
  return bridge_ ? bridge_->ListeningOn() : std::string();
}

int MeterSession::BridgeClients() const { return bridge_ ? bridge_->ClientCount() : 0; }

// --- A feature holding the line ---

std::unique_ptr<LineLease> MeterSession::TakeLine(LineHolder& holder) {
  if (state_ != SessionState::kConnected || lease_ || !poller_ || !poller_->Started()) {
    return nullptr;
  }
  lease_ = std::make_shared<LeaseShared>();
  lease_->poller = poller_.get();
  lease_->holder = &holder;
  std::weak_ptr<MeterSession*> self = self_;
  lease_->giveBack = [self, which = lease_.get()] {
    if (const std::shared_ptr<MeterSession*> session = self.lock()) {
      (*session)->ReturnLine(which, std::nullopt);
    }
  };
  place_.controls.SetLineHeld(true);
  clientGate_->Hold(true);
  Tell([](SessionListener& listener) { listener.LineTakenChanged(true); });
  return std::make_unique<LineLease>(lease_);
}

void MeterSession::TakeBackLine() { ReturnLine(lease_.get(), LineBackReason::kStopped); }

bool MeterSession::LineTaken() const { return lease_ != nullptr; }

void MeterSession::ReturnLine(const LeaseShared* which, std::optional<LineBackReason> why) {
  if (!lease_ || lease_.get() != which) return;
  const std::shared_ptr<LeaseShared> lease = std::move(lease_);
  lease_.reset();
  lease->Revoke(why == LineBackReason::kLineLost ? ExchangeStatus::kLineLost
                                                 : ExchangeStatus::kAbandoned);
  place_.controls.SetLineHeld(false);
  clientGate_->Hold(false);
  if (why) lease->holder->LineTakenBack(*why);
  Tell([](SessionListener& listener) { listener.LineTakenChanged(false); });
}

}  // namespace benchbridge
