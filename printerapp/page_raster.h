// Raster pages as PAPPL hands them over (its own rendering of JPEG and PNG,
// or the client's PWG raster with the client's page header), checked and
// turned into what the printer takes: 8-bit sRGB at 300 dpi, no larger than
// the print area. What cannot be converted is refused with a message for
// the job, so that no wrong page is ever sent.
#pragma once

#include <cups/raster.h>

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "media_catalog.h"

namespace tz::app {

// How the lines of a page become RGB: 8-bit RGB as it is, 16-bit RGB
// to its high bytes, 8- or 16-bit grey to three equal channels.
struct LineFormat {
    int width = 0;
    int height = 0;
    unsigned bytes_per_line = 0;
    int channels = 3;  // 1 or 3
    int bytes_per_channel = 1;  // 1 or 2 (big-endian, as PWG raster has it)
};

// A page placed on a print area: the area, and where the image lies in it.
struct Placement {
    Area area;
    int offset_x = 0, offset_y = 0;
};

// The page's header checked: 300 dpi, sRGB/RGB or grey, 8 or 16 bits,
// chunky. A message when the printer cannot take it.
std::variant<LineFormat, std::string> line_format_for(const cups_page_header2_t& header);

// Where the page goes: on the area of the job's media when it fills it;
// on another offered area that it fills exactly (a client's PWG raster of
// another size than the job's media); centred on the job's area when
// smaller; else a message.
std::variant<Placement, std::string> place_page(int width, int height, const Area& job_area,
                                                const std::vector<MediaSize>& offered);

// One line into the page's RGB pixels (`line` holds bytes_per_line bytes).
void convert_line(const LineFormat& format, const uint8_t* line, uint8_t* rgb);

// print-color-mode monochrome: a line of RGB pixels turned grey in place
// (Rec. 601 luma), still sent as RGB.
void make_grey(uint8_t* rgb, int width);

}  // namespace tz::app
