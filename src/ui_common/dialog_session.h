#pragma once
// How a dialog handler talks to the meter. A session lives on the handler's stack: events
// processed while it waits for LinkReady (or on purpose between steps) may close the dialog, or
// even destroy it, and from then on the handler must leave at once without touching it.

#include <QDialog>
#include <QPointer>
#include <optional>
#include <string>

#include "panel_context.h"

namespace benchbridge {

class DialogSession {
 public:
  DialogSession(PanelContext& context, QDialog* dialog);

  // The dialog still exists and is open, and the program is not shutting down.
  bool Open() const;

  // Sends with the caller convention. nullopt when the dialog closed or went meanwhile (then
  // nothing more is to be sent); otherwise the reply, empty for no answer.
  std::optional<std::string> Send(const std::string& command);

  // Processes pending events; false when the dialog closed or went meanwhile.
  bool ProcessEvents();

 private:
  PanelContext& context_;
  QPointer<QDialog> dialog_;
};

}  // namespace benchbridge
