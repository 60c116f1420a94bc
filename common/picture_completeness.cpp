#include "common/picture_completeness.h"

#include <QByteArray>
#include <QIODevice>
#include <QtEndian>
#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

#include "common/picture_loader.h"

namespace picture_completeness {

namespace {

quint16 le16(const QByteArray& bytes, int at) {
  return qFromLittleEndian<quint16>(bytes.constData() + at);
}
quint32 le32(const QByteArray& bytes, int at) {
  return qFromLittleEndian<quint32>(bytes.constData() + at);
}

// Byte by byte through the device's own buffer: the walks below look at a few
// bytes per block and skip the rest.
class ByteReader {
 public:
  explicit ByteReader(QIODevice& device) : device_(device) {}
  // The next byte, or -1 at the end of the data.
  int next() {
    char c = 0;
    return device_.getChar(&c) ? quint8(c) : -1;
  }
  // False when fewer than `count` bytes are left.
  bool skip(qint64 count) { return count <= 0 || device_.skip(count) == count; }

 private:
  QIODevice& device_;
};

// --- BMP ---------------------------------------------------------------------

constexpr int kFileHeaderBytes = 14;
constexpr quint32 kCoreHeaderBytes = 12;  // OS/2 1.x: 16-bit sizes, 3-byte palette entries
constexpr quint32 kInfoHeaderBytes = 40;
enum Compression : quint32 { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitfields = 3, kAlphaBitfields = 6 };

// Run-length data: pairs of (count, index) for runs; (0, 0) ends a row,
// (0, 1) the picture, (0, 2, dx, dy) jumps, (0, n, ...) copies n pixels
// padded to a whole word.
bool runsComplete(QIODevice& device, int bitsPerPixel, qint64 rows) {
  ByteReader in(device);
  qint64 row = 0;
  while (row < rows) {
    const int count = in.next();
    const int code = in.next();
    if (code < 0) return false;
    if (count > 0) continue;
    if (code == 0) {
      ++row;
    } else if (code == 1) {
      return true;
    } else if (code == 2) {
      const int dx = in.next();
      const int dy = in.next();
      if (dx < 0 || dy < 0) return false;
      row += dy;
    } else {
      const int bytes = bitsPerPixel == 8 ? code : (code + 1) / 2;
      if (!in.skip(bytes + (bytes & 1))) return false;
    }
  }
  return true;  // every row arrived, even without the end mark
}

}  // namespace

bool bmpComplete(QIODevice& device) {
  const qint64 start = device.pos();
  const qint64 available = device.size() - start;
  const QByteArray head = device.peek(kFileHeaderBytes + kInfoHeaderBytes);
  if (!head.startsWith("BM")) return true;
  if (head.size() < kFileHeaderBytes + int(kCoreHeaderBytes)) return false;
  const quint32 headerBytes = le32(head, kFileHeaderBytes);
  const bool core = headerBytes == kCoreHeaderBytes;
  if (!core && head.size() < kFileHeaderBytes + int(kInfoHeaderBytes)) return false;
  const qint64 width = core ? le16(head, 18) : qint32(le32(head, 18));
  const qint64 height = core ? le16(head, 20) : qint32(le32(head, 22));
  const int bits = core ? le16(head, 24) : le16(head, 28);
  const quint32 compression = core ? kRgb : le32(head, 30);
  if (width <= 0 || height == 0 || bits <= 0 || bits > 32) return true;
  const qint64 rows = qAbs(height);

  // The pixels start at the offset the file header gives, or, when that
  // points into the headers, right after them and the palette (as decoders
  // read them).
  const qint64 usedColours = core ? 0 : le32(head, 46);
  const qint64 colours = usedColours > 0 ? usedColours : bits <= 8 ? qint64(1) << bits : 0;
  const qint64 masks = !core && headerBytes == kInfoHeaderBytes && compression == kBitfields ? 12
                       : !core && headerBytes == kInfoHeaderBytes && compression == kAlphaBitfields
                           ? 16
                           : 0;
  const qint64 afterHeaders =
      kFileHeaderBytes + qint64(headerBytes) + masks + colours * (core ? 3 : 4);
  const qint64 offset = qMax<qint64>(le32(head, 10), afterHeaders);

  if (compression == kRle8 || compression == kRle4)
    return offset < available && device.seek(start + offset) &&
           runsComplete(device, compression == kRle8 ? 8 : 4, rows);
  if (compression != kRgb && compression != kBitfields && compression != kAlphaBitfields)
    return true;
  const qint64 rowBytes = (width * bits + 31) / 32 * 4;
  return offset + rowBytes * rows <= available;
}

// --- GIF ---------------------------------------------------------------------

namespace {

// Data sub-blocks: a length byte, that many bytes, up to a length of 0.
bool subBlocksComplete(ByteReader& in) {
  for (;;) {
    const int length = in.next();
    if (length < 0 || !in.skip(length)) return false;
    if (length == 0) return true;
  }
}

// A colour table follows when the top bit of `flags` is set: 3 << (n + 1) bytes.
bool skipColourTable(ByteReader& in, int flags) {
  return !(flags & 0x80) || in.skip(3 << ((flags & 7) + 1));
}

}  // namespace

bool gifComplete(QIODevice& device) {
  constexpr int kExtension = 0x21, kImage = 0x2C, kTrailer = 0x3B;
  ByteReader in(device);
  // Signature and version, then the screen's width, height, flags,
  // background and aspect.
  if (!in.skip(10)) return false;
  const int screenFlags = in.next();
  if (screenFlags < 0 || !in.skip(2) || !skipColourTable(in, screenFlags)) return false;
  bool pictured = false;
  for (;;) {
    const int block = in.next();
    if (block < 0 || block == kTrailer) return pictured;
    if (block == kExtension) {
      if (in.next() < 0 || !subBlocksComplete(in)) return false;
    } else if (block == kImage) {
      // Left, top, width, height, flags; the code size; the compressed data.
      if (!in.skip(8)) return false;
      const int flags = in.next();
      if (flags < 0 || !skipColourTable(in, flags) || in.next() < 0 || !subBlocksComplete(in))
        return false;
      pictured = true;
    } else {
      return pictured;  // not a block: what follows a whole picture is not read
    }
  }
}

// --- ICO and CUR ---------------------------------------------------------------

bool iconComplete(QIODevice& device) {
  constexpr int kHeaderBytes = 6, kEntryBytes = 16;
  const qint64 available = device.size() - device.pos();
  char header[kHeaderBytes];
  if (device.peek(header, kHeaderBytes) < kHeaderBytes) return false;
  const int count = qFromLittleEndian<quint16>(header + 4);
  std::vector<char> directory(std::size_t(kHeaderBytes + kEntryBytes * count));
  if (device.peek(directory.data(), qint64(directory.size())) < qint64(directory.size()))
    return false;
  for (int i = 0; i < count; ++i) {
    const char* entry = directory.data() + kHeaderBytes + kEntryBytes * i;
    // The picture's size, then where it starts.
    if (qint64(qFromLittleEndian<quint32>(entry + 12)) + qFromLittleEndian<quint32>(entry + 8) >
        available)
      return false;
  }
  return true;
}

// --- JPEG ----------------------------------------------------------------------

namespace {

// libjpeg's view of the device. When the data ends it is handed an end
// marker, as libjpeg asks of its sources; if the compressed data was cut
// short, the decoder then warns that it hit a marker too early.
struct JpegSource {
  jpeg_source_mgr manager;  // first: libjpeg hands back a pointer to it
  QIODevice* device;
  JOCTET buffer[16 * 1024];
};

struct JpegErrors {
  jpeg_error_mgr manager;  // first, likewise
  std::jmp_buf failed;
  bool dataMissing;
};

void initSource(j_decompress_ptr) {}
void termSource(j_decompress_ptr) {}

boolean fillInput(j_decompress_ptr decoder) {
  auto* source = reinterpret_cast<JpegSource*>(decoder->src);
  qint64 got = source->device->read(reinterpret_cast<char*>(source->buffer), sizeof source->buffer);
  if (got <= 0) {
    source->buffer[0] = 0xFF;
    source->buffer[1] = JPEG_EOI;
    got = 2;
  }
  source->manager.next_input_byte = source->buffer;
  source->manager.bytes_in_buffer = size_t(got);
  return TRUE;
}

void skipInput(j_decompress_ptr decoder, long count) {
  jpeg_source_mgr& source = *decoder->src;
  while (count > long(source.bytes_in_buffer)) {
    count -= long(source.bytes_in_buffer);
    fillInput(decoder);
  }
  if (count <= 0) return;
  source.next_input_byte += count;
  source.bytes_in_buffer -= size_t(count);
}

[[noreturn]] void onError(j_common_ptr decoder) {
  std::longjmp(reinterpret_cast<JpegErrors*>(decoder->err)->failed, 1);
}

// Quiet: only the warnings that mean the data stopped short are noted.
void onMessage(j_common_ptr decoder, int level) {
  auto* errors = reinterpret_cast<JpegErrors*>(decoder->err);
  const int code = errors->manager.msg_code;
  if (level < 0 && (code == JWRN_HIT_MARKER || code == JWRN_JPEG_EOF)) errors->dataMissing = true;
}

// A progressive picture is whole once every coefficient of every component
// has been refined down to its last bit.
bool everyCoefficientRefined(const jpeg_decompress_struct& decoder) {
  if (!decoder.progressive_mode || decoder.coef_bits == nullptr) return true;
  for (int component = 0; component < decoder.num_components; ++component)
    for (int k = 0; k < DCTSIZE2; ++k)
      if (decoder.coef_bits[component][k] != 0) return false;
  return true;
}

}  // namespace

// No C++ object with a destructor lives in this function: libjpeg leaves it
// by longjmp on a fatal error.
bool jpegDecodesWhole(QIODevice& device) {
  jpeg_decompress_struct decoder;
  JpegErrors errors;
  JpegSource source;
  decoder.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = onError;
  errors.manager.emit_message = onMessage;
  errors.dataMissing = false;
  if (setjmp(errors.failed)) {
    jpeg_destroy_decompress(&decoder);
    return false;  // not even libjpeg can read it
  }
  jpeg_create_decompress(&decoder);
  source.device = &device;
  source.manager.init_source = initSource;
  source.manager.fill_input_buffer = fillInput;
  source.manager.skip_input_data = skipInput;
  source.manager.resync_to_restart = jpeg_resync_to_restart;
  source.manager.term_source = termSource;
  source.manager.bytes_in_buffer = 0;
  source.manager.next_input_byte = nullptr;
  decoder.src = &source.manager;
  jpeg_read_header(&decoder, TRUE);
  // Too large to decode: the loader's own size check refuses it.
  if (qint64(decoder.image_width) * decoder.image_height * 4 > kMaxPictureBytes) {
    jpeg_destroy_decompress(&decoder);
    return true;
  }
  // Every compressed bit is still read at an eighth of the size, for a
  // fraction of the work.
  decoder.scale_num = 1;
  decoder.scale_denom = 8;
  decoder.dct_method = JDCT_IFAST;
  decoder.do_fancy_upsampling = FALSE;
  decoder.do_block_smoothing = FALSE;
  jpeg_start_decompress(&decoder);
  JSAMPARRAY row =
      (*decoder.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&decoder), JPOOL_IMAGE,
                                   decoder.output_width * decoder.output_components, 1);
  while (decoder.output_scanline < decoder.output_height && !errors.dataMissing)
    jpeg_read_scanlines(&decoder, row, 1);
  const bool whole = !errors.dataMissing && everyCoefficientRefined(decoder);
  jpeg_destroy_decompress(&decoder);
  return whole;
}

}  // namespace picture_completeness
