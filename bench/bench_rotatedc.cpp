// Times rotatedc (SIMD and reference renderers) against peers doing the same
// job, side by side in one run and on one thread: an OpenCV pipeline
// (warpAffine, HSV recolouring, threshold, masked blend) when OpenCV is
// available, and QPainter::drawImage with a transform and an opacity (which
// cannot recolour, so it does less than the others in scene B).
//
// Scene A is the caller's reset state with a 320x240 picture; scene B a large
// picture shrunk by half with every factor in use.
//
// The contenders take turns, a few runs each per round (the first run of a
// turn, with a cold cache, is not counted), so that a machine shared with
// other work slows them alike; the table gives medians. The SIMD
// renderer runs on each Highway target this CPU supports (best first), with
// the peers timed beside it again for each, or only on the targets named on
// the command line:
//   bench_rotatedc [TARGET...]      e.g. bench_rotatedc AVX2 AVX3
//
// For instruction counts, which a busy machine does not disturb, one scene
// can be drawn a number of times by the SIMD renderer alone, untimed:
//   bench_rotatedc --profile A|B [TARGET]
// under callgrind, counting only the kernel's calls:
//   valgrind --tool=callgrind --collect-atstart=no
//            --toggle-collect='rotate_internal::rotatedcWith*' (all on one line)
#include <QImage>
#include <QPainter>
#include <QTransform>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "rotate/rotate_internal.h"
#include "rotate/rotatedc.h"

#if defined(ROTATE_BENCH_OPENCV)
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#endif

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kDstWidth = 753;
constexpr int kDstHeight = 605;
constexpr int kCx = 376;
constexpr int kCy = 302;
// The caller's angle for slider position 30.
constexpr float kAngle = (62832.0f - 175.0f * 30.0f) / 10000.0f;

struct Scene {
  const char* name;
  QImage src;
  float zoom;
  uint32_t mask;  // 0x00BBGGRR
  float alpha;
  float hue;
  float saturation;
  float threshold;
};

QRgb maskToRgb(uint32_t mask) {
  return qRgb(static_cast<int>(mask & 0xFF), static_cast<int>((mask >> 8) & 0xFF),
              static_cast<int>((mask >> 16) & 0xFF));
}

// A synthetic photo-like picture: gradients, soft and hard shapes, grain,
// and a few flat areas of `key` for the mask to find.
QImage makePicture(int w, int h, QRgb key, uint32_t seed) {
  std::mt19937 rng(seed);
  auto value = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  QImage image(w, h, QImage::Format_RGB32);
  {
    QPainter p(&image);
    QLinearGradient sky(0, 0, w, h);
    sky.setColorAt(0.0, QColor(40, 70, 150));
    sky.setColorAt(0.5, QColor(210, 140, 60));
    sky.setColorAt(1.0, QColor(30, 120, 80));
    p.fillRect(image.rect(), sky);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 60; ++i) {
      const QPointF centre(value(0, w), value(0, h));
      const double radius = value(w / 60 + 1, w / 8 + 2);
      QRadialGradient blob(centre, radius);
      blob.setColorAt(0.0, QColor(value(0, 255), value(0, 255), value(0, 255)));
      blob.setColorAt(1.0, QColor(value(0, 255), value(0, 255), value(0, 255), 0));
      p.setBrush(blob);
      p.drawEllipse(centre, radius, radius);
    }
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setBrush(QColor(key));
    // A backdrop band and a few patches in the key colour.
    p.drawRect(0, 0, w, h / 6);
    for (int i = 0; i < 6; ++i) p.drawEllipse(QPoint(value(0, w), value(0, h)), w / 20, h / 20);
  }
  std::uniform_int_distribution<int> grain(-6, 6);
  for (int y = 0; y < h; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < w; ++x) {
      if ((line[x] & 0xFFFFFFu) == (key & 0xFFFFFFu)) continue;
      const int n = grain(rng);
      line[x] = qRgb(std::clamp(qRed(line[x]) + n, 0, 255), std::clamp(qGreen(line[x]) + n, 0, 255),
                     std::clamp(qBlue(line[x]) + n, 0, 255));
    }
  }
  return image;
}

QImage makeDestination() {
  QImage image(kDstWidth, kDstHeight, QImage::Format_RGB32);
  QPainter p(&image);
  QLinearGradient g(0, 0, 0, kDstHeight);
  g.setColorAt(0.0, QColor(225, 225, 230));
  g.setColorAt(1.0, QColor(120, 130, 150));
  p.fillRect(image.rect(), g);
  return image;
}

