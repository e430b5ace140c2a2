#include "pty_server.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>
#include <stdexcept>

#include "fd_wait.h"

namespace benchbridge::sim {

namespace {
constexpr std::chrono::milliseconds kNoLimit{-1};
constexpr int kBitsPerByte = 10;  // start bit, 8 data bits, stop bit
// The server whose thread this is, so that a responder asking for a hang-up is not made to
// wait for its own thread.
thread_local const PtyServer* servedHere = nullptr;
}  // namespace

Response Response::Line(std::string text) {
  Response response;
  response.pieces.push_back({std::move(text) + "\r\n", std::chrono::milliseconds(0)});
  return response;
}

PtyServer::PtyServer(std::unique_ptr<PtyEndpoint> endpoint, Responder responder,
                     PtyServerOptions options)
    : endpoint_(std::move(endpoint)),
      responder_(std::move(responder)),
      options_(std::move(options)) {
  if (!endpoint_) throw std::invalid_argument("PtyServer needs an endpoint");
  wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wakeFd_ < 0) throw std::runtime_error("PtyServer: eventfd failed");
}

PtyServer::~PtyServer() {
  Stop();
  close(wakeFd_);
}

void PtyServer::Start() {
  if (thread_.joinable() || stopping_) return;
  thread_ = std::thread([this] { Run(); });
}

void PtyServer::Stop() {
  stopping_ = true;
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = write(wakeFd_, &one, sizeof one);
  if (thread_.joinable()) thread_.join();
}

bool PtyServer::Inject(const std::string& bytes) {
  std::lock_guard guard(mutex_);
  return endpoint_->Write(bytes, wakeFd_);
}

void PtyServer::HangUp() {
  if (servedHere == this) {  // from inside a responder
    DoHangUp();
    return;
  }
  if (!thread_.joinable() || stopping_) {
    std::lock_guard guard(mutex_);
    endpoint_->HangUp();
    return;
  }
  // The server thread owns the reading side of the master, so it is the one that closes it.
  std::unique_lock guard(mutex_);
  hangUpWanted_ = true;
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = write(wakeFd_, &one, sizeof one);
  hungUp_.wait(guard, [&] { return endpoint_->HungUp(); });
}

bool PtyServer::HungUp() const {
  std::lock_guard guard(mutex_);
  return endpoint_->HungUp();
}

bool PtyServer::WaitHungUp(std::chrono::milliseconds limit) const {
  std::unique_lock guard(mutex_);
  return hungUp_.wait_for(guard, limit, [&] { return endpoint_->HungUp(); });
}

std::vector<TranscriptEntry> PtyServer::Transcript() const {
  std::lock_guard guard(mutex_);
  return {transcript_.begin(), transcript_.end()};
}

bool PtyServer::Interrupted() const { return stopping_ || hangUpWanted_; }

void PtyServer::DoHangUp() {
  {
    std::lock_guard guard(mutex_);
    endpoint_->HangUp();
    hangUpWanted_ = false;
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t got = read(wakeFd_, &count, sizeof count);
  }
  hungUp_.notify_all();
}

void PtyServer::Run() {
  servedHere = this;
  while (!stopping_) {
    if (hangUpWanted_) {
      DoHangUp();
      continue;
    }
    if (endpoint_->HungUp()) {
      // A dead line has nothing to serve; sleep until Stop (or another HangUp) wakes us.
      WaitFd(-1, 0, wakeFd_, kNoLimit);
      if (hangUpWanted_) DoHangUp();
      continue;
    }
    const auto line = endpoint_->ReadLine(kNoLimit, wakeFd_);
    if (line) {
      Serve(*line);
    } else if (!Interrupted()) {
      DoHangUp();  // the master failed under us: treat it as a pulled cable rather than retry
    }
  }
}

void PtyServer::Serve(const std::string& command) {
  Record(TranscriptEntry::Kind::Command, command);
  Response response;
  try {
    response = responder_(command);
  } catch (...) {
    response = Response::Silence();  // a broken script must not take the server thread down
  }
  std::string sent;
  bool whole = true;
  for (const auto& piece : response.pieces) {
    if (!Send(piece)) {
      whole = false;
      break;
    }
    sent += piece.bytes;
  }
  if (whole && !sent.empty()) Record(TranscriptEntry::Kind::Reply, std::move(sent));
  if (whole && response.hangUpAfter) DoHangUp();
}

bool PtyServer::Send(const ResponsePiece& piece) {
  if (piece.delayBefore.count() > 0 && WaitFd(-1, 0, wakeFd_, piece.delayBefore) == FdWait::Woken &&
      Interrupted()) {
    return false;
  }
  if (options_.pacingBaud <= 0) {
    std::lock_guard guard(mutex_);
    return endpoint_->Write(piece.bytes, wakeFd_);
  }
  // Absolute deadlines, so the time spent writing does not add up over a long reply.
  using Clock = std::chrono::steady_clock;
  const auto byteTime =
      std::chrono::nanoseconds(1'000'000'000LL * kBitsPerByte / options_.pacingBaud);
  const auto start = Clock::now();
  for (std::size_t i = 0; i < piece.bytes.size(); ++i) {
    const auto due = start + byteTime * static_cast<std::int64_t>(i + 1);
    const auto now = Clock::now();
    if (due > now && WaitFd(-1, 0, wakeFd_, due - now) == FdWait::Woken && Interrupted()) {
      return false;
    }
    std::lock_guard guard(mutex_);
    if (!endpoint_->Write(std::string_view(piece.bytes).substr(i, 1), wakeFd_)) return false;
  }
  return true;
}

void PtyServer::Record(TranscriptEntry::Kind kind, std::string bytes) {
  TranscriptEntry entry{kind, std::chrono::system_clock::now(), std::move(bytes)};
  {
    std::lock_guard guard(mutex_);
    transcript_.push_back(entry);
    while (transcript_.size() > options_.transcriptLimit) transcript_.pop_front();
  }
  if (options_.onTranscript) options_.onTranscript(entry);
}

}  // namespace benchbridge::sim
