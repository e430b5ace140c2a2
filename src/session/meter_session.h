#pragma once
// MeterSession, the one owner of the connection to the meter: the port and the poller on it, the
// network bridge, the watch for a port that went away, and the session's state. Every change of
// state happens here, on the owner's thread, and is told once to every listener. Plain C++: the
// panel renders what it is told; a tool or a test drives it with a TaskQueue.
//
//   Disconnected --Connect--> Connecting --sequence ends--> Connected
//   Connected --line lost--> LineLost --port back--> Returning --same meter--> Connected
//   Returning --gone again / meter silent--> LineLost;  --other meter--> Disconnected
//   Connecting/Connected/LineLost/Returning --Disconnect--> Disconnected;  any --Close--> Closing

#include <chrono>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "channel_lock.h"
#include "client_command.h"
#include "exchange_result.h"
#include "line_lease.h"
#include "listen_address.h"
#include "log_writer.h"
#include "meter_identity.h"
#include "mythread.h"
#include "owner_loop.h"
#include "poller_controls.h"
#include "port_open_failure.h"
#include "port_return_watch.h"
#include "session_listener.h"
#include "session_state.h"

namespace benchbridge {

class Bridge;

// The owner's share of the connect and disconnect sequences, called on the owner's thread
// between the session's own steps.
class ConnectSteps {
 public:
  virtual ~ConnectSteps() = default;
  virtual void RemoteAnswered() {}                            // the meter is in remote
  virtual void Identified(const MeterIdentity& /*meter*/) {}  // "*IDN?" answered completely
  // After "*LX?": the meter's state as the owner mirrors it. False when it stopped at a missing
  // reply.
  virtual bool ReadMeterState() { return true; }
  // Every step answered and the bridge started where asked for (see BridgeProblem).
  virtual void Completed() {}
  // Disconnect: "LOCal" was sent (or there was no line for it); the poller is ended next.
  virtual void LocalSent() {}
};

enum class ConnectOutcome {
  kComplete,            // every step answered; the bridge was started if asked for
  kPortNotOpened,       // the port did not open (OpenFailure says why): nothing started or sent
  kNoReply,             // a step of the session's own got no reply
  kIncompleteIdentity,  // "*IDN?" had fewer than five fields
  kOtherMeter,          // on a returned port, not the meter that was lost
  kStateUnread,         // the owner's ReadMeterState stopped
  kInterrupted,         // the line was lost, or disconnect or close came, meanwhile
};

struct SessionPlace {
  std::filesystem::path home;  // where ports/ and the port table are looked up
  LinkShared& link;
  PollerControls& controls;
  LogWriter& log;
  OwnerLoop& owner;
};

class MeterSession {
 public:
  explicit MeterSession(SessionPlace place, ConnectSteps* steps = nullptr);
  // Closes without sending anything (as Close(false)) if not closed yet.
  ~MeterSession();
  MeterSession(const MeterSession&) = delete;
  MeterSession& operator=(const MeterSession&) = delete;

  SessionState State() const { return state_; }
  // Connecting, connected, line lost or returning: the operator's connection stands.
  bool Connected() const;
  void AddListener(SessionListener* listener);
  void RemoveListener(SessionListener* listener);

  // --- The connection; owner's thread only ---
  // The whole connect sequence on COM<portNumber>, from kDisconnected. Ends in kConnected unless
  // the port did not open (then the state stays kDisconnected), or the line was lost or
  // disconnect or close came meanwhile.
  ConnectOutcome Connect(int portNumber);
  // Why the last Connect found the port closed to it; nullopt when it opened.
  const std::optional<PortOpenFailure>& OpenFailure() const { return openFailure_; }
  // Out of remote ("LOCal", not on a lost line) and the poller ended: kDisconnected. Waits for
  // the poller through the owner's loop.
  void Disconnect();
  // backToLocal: "LOCal" first, when a poller is there. Then the poller, the bridge and the watch
  // stop at once (a read in flight is abandoned): kClosing, for good.
  void Close(bool backToLocal);

  // --- Exchanges ---
  // The owner's exchange on the poller's line (commandLine ends in "\n"); kNoLine without a
  // poller, while a feature holds the line, or once closing.
  ExchangeResult Ask(const std::string& commandLine);
  std::string Query(const std::string& commandLine) { return Ask(commandLine).reply; }
  // The current poller (null when none); for its extra queries and its flags.
  TsmThread* Poller() const { return poller_.get(); }

