// The environment every test program runs in, whether ctest starts it or a
// developer runs one test function by hand: the same fonts, locale, time
// zone, home folder and screen on every machine. A test that needs something
// else sets it itself.
#include <QCoreApplication>
#include <QThreadPool>

namespace {

// What the desktop around the tests may have set and would change what they
// see: a style or platform theme, a scale, a font resolution, another screen.
constexpr const char kDesktopVariables[] =
    "QT_STYLE_OVERRIDE QT_QPA_PLATFORMTHEME QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS "
    "QT_AUTO_SCREEN_SCALE_FACTOR QT_ENABLE_HIGHDPI_SCALING QT_SCALE_FACTOR_ROUNDING_POLICY "
    "QT_FONT_DPI QT_USE_PHYSICAL_DPI XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION "
    "GNOME_DESKTOP_SESSION_ID WAYLAND_DISPLAY LANGUAGE LC_MESSAGES QT_LOGGING_RULES";

bool fixEnvironment() {
  for (const auto& name : QByteArray(kDesktopVariables).split(' ')) qunsetenv(name.constData());
  const QByteArray dir(PT_TEST_ENV_DIR);  // made for the test programs at configure time
  qputenv("FONTCONFIG_FILE", dir + "/fonts.conf");
  qputenv("LC_ALL", "C.UTF-8");
  qputenv("LANG", "C.UTF-8");
  qputenv("TZ", "UTC");
  qputenv("HOME", dir + "/home");
  qputenv("XDG_CONFIG_HOME", dir + "/home/.config");
  qputenv("XDG_DATA_HOME", dir + "/home/.local/share");
  qputenv("XDG_CACHE_HOME", dir + "/home/.cache");
  qputenv("XDG_RUNTIME_DIR", dir + "/runtime");
  // Windows are driven headless, on one 800 x 600 screen at scale 1, unless
  // a platform is asked for.
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  return true;
}

// Before main: the platform, locale and fonts are read when the application
// object is made.
const bool kEnvironmentFixed = fixEnvironment();

// Qt converts large pictures on its pooled threads: join them before the
// application goes, so the leak checker never sees them torn down half-way.
void joinPooledThreads() { QThreadPool::globalInstance()->waitForDone(); }
void registerJoin() { qAddPostRoutine(joinPooledThreads); }
Q_COREAPP_STARTUP_FUNCTION(registerJoin)

}  // namespace
