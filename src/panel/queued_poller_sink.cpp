#include "queued_poller_sink.h"

#include <QMetaObject>
#include <utility>

namespace benchbridge {

QueuedPollerSink::QueuedPollerSink(QObject* receiver, PollerDisplay& display, unsigned generation)
    : receiver_(receiver), display_(display), generation_(generation) {}

template <typename Call>
void QueuedPollerSink::Post(Call call) {
  // The window joins the poller before it is destroyed, so the receiver cannot go away while a
  // post is under way; the pointer check covers a sink that outlived its window.
  if (QObject* receiver = receiver_.data()) {
    QMetaObject::invokeMethod(receiver, std::move(call), Qt::QueuedConnection);
  }
}

void QueuedPollerSink::ShowReading(const Reading& reading) {
  Post([&display = display_, reading] { display.DisplayReading(reading); });
}

void QueuedPollerSink::ShowBin(const std::string& text) {
  Post([&display = display_, text] { display.DisplayBin(text); });
}

void QueuedPollerSink::ShowStat(const std::string& text) {
  Post([&display = display_, text] { display.DisplayStat(text); });
}

void QueuedPollerSink::ReadingRejected() {
  Post([&display = display_] { display.ReadingRejected(); });
}

void QueuedPollerSink::PollerEnded() {
  Post([&display = display_, generation = generation_] { display.PollerFinished(generation); });
}

}  // namespace benchbridge
