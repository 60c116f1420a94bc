#include "rotaskiv/command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QPainter>
#include <cmath>
#include <ctime>

#include "rotaskiv/capture_geometry.h"

namespace command_line {

namespace {

QString tr(const char* text) { return QCoreApplication::translate("CommandLine", text); }

// A wait longer than a day is a typing error, not a plan.
constexpr double kLongestDelaySeconds = 24 * 60 * 60;

std::optional<QRect> parseRegion(const QString& text) {
  const QStringList parts = text.split(QLatin1Char(','));
  if (parts.size() != 4) return std::nullopt;
  int values[4];
  for (int i = 0; i < 4; ++i) {
    bool ok = false;
    values[i] = parts[i].trimmed().toInt(&ok);
    if (!ok) return std::nullopt;
  }
  if (values[2] <= 0 || values[3] <= 0) return std::nullopt;
  return QRect(values[0], values[1], values[2], values[3]);
}

}  // namespace

std::variant<Request, QString> parse(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      tr("转动、缩放和着色图片；截取屏幕、剪裁、标注、复制或保存。不带选项时打开主窗口。"));
  const QCommandLineOption help = parser.addHelpOption();
  const QCommandLineOption version = parser.addVersionOption();
  const QCommandLineOption capture(QStringLiteral("capture"),
                                   tr("直接打开截图窗口（不打开主窗口）；复制或保存后程序结束。"));
  const QCommandLineOption region(QStringLiteral("region"),
                                  tr("立即截取桌面上的这个区域（桌面像素）。"),
                                  QStringLiteral("X,Y,W,H"));
  const QCommandLineOption screen(QStringLiteral("screen"),
                                  tr("立即截取第 N 个屏幕（0 为主屏幕）。"), QStringLiteral("N"));
  const QCommandLineOption lastRegion(QStringLiteral("last-region"),
                                      tr("立即截取上一次截图的区域。"));
  const QCommandLineOption output(
      QStringLiteral("output"),
      tr("写入文件，格式由扩展名决定；“-”写 PNG 到标准输出；可用 strftime 字段（%Y%m%d-%H%M%S）；"
         "已有的文件不会被替换，而是在名字后加数字。"),
      QStringLiteral("FILE"));
  const QCommandLineOption clipboard(QStringLiteral("clipboard"),
                                     tr("复制到剪贴板（程序结束后仍留在剪贴板上）。"));
  const QCommandLineOption pin(QStringLiteral("pin"), tr("把截图钉在桌面上。"));
  const QCommandLineOption delay(QStringLiteral("delay"), tr("先等待这么多秒（可带小数）。"),
                                 QStringLiteral("SECONDS"));
  const QCommandLineOption annotate(QStringLiteral("annotate"),
                                    tr("在这张图片上（而不是屏幕上）打开截图窗口。"),
                                    QStringLiteral("FILE"));
  QCommandLineOption serve(QStringLiteral("serve-clipboard"), QString(), QStringLiteral("FILE"));
  serve.setFlags(QCommandLineOption::HiddenFromHelp);
  parser.addOptions(
      {capture, region, screen, lastRegion, output, clipboard, pin, delay, annotate, serve});

  if (!parser.parse(arguments)) return parser.errorText();
  if (parser.isSet(help)) parser.showHelp(0);
  if (parser.isSet(version)) parser.showVersion();
  if (!parser.positionalArguments().isEmpty())
    return tr("多余的参数：%1").arg(parser.positionalArguments().join(QLatin1Char(' ')));

  Request request;
  int sources = 0;
  const auto source = [&](const QCommandLineOption& option, Source kind) {
    if (!parser.isSet(option)) return false;
    request.source = kind;
    ++sources;
    return true;
  };
  source(capture, Source::Window);
  source(lastRegion, Source::LastRegion);
  if (source(region, Source::Region)) {
    const auto rectangle = parseRegion(parser.value(region));
    if (!rectangle)
      return tr("--region 需要 X,Y,W,H 四个整数，宽和高大于 0：“%1”").arg(parser.value(region));
    request.region = *rectangle;
  }
  if (source(screen, Source::Screen)) {
    bool ok = false;
    request.screen = parser.value(screen).toInt(&ok);
    if (!ok || request.screen < 0)
      return tr("--screen 需要屏幕的序号（0、1 ……）：“%1”").arg(parser.value(screen));
  }
  if (source(annotate, Source::Annotate)) request.picture = parser.value(annotate);
  if (sources > 1)
    return tr("--capture、--region、--screen、--last-region 和 --annotate 只能选一个。");

