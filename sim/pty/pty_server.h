#pragma once
// Serves a PtyEndpoint on a thread of its own: reads command lines, asks a Responder what to send
// back, sends it (optionally paced like a 9600 baud line), and records a transcript.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "pty_endpoint.h"

namespace benchbridge::sim {

struct ResponsePiece {
  std::string bytes;                         // sent as they are (GBK on the wire)
  std::chrono::milliseconds delayBefore{0};  // quiet time before this piece
};

struct Response {
  std::vector<ResponsePiece> pieces;       // no pieces: silence
  bool hangUpAfter = false;                // close the line once the pieces are out
  static Response Line(std::string text);  // text + "\r\n", at once
  static Response Silence() { return {}; }
};

// Gets each command line without its "\n", as received (GBK bytes).
using Responder = std::function<Response(const std::string& command)>;

struct TranscriptEntry {
  enum class Kind { Command, Reply } kind;
  std::chrono::system_clock::time_point when;  // reply: when its last byte went out
  std::string bytes;
};

struct PtyServerOptions {
  int pacingBaud = 0;  // 0: write at once; else 10 bits per byte at this rate
  std::function<void(const TranscriptEntry&)> onTranscript;  // called on the server thread
  // Entries kept by Transcript(); the oldest go first. onTranscript sees every one.
  std::size_t transcriptLimit = 4096;
};

class PtyServer {
 public:
  PtyServer(std::unique_ptr<PtyEndpoint> endpoint, Responder responder,
            PtyServerOptions options = {});
  ~PtyServer();  // Stop()
  void Start();
  void Stop();  // prompt, also in the middle of a delayed reply

  PtyEndpoint& Endpoint() { return *endpoint_; }
  // Writes bytes out of turn (for tests: a late reply, garbage), from any thread. False once
  // hung up.
  bool Inject(const std::string& bytes);
  // Closes the line now (also in the middle of a reply) and returns once it is closed. Start,
  // Stop and HangUp belong to one controlling thread (HangUp may also come from a responder).
  void HangUp();
  bool HungUp() const;  // from any thread (Endpoint().HungUp() only on the server thread)
  // Waits until the line is closed (by a response that hangs up, or HangUp) or the limit passes;
  // true when it is closed.
  bool WaitHungUp(std::chrono::milliseconds limit) const;

  // The last transcriptLimit commands received and replies sent whole, oldest first.
  std::vector<TranscriptEntry> Transcript() const;

 private:
  void Run();
  void Serve(const std::string& command);
  bool Send(const ResponsePiece& piece);  // false when stopping or hung up
  bool Interrupted() const;               // Stop() or HangUp() asked for
  void DoHangUp();
  void Record(TranscriptEntry::Kind kind, std::string bytes);

  std::unique_ptr<PtyEndpoint> endpoint_;
  Responder responder_;
  PtyServerOptions options_;
  std::atomic<bool> stopping_{false};
  std::atomic<bool> hangUpWanted_{false};
  mutable std::mutex mutex_;  // endpoint writes, hang-up and transcript
  mutable std::condition_variable hungUp_;
  std::deque<TranscriptEntry> transcript_;
  std::thread thread_;
  int wakeFd_ = -1;
};

}  // namespace benchbridge::sim
