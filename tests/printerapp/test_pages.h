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

}  // namespace tz::test
