#pragma once
// A scripted instrument on a real pseudo-terminal, for tests. It links itself as
// <home>/ports/com<n> (so COM<n> of that home reaches it), records every command line it
// receives and answers from the test's script. Scripts and observations are thread-safe; the
// waits block on a condition variable with a limit, never on fixed sleeps.
//
//   TempHome home;
//   FakeInstrument meter(home);
//   meter.Reply("*IDN?", "LCR,4090,V1.0,123");
//   meter.Respond("FETCH:INT?", Pieces({{"Cs,1.2nF", 0ms}, {",D,0.01\r\n", 50ms}}));
//   ... talk to COM1 ...
//   EXPECT_TRUE(meter.WaitForCommand("SYSTem:LOCal", 2s));

#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pty_server.h"

namespace benchbridge::testing {

using sim::Response;
using sim::ResponsePiece;

// Builders for what the fake sends back.
Response ReplyLine(std::string_view utf8Text);  // GBK of the text + CR LF
Response RawBytes(std::string bytes);           // exactly these bytes, at once
Response Pieces(std::vector<ResponsePiece> pieces);
Response Delayed(Response response, std::chrono::milliseconds delay);  // quiet before it
Response ThenHangUp(Response response);                                // hang up once it is out
Response HangUpInstead();                                              // hang up without answering
inline Response Silence() { return Response::Silence(); }

struct FakeOptions {
  int comNumber = 1;
  int pacingBaud = 0;                              // 0: replies go out at once
  std::chrono::microseconds readPause{0};          // > 0: a slow reader (see PtyEndpoint)
  std::size_t lineLimit = std::size_t{64} * 1024;  // longer command lines are cut
};

class FakeInstrument {
 public:
  // Dynamic script: consulted first; nullopt falls through to the fixed script.
  using Script = std::function<std::optional<Response>(const std::string& command)>;

  explicit FakeInstrument(const std::filesystem::path& home, FakeOptions options = {});
  ~FakeInstrument();
  FakeInstrument(const FakeInstrument&) = delete;
  FakeInstrument& operator=(const FakeInstrument&) = delete;

  // The script. Commands are matched exactly, without their "\n", as UTF-8.
  void Reply(const std::string& command, std::string_view utf8Text);
  void Respond(const std::string& command, Response response);
  // One response per arrival of the command, in order; afterwards the fixed reply (if any) or
  // the default answers again.
  void RespondInTurn(const std::string& command, std::vector<Response> responses);
  void SetDefault(Response response);  // for unscripted commands; silence unless set
  void SetScript(Script script);

  // Out of turn: a late reply, garbage, a pulled cable.
  bool Inject(const std::string& bytes);
  bool InjectLine(std::string_view utf8Text);
  void HangUp();
  bool HungUp() const { return server_->HungUp(); }

  // What arrived so far, oldest first, as UTF-8 without "\n".
  std::vector<std::string> Commands() const;
  std::size_t CommandCount() const;
  std::size_t CountOf(const std::string& command) const;
  void ClearCommands();
  bool WaitForCommandCount(std::size_t count, std::chrono::milliseconds limit) const;
  bool WaitForCommand(const std::string& command, std::chrono::milliseconds limit,
                      std::size_t occurrences = 1) const;
  // Replies whose last byte has gone out (injected bytes do not count).
  std::size_t ReplyCount() const;
  bool WaitForReplyCount(std::size_t count, std::chrono::milliseconds limit) const;

  int ComNumber() const { return comNumber_; }
  std::string PortName() const { return "COM" + std::to_string(comNumber_); }
  const std::filesystem::path& LinkPath() const;
  sim::PtyServer& Server() { return *server_; }

 private:
  Response Answer(const std::string& gbkCommand);

  int comNumber_;
  mutable std::mutex mutex_;
  mutable std::condition_variable arrived_;
  std::vector<std::string> commands_;
  std::size_t replies_ = 0;
  std::map<std::string, Response> fixed_;
  std::map<std::string, std::deque<Response>> inTurn_;
  Response default_;
  Script script_;
  std::unique_ptr<sim::PtyServer> server_;  // last: its thread stops before the script goes
};

}  // namespace benchbridge::testing
