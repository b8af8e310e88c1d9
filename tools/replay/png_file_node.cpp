// The PNG file format written by hand around Node.js's zlib: signature, header, one
// compressed data chunk, end. The file itself is written through the C library, so a failure
// reads as it does natively.
#include <emscripten.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "tools/replay/png_file.h"

namespace {

// Deflates size bytes at `data` into a zlib stream (the form PNG stores) at `out`; returns
// its length, or -1 when it needs more than `capacity`.
// clang-format off
EM_JS(int, kestalDeflate, (const std::uint8_t* data, int size, std::uint8_t* out, int capacity), {
  const packed = require('zlib').deflateSync(HEAPU8.subarray(data, data + size));
  if (packed.length > capacity) return -1;
  HEAPU8.set(packed, out);
  return packed.length;
});
// clang-format on

std::array<std::uint32_t, 256> makeCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}

std::uint32_t crc32(const std::uint8_t* bytes, std::size_t size) {
  static const std::array<std::uint32_t, 256> table = makeCrcTable();
  std::uint32_t c = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < size; ++i) c = table[(c ^ bytes[i]) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

void appendBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// Length, type, data, and the CRC of type and data.
void appendChunk(std::vector<std::uint8_t>& out, const char* type, const std::uint8_t* data,
                 std::size_t size) {
  appendBigEndian(out, static_cast<std::uint32_t>(size));
  const std::size_t typeAt = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data, data + size);
  appendBigEndian(out, crc32(out.data() + typeAt, size + 4));
}

// Rows as PNG stores them: each behind a filter byte, 0 (none).
std::vector<std::uint8_t> filterRows(std::span<const std::uint8_t> pixels, int width, int height,
                                     int channels) {
  const std::size_t rowBytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(channels);
  std::vector<std::uint8_t> rows;
  rows.reserve((rowBytes + 1) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    rows.push_back(0);
    const auto row = pixels.subspan(rowBytes * static_cast<std::size_t>(y), rowBytes);
    rows.insert(rows.end(), row.begin(), row.end());
  }
  return rows;
}

std::vector<std::uint8_t> encodePng(std::span<const std::uint8_t> pixels, int width, int height,
                                    int channels) {
  const std::vector<std::uint8_t> rows = filterRows(pixels, width, height, channels);
  std::vector<std::uint8_t> packed(rows.size() + rows.size() / 8 + 1024);
  const int packedSize = kestalDeflate(rows.data(), static_cast<int>(rows.size()), packed.data(),
                                       static_cast<int>(packed.size()));
  if (packedSize < 0) return {};

  std::vector<std::uint8_t> header;
  appendBigEndian(header, static_cast<std::uint32_t>(width));
  appendBigEndian(header, static_cast<std::uint32_t>(height));
  // 8 bits, RGB (colour type 2) or RGBA (6), deflate, no filter choice, no interlace.
  const std::uint8_t colourType = channels == 4 ? 6 : 2;
  header.insert(header.end(), {8, colourType, 0, 0, 0});

  static constexpr std::uint8_t SIGNATURE[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> file(std::begin(SIGNATURE), std::end(SIGNATURE));
  appendChunk(file, "IHDR", header.data(), header.size());
  appendChunk(file, "IDAT", packed.data(), static_cast<std::size_t>(packedSize));
  appendChunk(file, "IEND", nullptr, 0);
  return file;
}

std::string writePng(const std::string& path, std::span<const std::uint8_t> pixels, int width,
                     int height, int channels) {
  const std::vector<std::uint8_t> png = encodePng(pixels, width, height, channels);
  if (png.empty()) return "cannot write '" + path + "': the picture did not compress";
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return "cannot write '" + path + "': " + std::strerror(errno);
  const bool written = std::fwrite(png.data(), 1, png.size(), file) == png.size();
  const int writeError = errno;
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) {
    return "cannot write '" + path + "': " + std::strerror(written ? errno : writeError);
  }
  return {};
}

}  // namespace

namespace kestal::replay {

std::string writeRgbPng(const std::string& path, std::span<const std::uint8_t> rgb, int width,
                        int height) {
  return writePng(path, rgb, width, height, 3);
}

std::string writeRgbaPng(const std::string& path, std::span<const std::uint8_t> rgba, int width,
                         int height) {
  return writePng(path, rgba, width, height, 4);
}

}  // namespace kestal::replay
