#include "page_raster.h"

namespace tz::app {

namespace {

std::string text(int number) { return std::to_string(number); }

}  // namespace

std::variant<LineFormat, std::string> line_format_for(const cups_page_header2_t& h) {
    if (h.HWResolution[0] != unsigned(kResolution) || h.HWResolution[1] != unsigned(kResolution))
        return "the page is at " + text(int(h.HWResolution[0])) + " x " + text(int(h.HWResolution[1])) +
               " dpi; the printer prints at 300 dpi only";
    LineFormat format;
    switch (h.cupsColorSpace) {
    case CUPS_CSPACE_SRGB:
    case CUPS_CSPACE_RGB: format.channels = 3; break;
    case CUPS_CSPACE_SW:
    case CUPS_CSPACE_W: format.channels = 1; break;
    default: return "the page's colour space (" + text(int(h.cupsColorSpace)) + ") is not RGB or grey; the printer takes sRGB";
    }
    if (h.cupsBitsPerColor != 8 && h.cupsBitsPerColor != 16)
        return "the page has " + text(int(h.cupsBitsPerColor)) + " bits a colour; the printer takes 8 (16 is converted)";
    if (h.cupsColorOrder != CUPS_ORDER_CHUNKED) return "the page's colours are not interleaved (chunky)";
    format.bytes_per_channel = int(h.cupsBitsPerColor / 8);
    format.width = int(h.cupsWidth);
    format.height = int(h.cupsHeight);
    format.bytes_per_line = h.cupsBytesPerLine;
    if (format.width < 1 || format.height < 1 || format.width > 4096 || format.height > 4096 ||
        h.cupsBytesPerLine < unsigned(format.width * format.channels * format.bytes_per_channel))
        return "the page is " + text(format.width) + " x " + text(format.height) + " pixels; the printer takes 1 to 4096 a side";
    return format;
}

std::variant<Placement, std::string> place_page(int width, int height, const Area& job_area,
                                                const std::vector<MediaSize>& offered) {
    if (width == job_area.width && height == job_area.height) return Placement{job_area, 0, 0};
    for (const MediaSize& size : offered)
        if (size.area.width == width && size.area.height == height) return Placement{size.area, 0, 0};
    if (width <= job_area.width && height <= job_area.height)
        return Placement{job_area, (job_area.width - width) / 2, (job_area.height - height) / 2};
    return "the page is " + text(width) + " x " + text(height) + " pixels, larger than the print area of " +
           text(job_area.width) + " x " + text(job_area.height) + " of the chosen media size";
}

void convert_line(const LineFormat& f, const uint8_t* line, uint8_t* rgb) {
    const int step = f.bytes_per_channel;  // the high byte of a 16-bit value comes first
    if (f.channels == 3 && step == 1) {
        for (int i = 0; i < f.width * 3; ++i) rgb[i] = line[i];
    } else if (f.channels == 3) {
        for (int i = 0; i < f.width * 3; ++i) rgb[i] = line[i * 2];
    } else {
        for (int x = 0; x < f.width; ++x) rgb[3 * x] = rgb[3 * x + 1] = rgb[3 * x + 2] = line[x * step];
    }
}

void make_grey(uint8_t* rgb, int width) {
    for (int x = 0; x < width; ++x, rgb += 3) {
        const auto grey = uint8_t((299 * rgb[0] + 587 * rgb[1] + 114 * rgb[2] + 500) / 1000);
        rgb[0] = rgb[1] = rgb[2] = grey;
    }
}

}  // namespace tz::app
