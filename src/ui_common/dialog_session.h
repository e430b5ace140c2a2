#pragma once
// How a dialog handler talks to the meter. A session lives on the handler's stack: events
// processed while it waits for LinkReady (or on purpose between steps) may close the dialog, or
// even destroy it, and from then on the handler must leave at once without touching it.

#include <QDialog>
#include <QPointer>
#include <functional>
#include <optional>
#include <string>

#include "panel_context.h"

namespace benchbridge {

class DialogSession {
 public:
  DialogSession(PanelContext& context, QDialog* dialog);

  // The dialog still exists and is open, and the program is not shutting down.
  bool Open() const;

  // Sends with the caller convention. nullopt when the dialog closed or went meanwhile, or when
  // the line is lost (before the command, or during its exchange: whether the meter got it is
  // unknown): then nothing more is to be sent, and nothing is to be shown as done. Otherwise the
  // reply, empty for no answer.
  std::optional<std::string> Send(const std::string& command);

  // For the operator's own actions: while the line is lost, tells the operator that nothing was
  // sent and returns true; the action then ends without sending.
  bool RefusedWhileLineLost();

  // Processes pending events; false when the dialog closed or went meanwhile.
  bool ProcessEvents();

 private:
  PanelContext& context_;
  QPointer<QDialog> dialog_;
};

// Held by a dialog: each time the lost meter is back, runs readAgain from the dialog's own event
// loop (never inside the panel's return), so the dialog shows what the meter has now and never
// sends what it had no chance to read.
class ReadAgainWhenLineBack : public LineBackListener {
 public:
  ReadAgainWhenLineBack(PanelContext& context, QDialog* dialog, std::function<void()> readAgain);
  ~ReadAgainWhenLineBack() override;
  ReadAgainWhenLineBack(const ReadAgainWhenLineBack&) = delete;
  ReadAgainWhenLineBack& operator=(const ReadAgainWhenLineBack&) = delete;

  void LineBack() override;

 private:
  PanelContext& context_;
  QPointer<QDialog> dialog_;
  std::function<void()> readAgain_;
};

}  // namespace benchbridge
