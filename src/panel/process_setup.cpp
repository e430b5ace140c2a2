#include "process_setup.h"

#include <QFontDatabase>
#include <QLocale>
#include <QString>
#include <clocale>
#include <system_error>

#include "qt_text.h"

namespace benchbridge {

void FixRegionalFormats() {
  QLocale::setDefault(QLocale::c());
  // QApplication adopted the environment's locale for the C library; printf-style number and
  // time texts must not pick up a decimal comma from it. This runs before any thread of ours
  // starts, so nothing reads the locale meanwhile; "C" always exists.
  (void)std::setlocale(LC_NUMERIC, "C");  // NOLINT(concurrency-mt-unsafe)
  (void)std::setlocale(LC_TIME, "C");     // NOLINT(concurrency-mt-unsafe)
}

ApplicationFontFile::ApplicationFontFile(const std::filesystem::path& file) {
  std::error_code error;
  if (std::filesystem::is_regular_file(file, error)) {
    id_ = QFontDatabase::addApplicationFont(ToQt(file.string()));
  }
}

ApplicationFontFile::~ApplicationFontFile() {
  if (id_ >= 0) {
    QFontDatabase::removeApplicationFont(id_);
  }
}

}  // namespace benchbridge
