#pragma once

#include <QFrame>
#include <QImage>
#include <QLineF>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <optional>

#include "common/colour.h"
#include "rotate/surface.h"

class PictureBox;

// A handle on a picture box's device context: the Surface over its persistent
// image, for the blits and the rotation kernel. It cannot outlive what it
// points at: once the box is gone, resized or given a new picture, the handle
// yields an empty surface, which every blit treats as nothing. Releasing it
// (for a temporary, at the end of the statement) repaints the box, so what
// was blitted shows on screen.
class DeviceContext {
 public:
  DeviceContext() = default;
  DeviceContext(DeviceContext&& other) noexcept;
  DeviceContext& operator=(DeviceContext&& other) noexcept;
  ~DeviceContext();

  // Valid until the handle is released or its box's image changes as above.
  Surface* get();
  operator Surface*() { return get(); }
  Surface& operator*() { return *get(); }
  Surface* operator->() { return get(); }

 private:
  friend class PictureBox;
  DeviceContext(PictureBox* box, quint64 generation);
  void release();

  QPointer<PictureBox> box_;
  quint64 generation_ = 0;
  Surface surface_{nullptr, 0, 0, 0};
};

// A drawing surface with a persistent image, as the classic picture box with
// AutoRedraw on: what is drawn stays in an off-screen image that repaints the
// widget, and is what copies and saving read. The image has three layers,
// bottom to top: the background colour, the background picture (at the
// top-left, at its own size) and the drawn layer. Setting the background
// colour or the picture empties the drawn layer. Positions are in the scale
// unit (pixels or twips) and land on the nearest pixel, a half going to the
// even one.
class PictureBox : public QFrame {
  Q_OBJECT

 public:
  enum class Border { None, FixedSingle };
  enum class ScaleMode { Pixels, Twips };

  // A line shown over the box on screen (a crosshair guide): painted above
  // the persistent image and never part of it. Ends in the scale unit.
  struct OverlayLine {
    QLineF line;
    ColourRef colour = 0;
    bool visible = true;
  };

  explicit PictureBox(QWidget* parent = nullptr);

  void setBorder(Border border);
  Border border() const { return border_; }
  // With auto-size on, the box takes the size of its picture (plus border).
  void setAutoSize(bool on);
  void setScaleMode(ScaleMode mode) { scaleMode_ = mode; }
  ScaleMode scaleMode() const { return scaleMode_; }

  ColourRef BackColor() const { return backColour_; }
  void setBackColor(ColourRef colour);
  const QImage& Picture() const { return picture_; }
  void setPicture(const QImage& picture);
  ColourRef ForeColor() const { return foreColour_; }
  void setForeColor(ColourRef colour) { foreColour_ = colour; }
  int DrawWidth() const { return drawWidth_; }
  void setDrawWidth(int width) { drawWidth_ = width < 1 ? 1 : width; }
  // Off, printed text stands on a box of the background colour.
  bool FontTransparent() const { return fontTransparent_; }
  void setFontTransparent(bool on) { fontTransparent_ = on; }
  double CurrentX = 0;
  double CurrentY = 0;

  // Client size in the scale unit.
  double ScaleWidth() const;
  double ScaleHeight() const;

  // Empties the drawn layer and moves the current point to the origin.
  void Cls();
  // A line from (x1, y1) to (x2, y2), both ends included, DrawWidth pixels
  // wide, in `colour` (the fore colour when it is a system colour); with
  // `box` a rectangle outline, with `filled` a filled one.
  void Line(double x1, double y1, double x2, double y2, ColourRef colour, bool box = false,
            bool filled = false);
  void PSet(double x, double y, ColourRef colour);
  // The colour of the persistent image at (x, y), colour::kInvalid outside.
  ColourRef Point(double x, double y) const;
  // Writes text in the box's font and fore colour with the top-left of its
  // line box at the current point; afterwards CurrentX is 0 and CurrentY the
  // next line. A '\n' starts a new line at the left edge.
  void Print(const QString& text);
  // In the scale unit: the advance of the widest line of `text`, and the
  // height of its lines (one line for a text without '\n').
  double TextWidth(const QString& text) const;
  double TextHeight(const QString& text = QString()) const;
  // Draws a picture with its top-left at (x, y), scaled to w x h (nearest
  // pixel, as a stretching blit) when they are given; nothing when a given
  // size comes to less than a pixel.
  void PaintPicture(const QImage& picture, double x, double y, std::optional<double> w = {},
                    std::optional<double> h = {});

