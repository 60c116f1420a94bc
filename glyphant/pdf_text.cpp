#include "glyphant/pdf_text.h"

#include <QString>

namespace {

constexpr int kRadicalsFirst = 0x2E80;  // CJK Radicals Supplement, then Kangxi Radicals
constexpr int kRadicalsLast = 0x2FDF;
// "<glyph> <glyph> " before what a ToUnicode line maps them to.
constexpr qsizetype kSourcesLength = 14;

// The ideograph a radical stands for, or the character itself.
char16_t ideographOf(char16_t c) {
  if (c < kRadicalsFirst || c > kRadicalsLast) return c;
  const QString plain = QString(QChar(c)).normalized(QString::NormalizationForm_KC);
  return plain.size() == 1 ? plain[0].unicode() : c;
}

// Every "<XXXX>" of `text` that is a radical becomes its ideograph.
void repairTargets(char* text, qsizetype length) {
  for (qsizetype i = 0; i + 6 <= length; ++i) {
    if (text[i] != '<' || text[i + 5] != '>') continue;
    bool hex = false;
    const auto c = char16_t(QByteArray(text + i + 1, 4).toUShort(&hex, 16));
    if (hex && ideographOf(c) != c)
      std::copy_n(QByteArray::number(ideographOf(c), 16).toUpper().constData(), 4, text + i + 1);
  }
}

// Lines "<first> <last> <char>" map a run of glyphs to characters counting up
// from one; only a single glyph's may change. "<first> <last> [<char> ...]"
// gives each glyph its own.
void repairToUnicode(QByteArray& map) {
  for (qsizetype start = 0; start < map.size();) {
    const qsizetype end = map.indexOf('\n', start) < 0 ? map.size() : map.indexOf('\n', start);
    const qsizetype length = end - start;
    const char* line = map.constData() + start;
    const bool entry = length > kSourcesLength && line[0] == '<' && line[7] == '<';
    const bool single = entry && std::equal(line + 1, line + 5, line + 8);
    if (entry && (single || line[kSourcesLength] == '['))
      repairTargets(map.data() + start + kSourcesLength, length - kSourcesLength);
    start = end + 1;
  }
}

}  // namespace

PdfTextRepair::PdfTextRepair(QIODevice& target) : target_(target) {
  QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 PdfTextRepair::readData(char*, qint64) { return -1; }

qint64 PdfTextRepair::writeData(const char* data, qint64 length) {
  QByteArray chunk(data, length);
  if (chunk.startsWith("/CIDInit")) repairToUnicode(chunk);
  return target_.write(chunk);
}
