#include "image_filter.h"

#include <vips/vips8>

#include <cstring>
#include <memory>

namespace tz::app {

namespace {

using vips::VImage;

constexpr int kLargestSide = 20000;

struct GFree {
    void operator()(void* memory) const { g_free(memory); }
};

// RAII for the print options PAPPL makes for a job.
struct PrintOptions {
    explicit PrintOptions(pappl_job_t* job) : options(papplJobCreatePrintOptions(job, 1, true)) {}
    ~PrintOptions() {
        if (options) papplJobDeletePrintOptions(options);
    }
    PrintOptions(const PrintOptions&) = delete;
    PrintOptions& operator=(const PrintOptions&) = delete;
    pappl_pr_options_t* options;
};

bool refuse(pappl_job_t* job, const char* why) {
    papplJobSetMessage(job, "Not printed: %s.", why);
    papplJobSetReasons(job, PAPPL_JREASON_DOCUMENT_FORMAT_ERROR, PAPPL_JREASON_NONE);
    papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "Cannot read the document: %s.", why);
    return false;
}

bool filter_image(pappl_job_t* job, pappl_device_t* device, void*) {
    // A job cancelled while it was starting has lost its file.
    const char* filename = papplJobGetFilename(job);
    if (filename == nullptr) return refuse(job, "the job has no document file");
    VImage image;
    try {
        image = VImage::new_from_file(filename, VImage::option()->set("access", VIPS_ACCESS_RANDOM));
        if (image.width() > kLargestSide || image.height() > kLargestSide) return refuse(job, "the image is too large");
        image = image.autorot();
        if (image.get_typeof(VIPS_META_ICC_NAME) != 0)
            image = image.icc_transform("srgb", VImage::option()->set("embedded", true));
        if (image.interpretation() != VIPS_INTERPRETATION_sRGB) image = image.colourspace(VIPS_INTERPRETATION_sRGB);
        if (image.has_alpha()) image = image.flatten(VImage::option()->set("background", std::vector<double>{255, 255, 255}));
        if (image.bands() > 3) image = image.extract_band(0, VImage::option()->set("n", 3));
        if (image.format() != VIPS_FORMAT_UCHAR) image = image.cast(VIPS_FORMAT_UCHAR);
        if (image.bands() != 3) return refuse(job, "the image cannot be turned into RGB");
    } catch (const vips::VError& error) {
        return refuse(job, error.what());
    }
    size_t size = 0;
    std::unique_ptr<void, GFree> pixels;
    try {
        pixels.reset(image.write_to_memory(&size));
    } catch (const vips::VError& error) {
        return refuse(job, error.what());
    }
    const int ppi = image.xres() > 0 ? int(image.xres() * 25.4 + 0.5) : 0;  // libvips keeps pixels per millimetre
    PrintOptions print(job);
    if (print.options == nullptr) return refuse(job, "no print options");
    return papplJobFilterImage(job, device, print.options, static_cast<const unsigned char*>(pixels.get()), image.width(),
                               image.height(), 3, ppi, true);
}

const char* sniff(const unsigned char* header, size_t size, void*) { return detect_image_format(header, size); }

}  // namespace

const char* detect_image_format(const unsigned char* header, size_t size) {
    if (header == nullptr) return nullptr;
    if (size >= 4 && (std::memcmp(header, "II*\0", 4) == 0 || std::memcmp(header, "MM\0*", 4) == 0)) return kTiff;
    if (size >= 12 && std::memcmp(header, "RIFF", 4) == 0 && std::memcmp(header + 8, "WEBP", 4) == 0) return kWebp;
    return nullptr;
}

void add_image_filters(pappl_system_t* system) {
    papplSystemAddMIMEFilter(system, kTiff, "image/pwg-raster", filter_image, nullptr);
    papplSystemAddMIMEFilter(system, kWebp, "image/pwg-raster", filter_image, nullptr);
    papplSystemSetMIMECallback(system, sniff, nullptr);
}

}  // namespace tz::app