  // The lines over the box, at most 64; setting one past the end adds it
  // (and hidden ones before it).
  void setOverlayLine(int index, const OverlayLine& line);
  const QList<OverlayLine>& overlayLines() const { return overlay_; }

  // Printing off the window's thread, for work on a copy of the image: what
  // Print would draw (font, colour, where each line starts), taken where the
  // box is. Taking it moves the current point as Print does.
  struct TextPlacement {
    QFont font;
    QColor pen;
    std::optional<QColor> box;  // the ground behind the letters, unless transparent
    QStringList lines;
    QList<QPoint> starts;  // in pixels, one a line
  };
  TextPlacement placeText(const QString& text);
  // Draws the text placed on an image of the box's size, as Print would draw
  // it on the persistent image.
  static void drawText(QImage& image, const TextPlacement& text);
  // The persistent image of a box of `size` with this ground colour and
  // picture and nothing drawn yet; and the image `old` brought to `size`,
  // keeping what it shows, as a resize does. Made in `blank` when it is an
  // RGB32 image of that size (memory kept for the purpose), else anew.
  static QImage composed(QSize size, const QColor& ground, const QImage& picture,
                         QImage blank = QImage());
  static QImage refitted(const QImage& old, QSize size, const QColor& ground, const QImage& picture,
                         QImage blank = QImage());
  // The colour the ground is painted in.
  QColor groundColour() const;
  // Takes `image`, made off the window's thread from the functions above,
  // as the persistent image, as though it had been drawn here; with `ground`
  // the background colour, with `picture` the picture is set as well,
  // without composing the image anew. Pass the only reference to the image: the box then draws on
  // it in place, where a shared one would be copied first. Returns the image the box held before,
  // for the caller to let go of where it costs nothing.
  QImage adoptImage(QImage image, std::optional<ColourRef> ground = std::nullopt,
                    std::optional<QImage> picture = std::nullopt);

  // The device context of the persistent image.
  DeviceContext hDC();
  // The persistent image as it now stands; later drawing never changes it.
  QImage Image() const;
  // Shows the persistent image on screen.
  void Refresh();

 signals:
  // Positions in the scale unit.
  void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, double x, double y);
  void mouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, double x, double y);
  void mouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, double x, double y);
  void dblClick();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  friend class DeviceContext;

  double toPixels(double v) const;
  double fromPixels(double v) const;
  int pixel(double v) const;
  QPoint pixelAt(double x, double y) const;
  QPointF toScale(const QPointF& pixels) const;
  QColor penColour(ColourRef colour) const;
  // Refills the image with the background colour and picture.
  void recompose() const;
  // Brings the image to the size of the client area, keeping what was drawn.
  void fitImage() const;
  // The image, ready to be drawn on: fitted, not shared with any copy a
  // caller keeps, and with the Surface pointing at its pixels.
  QImage& canvas();
  void fitToPicture();

  Border border_ = Border::FixedSingle;
  ScaleMode scaleMode_ = ScaleMode::Twips;
  bool autoSize_ = false;
  ColourRef backColour_ = colour::kButtonFace;
  ColourRef foreColour_ = colour::kWindowText;
  int drawWidth_ = 1;
  bool fontTransparent_ = true;
  QImage picture_;
  QList<OverlayLine> overlay_;
  // A hidden widget gets no resize event until it is shown, yet programs
  // draw into a box before its window appears: the image follows the box's
  // size on its next use, which may be a const one.
  mutable QImage image_;
  mutable Surface surface_{nullptr, 0, 0, 0};
  // Counts the image's buffers: a device context is good only for the one it
  // was made on.
  mutable quint64 generation_ = 0;
  // Device contexts handed out and not yet released.
  int openContexts_ = 0;
};
