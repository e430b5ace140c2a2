// The poller's life as the panel sees it (created on connect, released when its thread has
// ended) and its texts on the display.

#include <QEventLoop>
#include <utility>

#include "fit_label.h"
#include "qt_text.h"
#include "uFrmMain.h"

namespace benchbridge {

void TFrmMain::StartPoller() {
  if (!poller_) {
    ++pollerGeneration_;
    PollerDisplay& display = *this;
    sink_ = std::make_unique<QueuedPollerSink>(this, display, pollerGeneration_);
    // A port that came back after a loss was opened already, by the look for it.
    poller_ = returnedPort_ != kInvalidPort
                  ? std::make_unique<TsmThread>(std::exchange(returnedPort_, kInvalidPort),
                                                context_.State().portNumber, context_.Link(),
                                                context_.Controls(), context_.Log(), *sink_)
                  : std::make_unique<TsmThread>(context_.State().portNumber,
                                                context_.Folders().config, context_.Link(),
                                                context_.Controls(), context_.Log(), *sink_);
    context_.SetPoller(poller_.get());
  }
  // A poller whose port did not open is kept unstarted: every command on it fails at once.
  if (poller_->PortOpen() && !poller_->Started()) {
    poller_->Start();
  }
}

// Joins the poller (its thread has ended, or was told to end at once) and lets it go; whoever
// waits for that is woken.
void TFrmMain::ReleasePoller() {
  if (poller_) {
    poller_->Join();
  }
  context_.SetPoller(nullptr);
  poller_.reset();
  sink_.reset();
  if (pollerGoneWait_ != nullptr) {
    pollerGoneWait_->quit();
  }
  if (!context_.ShuttingDown()) {
    TrendGap();
    emit PollerGone();
  }
}

void TFrmMain::WaitForPollerGone() {
  while (poller_ && !context_.ShuttingDown()) {
    QEventLoop loop;
    pollerGoneWait_ = &loop;
    const int result = loop.exec();
    pollerGoneWait_ = nullptr;
    if (result < 0) {
      return;  // the application is quitting; the close shuts the poller down
    }
  }
}

void TFrmMain::DisplayReading(const Reading& reading) {
  if (context_.ShuttingDown()) {
    return;
  }
  LLs1->setText(ToQt(reading.primaryName) + QLatin1Char(':'));
  LLs2->setText(ToQt(reading.primaryValue));
  LLs3->setText(ToQt(reading.primaryUnit));
  LLs4->setText(ToQt(reading.secondaryName) + QLatin1Char(':'));
  LLs5->setText(ToQt(reading.secondaryValue));
  LLs6->setText(ToQt(reading.secondaryUnit));
  TrendReading(reading);
  emit ReadingDisplayed();
}

void TFrmMain::DisplayBin(const std::string& text) {
  if (!context_.ShuttingDown()) {
    lls7->setText(ToQt(text));
    TrendBin(text);
  }
}

void TFrmMain::DisplayStat(const std::string& text) {
  if (!context_.ShuttingDown()) {
    bb4->setText(ToQt(text));
  }
}

void TFrmMain::PollerFinished(unsigned generation) {
  // Only the current poller's end counts; after shutdown the poller was joined already.
  if (context_.ShuttingDown() || !poller_ || generation != pollerGeneration_) {
    return;
  }
  ReleasePoller();
}

}  // namespace benchbridge
