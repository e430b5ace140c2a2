// The keys that open the comparator and the system settings dialogs. The panel lock stays
// taken while the dialog is open; the poller keeps polling (a hold ends first).

#include <QPushButton>

#include "modal_dialog.h"
#include "uFrmComp.h"
#include "uFrmMain.h"
#include "uFrmSetup.h"

namespace benchbridge {

void TFrmMain::WireDialogKeys() {
  connect(rbtn8, &QPushButton::clicked, this, [this] { rbtn8Click(); });
  connect(rbtn9, &QPushButton::clicked, this, [this] { rbtn9Click(); });
}

void TFrmMain::rbtn9Click() {
  // The key is usable only while connected, so the connection is not asked here.
  RunUnderPanelLock([this] {
    context_.Controls().SetPollPaused(false);
    ModalDialog<TFrmComp> dialog(context_, this);
    dialog.Exec();
    if (dialog) TrendComparator(*dialog.Get());
  });
}

void TFrmMain::rbtn8Click() {
  RunKeyHandler([this] {
    context_.WaitLinkReady();
    if (context_.ShuttingDown()) {
      return;  // the window closed during the wait
    }
    ModalDialog<TFrmSetup> dialog(context_, this);
    dialog.Exec();
  });
}

}  // namespace benchbridge