Surface surfaceOf(QImage& image) {
  return Surface{reinterpret_cast<uint32_t*>(image.bits()), image.width(), image.height(),
                 static_cast<int32_t>(image.bytesPerLine())};
}

int runKernel(rotate_internal::Implementation implementation, QImage& dst, Scene& s) {
  Surface d = surfaceOf(dst);
  Surface src = surfaceOf(s.src);
  return rotate_internal::rotatedcWith(implementation, &d, kAngle, kCx, kCy, s.src.width(),
                                       s.src.height(), &src, 0, 0, s.zoom, s.mask, s.alpha, s.hue,
                                       s.saturation, s.threshold);
}

// Median wall times in milliseconds of `jobs`, which take turns: each round
// runs every job a few times in a row and keeps all but the first run, so
// that every job is timed with its own data in the cache (as during a
// slider drag) while all share the same moments of a busy machine. Rounds go
// on for a time budget, within bounds.
std::vector<double> medianMs(const std::vector<std::function<void()>>& jobs) {
  constexpr int kMinRounds = 11;
  constexpr int kMaxRounds = 401;
  constexpr int kRunsPerTurn = 5;
  constexpr double kBudgetSeconds = 8.0;
  std::vector<std::vector<double>> times(jobs.size());
  const auto start = Clock::now();
  for (int round = 0; round < kMaxRounds; ++round) {
    if (round >= kMinRounds &&
        std::chrono::duration<double>(Clock::now() - start).count() > kBudgetSeconds) {
      break;
    }
    for (size_t j = 0; j < jobs.size(); ++j) {
      for (int run = 0; run < kRunsPerTurn; ++run) {
        const auto t0 = Clock::now();
        jobs[j]();
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
        if (run > 0) times[j].push_back(ms);
      }
    }
  }
  std::vector<double> medians;
  for (std::vector<double>& t : times) {
    std::nth_element(t.begin(), t.begin() + t.size() / 2, t.end());
    medians.push_back(t[t.size() / 2]);
  }
  return medians;
}

