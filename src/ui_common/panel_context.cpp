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

PanelContext::PanelContext(HomeFolders folders)
    : folders_(std::move(folders)), log_(folders_.LogDir()) {}

void PanelContext::WaitLinkReady() {
  while (!shuttingDown_ && Poller() != nullptr && !link_.LinkReady()) {
    QEventLoop loop;
    QTimer::singleShot(kLinkReadyLookMs, &loop, &QEventLoop::quit);
    // -1: the application is quitting and every event loop returns at once; waiting on would spin.
    if (loop.exec() < 0) {
      return;
    }
  }
}

ExchangeResult PanelContext::Exchange(const std::string& command) {
  WaitLinkReady();
  // The wait processes events: the poller may have gone or shutdown begun meanwhile.
  ExchangeResult result;
  if (!shuttingDown_ && session_ != nullptr) {
    result = session_->Ask(command + "\n");
  }
  state_.replyText = result.reply;
  return result;
}

std::string PanelContext::SendWithoutWait(const std::string& command) {
  if (shuttingDown_ || session_ == nullptr) {
    state_.replyText.clear();
    return {};
  }
  state_.replyText = session_->Query(command + "\n");
  return state_.replyText;
}

std::optional<std::string> PanelContext::Ask(const std::string& command) {
  ExchangeResult result = Exchange(command);
  if (!result.Ok() || shuttingDown_) {
    return std::nullopt;
  }
  return std::move(result.reply);
}

bool PanelContext::Tell(const std::string& command) {
  if (LineLost()) return false;
  const ExchangeResult result = Exchange(command);
  // A line lost in the exchange: the meter may or may not have the setting, and the panel shows
  // nothing of it; after the return the panel and the meter are brought together again.
  return !shuttingDown_ && result.status != ExchangeStatus::kLineLost && !LineLost();
}

bool PanelContext::LineLost() const {
  // While the meter is returning the line is there again: the return's questions must go out.
  const TsmThread* poller = Poller();
  return (session_ != nullptr && session_->State() == SessionState::kLineLost) ||
         (poller != nullptr && poller->LinkLost());
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
  if (TsmThread* poller = Poller()) {
    poller->SetBinQuery(on ? command::Line(command::kAskBin) : "");
  }
}

void PanelContext::SetStatQuery(bool on) {
  if (TsmThread* poller = Poller()) {
    poller->SetStatQuery(on ? command::Line(command::kAskStatisticValue) : "");
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
