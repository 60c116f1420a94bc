#include "glyphant/pdf_smooth_images.h"

#include <QByteArray>
#include <QRegularExpression>
#include <algorithm>
#include <cstring>

namespace {

// How Qt's writer starts an image's dictionary, in one write.
constexpr char kImage[] = "<<\n/Type /XObject\n/Subtype /Image\n";
constexpr char kSmooth[] = "/Interpolate true\n";
// An entry of the xref table: ten digits of offset, then this.
constexpr char kEntryTail[] = " 00000 n \n";
constexpr qsizetype kEntryLength = 20;

}  // namespace

PdfSmoothImages::PdfSmoothImages(QIODevice& target) : target_(target) {
  QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 PdfSmoothImages::readData(char*, qint64) { return -1; }

qint64 PdfSmoothImages::moved(qint64 offset) const {
  const auto before = std::lower_bound(marks_.begin(), marks_.end(), offset) - marks_.begin();
  return qint64(before) * qint64(std::strlen(kSmooth));
}

qint64 PdfSmoothImages::writeData(const char* data, qint64 length) {
  QByteArray chunk(data, length);
  const qint64 at = received_;
  received_ += length;
  if (chunk.startsWith(kImage)) {
    const auto end = qsizetype(std::strlen(kImage));
    chunk.insert(end, kSmooth);
    marks_.push_back(at + end);
  } else if (chunk.startsWith("xref\n")) {
    inTable_ = true;
  } else if (inTable_ && chunk.size() == kEntryLength && chunk.endsWith(kEntryTail)) {
    const qint64 offset = chunk.left(10).toLongLong();
    chunk = QByteArray::number(offset + moved(offset)).rightJustified(10, '0') + kEntryTail;
  } else if (chunk.contains("startxref\n")) {
    static const QRegularExpression number("startxref\n(\\d+)");
    const QRegularExpressionMatch found = number.match(QString::fromLatin1(chunk));
    if (found.hasMatch()) {
      const qint64 offset = found.captured(1).toLongLong();
      chunk.replace(found.capturedStart(1), found.capturedLength(1),
                    QByteArray::number(offset + moved(offset)));
    }
  }
  return target_.write(chunk) == chunk.size() ? length : -1;
}