  request.output = parser.value(output);
  if (parser.isSet(output) && request.output.isEmpty()) return tr("--output 需要文件名。");
  request.clipboard = parser.isSet(clipboard);
  request.pin = parser.isSet(pin);
  request.serveClipboard = parser.value(serve);
  if (parser.isSet(delay)) {
    bool ok = false;
    request.delaySeconds = parser.value(delay).toDouble(&ok);
    if (!ok || !(request.delaySeconds >= 0 && request.delaySeconds <= kLongestDelaySeconds))
      return tr("--delay 需要 0 到 86400 之间的秒数：“%1”").arg(parser.value(delay));
    if (request.source == Source::MainWindow) return tr("--delay 只用于截图。");
  }
  const bool outcome = parser.isSet(output) || request.clipboard || request.pin;
  if (outcome && !takesAtOnce(request))
    return tr("--output、--clipboard 和 --pin 需要 --region、--screen 或 --last-region。");
  // A picture taken at once goes to the clipboard unless it is sent elsewhere.
  if (takesAtOnce(request) && !outcome) request.clipboard = true;
  return request;
}

bool takesAtOnce(const Request& request) {
  return request.source == Source::Region || request.source == Source::Screen ||
         request.source == Source::LastRegion;
}

QString outputFileName(const QString& pattern, const QDateTime& now,
                       const std::function<bool(const QString&)>& exists) {
  QString name = pattern;
  if (pattern.contains(QLatin1Char('%'))) {
    const QDateTime local = now.toLocalTime();
    std::tm fields{};
    fields.tm_year = local.date().year() - 1900;
    fields.tm_mon = local.date().month() - 1;
    fields.tm_mday = local.date().day();
    fields.tm_hour = local.time().hour();
    fields.tm_min = local.time().minute();
    fields.tm_sec = local.time().second();
    fields.tm_wday = local.date().dayOfWeek() % 7;
    fields.tm_yday = local.date().dayOfYear() - 1;
    fields.tm_isdst = -1;
    const QByteArray format = pattern.toUtf8();
    QByteArray filled(format.size() * 4 + 256, '\0');
    const size_t length =
        std::strftime(filled.data(), size_t(filled.size()), format.constData(), &fields);
    if (length > 0) name = QString::fromUtf8(filled.constData(), qsizetype(length));
  }
  const QFileInfo info(name);
  if (info.suffix().isEmpty()) name += QStringLiteral(".png");
  if (!exists(name)) return name;
  const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
  const QString stem = name.left(dot), extension = name.mid(dot);
  for (int number = 1;; ++number) {
    const QString numbered = stem + QLatin1Char('-') + QString::number(number) + extension;
    if (!exists(numbered)) return numbered;
  }
}

QImage desktopPart(const DesktopGrab& desktop, const QRect& region) {
  const FrozenScreen* home = nullptr;
  qint64 largest = 0;
  for (const FrozenScreen& screen : desktop.screens) {
    const QRect shared = screen.geometry.intersected(region);
    const qint64 area = qint64(shared.width()) * shared.height();
    if (area > largest) largest = area, home = &screen;
  }
  if (home == nullptr) return QImage();
  const qreal ratio = home->image.devicePixelRatio();
  QImage part(capture::devicePixels(QRect(QPoint(), region.size()), ratio).size(),
              QImage::Format_RGB32);
  if (part.isNull()) return part;
  part.fill(Qt::black);
  // Pixels of a screen at a lower scale are enlarged as blocks, as it showed them.
  QPainter painter(&part);
  for (const FrozenScreen& screen : desktop.screens) {
    const QRect shared = screen.geometry.intersected(region);
    if (shared.isEmpty()) continue;
    const qreal own = screen.image.devicePixelRatio();
    QImage pixels = screen.image;  // drawn pixel for pixel, whatever ratio it was shown at
    pixels.setDevicePixelRatio(1);
    const QRect from = capture::devicePixels(shared.translated(-screen.geometry.topLeft()), own);
    const QRect to = capture::devicePixels(shared.translated(-region.topLeft()), ratio);
    // The screen that holds most of it gives its own pixels, unscaled.
    if (&screen == home)
      painter.drawImage(to.topLeft(), pixels, from);
    else
      painter.drawImage(to, pixels, from);
  }
  return part;
}

}  // namespace command_line
