// benchbridge: the desktop front panel of the bench LCR meter. No command-line options; the
// program's folder holds Set.ini, vista.ttf, log/ and ports/.

#include <QApplication>
#include <filesystem>

#include "process_setup.h"
#include "qt_text.h"
#include "screen_scaling.h"
#include "uFrmMain.h"

int main(int argc, char** argv) {
  benchbridge::PinScreenScaling();
  QApplication app(argc, argv);
  const std::filesystem::path home = benchbridge::ToStd(QCoreApplication::applicationDirPath());
  benchbridge::ApplicationFontFile font(home / "vista.ttf");
  benchbridge::FixRegionalFormats();
  benchbridge::TFrmMain frmMain(home);
  frmMain.show();
  return QApplication::exec();
}
