// The panel is 979 x 359 device pixels whatever the desktop's DPI or scale setting says, and
// larger only when asked on purpose (BENCHBRIDGE_SCALE). The picture tool builds the real panel
// in a process of its own, set up as the program is, under each setting.

#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

namespace benchbridge::testing {
namespace {

QSize PanelPixelsWith(const QString& name, const QString& value) {
  QTemporaryDir home;
  QProcess tool;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  if (!name.isEmpty()) environment.insert(name, value);
  tool.setProcessEnvironment(environment);
  const QString out = home.filePath(QStringLiteral("panel.png"));
  tool.start(QStringLiteral(BENCHBRIDGE_SCREENSHOT_PATH),
             {QStringLiteral("--home"), home.path(), QStringLiteral("--out"), out,
              QStringLiteral("--seconds"), QStringLiteral("0")});
  EXPECT_TRUE(tool.waitForFinished(120'000));
  return QImage(out).size();
}

TEST(ScreenScalingTest, TheDesktopsSettingsDoNotScaleThePanel) {
  const QSize design(979, 359);
  EXPECT_EQ(PanelPixelsWith({}, {}), design);
  for (const auto& [name, value] : {std::pair{"QT_FONT_DPI", "144"},
                                    {"QT_SCALE_FACTOR", "1.5"},
                                    {"QT_SCREEN_SCALE_FACTORS", "2"}}) {
    EXPECT_EQ(PanelPixelsWith(QString::fromLatin1(name), QString::fromLatin1(value)), design)
        << name;
  }
  EXPECT_EQ(PanelPixelsWith(QStringLiteral("BENCHBRIDGE_SCALE"), QStringLiteral("2")),
            QSize(2 * 979, 2 * 359));
}

}  // namespace
}  // namespace benchbridge::testing
