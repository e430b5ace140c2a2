#include "panel_context.h"

#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <utility>

#include "meter_commands.h"
#include "qt_text.h"

namespace benchbridge {

namespace {

// LinkReady only ever waits for the first exchange of the process (at most one Query time
// limit), so a short look interval costs nothing and keeps the window responsive.
constexpr int kLinkReadyLookMs = 5;

}  // namespace

PanelContext::PanelContext(std::filesystem::path home)
    : home_(std::move(home)), log_(home_ / "log") {}

void PanelContext::WaitLinkReady() {
  while (!shuttingDown_ && poller_ != nullptr && !link_.LinkReady()) {
    QEventLoop loop;
    QTimer::singleShot(kLinkReadyLookMs, &loop, &QEventLoop::quit);
    // -1: the application is quitting and every event loop returns at once; waiting on would spin.
    if (loop.exec() < 0) {
      return;
    }
  }
}

std::string PanelContext::Send(const std::string& command) {
  WaitLinkReady();
  return SendWithoutWait(command);
}

std::string PanelContext::SendWithoutWait(const std::string& command) {
  // The wait above processes events: the poller may have gone or shutdown begun meanwhile.
  if (shuttingDown_ || poller_ == nullptr) {
    state_.replyText.clear();
    return {};
  }
  state_.replyText = poller_->Query(command + "\n");
  return state_.replyText;
}

std::optional<std::string> PanelContext::Ask(const std::string& command) {
  WaitLinkReady();
  return AskWithoutWait(command);
}

std::optional<std::string> PanelContext::AskWithoutWait(const std::string& command) {
  std::string reply = SendWithoutWait(command);
  if (reply.empty() || shuttingDown_ || LineLost()) {
    return std::nullopt;
  }
  return reply;
}

bool PanelContext::Tell(const std::string& command) {
  if (LineLost()) return false;
  Send(command);
  // A line lost in the exchange: the meter may or may not have the setting, and the panel shows
  // nothing of it; after the return the panel and the meter are brought together again.
  return !shuttingDown_ && !LineLost();
}

bool PanelContext::LineLost() const {
  return (poller_ != nullptr && poller_->LinkLost()) || (panel_ != nullptr && panel_->LineLost());
}

void PanelContext::AddLineBackListener(LineBackListener* listener) {
  lineBackListeners_.push_back(listener);
}

void PanelContext::RemoveLineBackListener(LineBackListener* listener) {
  std::erase(lineBackListeners_, listener);
}

void PanelContext::TellLineBack() {
  // A copy: a listener may go (its dialog closed) while another is told.
  const std::vector<LineBackListener*> listeners = lineBackListeners_;
  for (LineBackListener* listener : listeners) {
    if (std::find(lineBackListeners_.begin(), lineBackListeners_.end(), listener) !=
        lineBackListeners_.end()) {
      listener->LineBack();
    }
  }
}

void PanelContext::SetBinQuery(bool on) {
  if (poller_ != nullptr) {
    poller_->SetBinQuery(on ? command::Line(command::kAskBin) : "");
  }
}

void PanelContext::SetStatQuery(bool on) {
  if (poller_ != nullptr) {
    poller_->SetStatQuery(on ? command::Line(command::kAskStatisticValue) : "");
  }
}

QString PanelContext::Pick(const char* chinese, const char* english) const {
  return ToQt(state_.uiLanguage == UiLanguage::Chinese ? chinese : english);
}

void PanelContext::BeginShutdown() {
  shuttingDown_ = true;
  log_.Shutdown();
}

}  // namespace benchbridge