// What a Qt program would hand QPainter: the picture with the key colour
// made transparent, prepared once outside the timing.
QImage keyedForQt(const Scene& s) {
  QImage keyed = s.src.convertToFormat(QImage::Format_ARGB32);
  const QRgb key = maskToRgb(s.mask);
  for (int y = 0; y < keyed.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(keyed.scanLine(y));
    for (int x = 0; x < keyed.width(); ++x) {
      if ((line[x] & 0xFFFFFFu) == (key & 0xFFFFFFu)) line[x] = 0;
    }
  }
  return keyed.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

void drawWithQPainter(QImage& dst, const Scene& s, const QImage& keyed) {
  QPainter p(&dst);
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  p.setOpacity(s.alpha);
  QTransform t;
  t.translate(kCx, kCy);
  t.rotateRadians(-kAngle);  // Qt turns clockwise on screen
  t.scale(s.zoom, s.zoom);
  t.translate(-s.src.width() / 2, -s.src.height() / 2);
  p.setTransform(t);
  p.drawImage(0, 0, keyed);
}

#if defined(ROTATE_BENCH_OPENCV)
// The same job in OpenCV: bilinear warp of the picture and of its
// not-keyed mask (the latter gives antialiased coverage), hue and saturation
// in HSV, threshold on luminance, and a per-pixel weighted blend.
struct OpenCvPipeline {
  cv::Mat src;
  cv::Mat matrix;
  cv::Scalar key;
  // Scratch, kept between runs as a real caller would.
  cv::Mat keyed, there, warped, cover, bgr, hsv, grey, limit, weights, rest, bgra, out;
  std::vector<cv::Mat> planes;
  cv::Mat hueTable;

  explicit OpenCvPipeline(Scene& s) {
    src = cv::Mat(s.src.height(), s.src.width(), CV_8UC4, s.src.bits(),
                  static_cast<size_t>(s.src.bytesPerLine()));
    // Forward map in OpenCV's pixel-centre convention.
    const double c = std::cos(double(kAngle)) * s.zoom;
    const double n = std::sin(double(kAngle)) * s.zoom;
    const double scx = s.src.width() / 2;
    const double scy = s.src.height() / 2;
    matrix = (cv::Mat_<double>(2, 3) << c, n, kCx - 0.5 + c * (0.5 - scx) + n * (0.5 - scy), -n, c,
              kCy - 0.5 - n * (0.5 - scx) + c * (0.5 - scy));
    const QRgb k = maskToRgb(s.mask);
    key = cv::Scalar(qBlue(k), qGreen(k), qRed(k), 0);
    const int shift = static_cast<int>(std::lround((s.hue - std::floor(s.hue)) * 180.0)) % 180;
    hueTable.create(1, 256, CV_8U);
    for (int i = 0; i < 256; ++i) hueTable.at<uchar>(i) = static_cast<uchar>((i + shift) % 180);
  }

  void run(QImage& dstImage, const Scene& s) {
    cv::Mat dst(dstImage.height(), dstImage.width(), CV_8UC4, dstImage.bits(),
                static_cast<size_t>(dstImage.bytesPerLine()));
    cv::inRange(src, key, cv::Scalar(key[0], key[1], key[2], 255), keyed);
    cv::bitwise_not(keyed, there);
    cv::warpAffine(src, warped, matrix, dst.size(), cv::INTER_LINEAR, cv::BORDER_CONSTANT);
    cv::warpAffine(there, cover, matrix, dst.size(), cv::INTER_LINEAR, cv::BORDER_CONSTANT);
    cv::cvtColor(warped, bgr, cv::COLOR_BGRA2BGR);
    if (s.hue != 0.0f || s.saturation != 1.0f) {
      cv::cvtColor(bgr, hsv, cv::COLOR_BGR2HSV);
      cv::split(hsv, planes);
      cv::LUT(planes[0], hueTable, planes[0]);
      planes[1].convertTo(planes[1], -1, s.saturation);
      cv::merge(planes, hsv);
      cv::cvtColor(hsv, bgr, cv::COLOR_HSV2BGR);
    }
    if (s.threshold != 1.0f) {
      cv::cvtColor(bgr, grey, cv::COLOR_BGR2GRAY);
      if (s.threshold > 1.0f) {
        cv::threshold(grey, limit, (2.0 - s.threshold) * 255.0, 255, cv::THRESH_BINARY);
        bgr.setTo(cv::Scalar::all(255), limit);
      } else {
        cv::threshold(grey, limit, (1.0 - s.threshold) * 255.0, 255, cv::THRESH_BINARY_INV);
        bgr.setTo(cv::Scalar::all(0), limit);
      }
    }
    cover.convertTo(weights, CV_32F, s.alpha / 255.0);
    cv::subtract(cv::Scalar::all(1.0), weights, rest);
    cv::cvtColor(bgr, bgra, cv::COLOR_BGR2BGRA);
    cv::blendLinear(bgra, dst, weights, rest, out);
    out.copyTo(dst);
  }
};
#endif

int maxDifference(const QImage& a, const QImage& b) {
  int worst = 0;
  for (int y = 0; y < a.height(); ++y) {
    const auto* la = reinterpret_cast<const uint32_t*>(a.constScanLine(y));
    const auto* lb = reinterpret_cast<const uint32_t*>(b.constScanLine(y));
    for (int x = 0; x < a.width(); ++x) {
      for (int shift : {0, 8, 16}) {
        worst = std::max(worst, std::abs(static_cast<int>((la[x] >> shift) & 0xFF) -
                                         static_cast<int>((lb[x] >> shift) & 0xFF)));
      }
    }
  }
  return worst;
}

std::string cell(double ms) {
  char text[32];
  if (ms < 0) return "-";
  std::snprintf(text, sizeof text, "%.3f", ms);
  return text;
}

std::string ratio(double slow, double fast) {
  char text[32];
  if (slow < 0) return "-";
  std::snprintf(text, sizeof text, "%.1fx", slow / fast);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
#if defined(ROTATE_BENCH_OPENCV)
  cv::setNumThreads(1);
#endif
  // "--profile SCENE" comes first; what follows names targets.
  const bool profile = argc >= 3 && std::string(argv[1]) == "--profile";
  const std::string profiledScene = profile ? argv[2] : "";
  const int firstTarget = profile ? 3 : 1;
  // The SIMD targets to time: those named, or every one this CPU runs.
  std::vector<int64_t> targets;
  for (int64_t target : rotate_internal::fastTargets()) {
    const std::string name = rotate_internal::targetName(target);
    bool wanted = argc <= firstTarget;
    for (int i = firstTarget; i < argc; ++i) wanted = wanted || name == argv[i];
    if (wanted && name != "SCALAR" && name != "EMU128") targets.push_back(target);
  }
  for (int i = firstTarget; i < argc; ++i) {
    bool found = false;
    for (int64_t target : targets)
      found = found || rotate_internal::targetName(target) == std::string(argv[i]);
    if (!found) std::printf("target %s: not compiled or not supported by this CPU\n", argv[i]);
  }

  const QImage background = makeDestination();
  const uint32_t keyA = 0x00FFFFFFu;
  const uint32_t keyB = 0x0040E020u;  // (0x20, 0xE0, 0x40)
  std::vector<Scene> scenes;
  scenes.push_back(Scene{"A  320x240, zoom 1, reset factors",
                         makePicture(320, 240, maskToRgb(keyA), 1), 1.0f, keyA, 1.0f, 0.0f, 1.0f,
                         1.0f});
  scenes.push_back(Scene{"B  1600x1200, zoom 0.5, all factors",
                         makePicture(1600, 1200, maskToRgb(keyB), 2), 0.5f, keyB, 0.7f, 0.25f, 1.5f,
                         1.2f});

  if (profile) {
    constexpr int kProfiledCalls = 10;
    for (Scene& s : scenes) {
      if (profiledScene != std::string(1, s.name[0])) continue;
      QImage dst = background.copy();
      rotate_internal::forceFastTarget(targets.empty() ? 0 : targets.front());
      std::printf("%s: %d calls on %s\n", s.name, kProfiledCalls,
                  rotate_internal::fastTargetName());
      for (int i = 0; i < kProfiledCalls; ++i)
        runKernel(rotate_internal::Implementation::Fast, dst, s);
    }
    return 0;
  }

  std::printf("rotatedc benchmark: one thread, median wall time in milliseconds\n");
  std::printf("destination %dx%d, angle %.4f rad, centre (%d, %d)\n", kDstWidth, kDstHeight,
              double(kAngle), kCx, kCy);
#if !defined(ROTATE_BENCH_OPENCV)
  std::printf("OpenCV not found at configure time: no OpenCV column\n");
#endif
  std::printf("\n%-38s %-8s %8s %10s %9s %9s %12s %14s %9s\n", "scene", "target", "fast",
              "reference", "OpenCV", "QPainter", "OpenCV/fast", "QPainter/fast", "fast~ref");

  for (Scene& s : scenes) {
    QImage dst = background.copy();
#if defined(ROTATE_BENCH_OPENCV)
    OpenCvPipeline pipeline(s);
#endif
    const QImage keyed = keyedForQt(s);
    QImage viaReference = background.copy();
    runKernel(rotate_internal::Implementation::Reference, viaReference, s);
    for (size_t t = 0; t < targets.size(); ++t) {
      // One target at a time: switching targets costs a dispatch of its own.
      rotate_internal::forceFastTarget(targets[t]);
      std::vector<std::function<void()>> jobs = {
          [&] { runKernel(rotate_internal::Implementation::Fast, dst, s); },
          [&] { runKernel(rotate_internal::Implementation::Reference, dst, s); },
          [&] { drawWithQPainter(dst, s, keyed); }};
#if defined(ROTATE_BENCH_OPENCV)
      jobs.push_back([&] { pipeline.run(dst, s); });
#endif
      const std::vector<double> ms = medianMs(jobs);
      const double opencv = ms.size() > 3 ? ms[3] : -1.0;
      QImage viaFast = background.copy();
      runKernel(rotate_internal::Implementation::Fast, viaFast, s);
      std::printf("%-38s %-8s %8s %10s %9s %9s %12s %14s %9d\n", t == 0 ? s.name : "",
                  rotate_internal::targetName(targets[t]), cell(ms[0]).c_str(), cell(ms[1]).c_str(),
                  cell(opencv).c_str(), cell(ms[2]).c_str(), ratio(opencv, ms[0]).c_str(),
                  ratio(ms[2], ms[0]).c_str(), maxDifference(viaFast, viaReference));
    }
    rotate_internal::forceFastTarget(0);
  }
  std::printf(
      "\nfast~ref: largest per-channel difference between the SIMD and the reference "
      "renderer\n");
  return 0;
}