  // --- Who is connected ---
  // The meter that answered the connect sequence (kept while the line is lost).
  const MeterIdentity& Identity() const { return identity_; }
  // Since when the line is lost (kLineLost, kReturning).
  std::optional<std::chrono::system_clock::time_point> LostSince() const { return lostSince_; }

  // --- The bridge ---
  // Where it listens from the next complete connect sequence on; nullopt: off (problem: why,
  // when it was asked for but the address is no address).
  void SetBridgeListen(std::optional<ListenAddress> address, std::string problem = {});
  const std::optional<ListenAddress>& BridgeListen() const { return bridgeListen_; }
  // How it answers its clients from the next start on.
  void SetBridgeReplies(ReplyMode mode) { bridgeReplies_ = mode; }
  // Why the last start left it off although asked for; empty when it listens or is not asked for.
  const std::string& BridgeProblem() const { return bridgeProblem_; }
  std::string BridgeListeningOn() const;
  int BridgeClients() const;

  // --- A feature holding the line ---
  // Only while kConnected and nobody holds it: the poller stops polling and the bridge's clients
  // wait until the lease is given or taken back. Null otherwise.
  std::unique_ptr<LineLease> TakeLine(LineHolder& holder);
  // The owner stops the feature: the line comes back, the holder is told kStopped.
  void TakeBackLine();
  bool LineTaken() const;

 private:
  class PollerNews;
  class BridgeNews;

  class ClientGate;
  using Task = std::function<void(MeterSession&)>;

  // Runs task on the owner's thread, unless the session is gone by then (any thread).
  static void Post(OwnerLoop& owner, const std::weak_ptr<MeterSession*>& self, Task task);
  void ChangeState(SessionState to);
  void Tell(std::function<void(SessionListener&)> call);
  ConnectOutcome RunConnectSequence();
  ConnectOutcome Interrupted(SessionState expected) const;
  void StartPoller(PortHandle port);  // opened by Connect or by the look for its return
  void ReleasePoller();
  void DropPoller();
  bool WaitForPollerGone();
  void StartBridge();
  // why: the clients' disconnect reason in the bridge log.
  void StopBridge(std::string_view why = "the bridge stopped");
  void OnLineLost(unsigned generation);
  void OnPollerEnded(unsigned generation);
  void SendLocal();
  void OnPortReturned();
  void FinishReturn(ConnectOutcome outcome);
  void LookForPort(std::chrono::milliseconds period);
  void ReturnLine(const LeaseShared* which, std::optional<LineBackReason> why);
  ExchangeResult AskForClient(TsmThread& poller, const std::string& commandLine);

  SessionPlace place_;
  ConnectSteps* steps_;
  std::shared_ptr<MeterSession*> self_;  // what posted tasks hold; gone with the session
  SessionState state_ = SessionState::kDisconnected;
  std::vector<SessionListener*> listeners_;
  std::deque<std::function<void(SessionListener&)>> untold_;  // in order, while telling
  bool telling_ = false;
  int portNumber_ = 0;
  std::optional<PortOpenFailure> openFailure_;

  unsigned generation_ = 0;  // of the current poller, so an earlier one's news is told apart
  std::unique_ptr<PollerNews> pollerNews_;
  std::unique_ptr<TsmThread> poller_;

  MeterIdentity identity_;
  MeterIdentity otherMeter_;  // what answered on a returned port instead
  bool identified_ = false;   // the running sequence accepted "*IDN?"
  std::optional<std::chrono::system_clock::time_point> lostSince_;
  bool disconnecting_ = false;  // Disconnect runs: a loss it meets is part of it
  std::unique_ptr<PortReturnWatch> portWatch_;

  std::optional<ListenAddress> bridgeListen_;
  ReplyMode bridgeReplies_ = ReplyMode::kInstrument;
  std::string bridgeProblem_;
  std::unique_ptr<BridgeNews> bridgeNews_;
  std::unique_ptr<Bridge> bridge_;

  std::shared_ptr<LeaseShared> lease_;  // while a feature holds the line
  std::unique_ptr<ClientGate> clientGate_;
};

}  // namespace benchbridge
