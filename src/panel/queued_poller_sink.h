#pragma once
// The poller's texts cross to the user-interface thread here. The poller thread only posts and
// returns; it never waits for a repaint. A display that has been destroyed gets nothing (Qt
// drops the posted calls of a deleted receiver).

#include <QObject>
#include <QPointer>
#include <string>

#include "mythread.h"

namespace benchbridge {

// What the window does with the poller's texts, on the user-interface thread.
class PollerDisplay {
 public:
  virtual ~PollerDisplay() = default;
  virtual void DisplayReading(const Reading& reading) = 0;
  virtual void DisplayBin(const std::string& text) = 0;
  virtual void DisplayStat(const std::string& text) = 0;
  virtual void ReadingRejected() = 0;
  // generation: the one the sink was made with, so the end of an earlier poller is told apart.
  virtual void PollerFinished(unsigned generation) = 0;
};

class QueuedPollerSink : public PollerSink {
 public:
  // receiver lives on the user-interface thread and owns display (normally both are the window).
  QueuedPollerSink(QObject* receiver, PollerDisplay& display, unsigned generation);

  void ShowReading(const Reading& reading) override;
  void ShowBin(const std::string& text) override;
  void ShowStat(const std::string& text) override;
  void PollerEnded() override;
  void ReadingRejected() override;

 private:
  template <typename Call>
  void Post(Call call);

  QPointer<QObject> receiver_;
  PollerDisplay& display_;
  unsigned generation_;
};

}  // namespace benchbridge
