// Pages for the printer application's tests: a photo-like pattern written as
// JPEG (and decoded back as libjpeg, which PAPPL uses too, decodes it) and
// as PWG raster with its page header.
#pragma once

#include <cups/raster.h>
#include <fcntl.h>
#include <jpeglib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace tz::test {

// width x height x 3: smooth ramps with a few hard edges.
inline std::vector<uint8_t> pattern(int width, int height, int seed = 0) {
    std::vector<uint8_t> rgb(size_t(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &rgb[(size_t(y) * width + x) * 3];
            p[0] = uint8_t(x * 255 / width);
            p[1] = uint8_t(y * 255 / height);
            p[2] = uint8_t(((x / 100 + y / 100 + seed) % 2) ? 220 : 40);
        }
    return rgb;
}

inline bool write_jpeg(const std::string& path, const std::vector<uint8_t>& rgb, int width, int height) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    jpeg_compress_struct c{};
    jpeg_error_mgr errors{};
    c.err = jpeg_std_error(&errors);
    jpeg_create_compress(&c);
    jpeg_stdio_dest(&c, file);
    c.image_width = JDIMENSION(width);
    c.image_height = JDIMENSION(height);
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 92, TRUE);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = const_cast<uint8_t*>(&rgb[size_t(c.next_scanline) * width * 3]);
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::fclose(file);
    return true;
}

inline std::vector<uint8_t> read_jpeg(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return {};
    jpeg_decompress_struct d{};
    jpeg_error_mgr errors{};
    d.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&d);
    jpeg_stdio_src(&d, file);
    jpeg_read_header(&d, TRUE);
    d.out_color_space = JCS_RGB;
    jpeg_start_decompress(&d);
    std::vector<uint8_t> rgb(size_t(d.output_width) * d.output_height * 3);
    while (d.output_scanline < d.output_height) {
        JSAMPROW row = &rgb[size_t(d.output_scanline) * d.output_width * 3];
        jpeg_read_scanlines(&d, &row, 1);
    }
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    std::fclose(file);
    return rgb;
}

// One page of 8-bit sRGB PWG raster at `dpi`.
inline bool write_pwg(const std::string& path, const std::vector<uint8_t>& rgb, int width, int height, int dpi,
                      const char* size_name) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return false;
    cups_raster_t* raster = cupsRasterOpen(fd, CUPS_RASTER_WRITE_PWG);
    cups_page_header2_t header;
    cupsRasterInitPWGHeader(&header, pwgMediaForPWG(size_name), "srgb_8", dpi, dpi, "one-sided", "normal");
    header.cupsWidth = unsigned(width);
    header.cupsHeight = unsigned(height);
    header.cupsBytesPerLine = unsigned(width) * 3;
    bool ok = cupsRasterWriteHeader2(raster, &header) != 0;
    for (int y = 0; ok && y < height; ++y)
        ok = cupsRasterWritePixels(raster, const_cast<uint8_t*>(&rgb[size_t(y) * width * 3]), header.cupsBytesPerLine) != 0;
    cupsRasterClose(raster);
    ::close(fd);
    return ok;
}

// An uncompressed baseline RGB TIFF, little-endian, one strip.
inline bool write_tiff(const std::string& path, const std::vector<uint8_t>& rgb, uint32_t width, uint32_t height) {
    std::vector<uint8_t> out = {'I', 'I', 42, 0, 8, 0, 0, 0};
    auto le = [&out](uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) out.push_back(uint8_t(value >> (8 * i)));
    };
    const uint16_t count = 9;
    const uint32_t bits_at = 8 + 2 + count * 12 + 4, data_at = bits_at + 6;
    le(count, 2);
    auto entry = [&le](uint16_t tag, uint16_t type, uint32_t n, uint32_t value) {
        le(tag, 2), le(type, 2), le(n, 4), le(value, 4);
    };
    entry(256, 4, 1, width);                  // ImageWidth
    entry(257, 4, 1, height);                 // ImageLength
    entry(258, 3, 3, bits_at);                // BitsPerSample 8, 8, 8
    entry(259, 3, 1, 1);                      // no compression
    entry(262, 3, 1, 2);                      // RGB
    entry(273, 4, 1, data_at);                // StripOffsets
    entry(277, 3, 1, 3);                      // SamplesPerPixel
    entry(278, 4, 1, height);                 // RowsPerStrip
    entry(279, 4, 1, uint32_t(rgb.size()));   // StripByteCounts
    le(0, 4);
    le(8, 2), le(8, 2), le(8, 2);
    out.insert(out.end(), rgb.begin(), rgb.end());
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool ok = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    return std::fclose(file) == 0 && ok;
}

}  // namespace tz::test
