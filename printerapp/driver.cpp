#include "driver.h"

#include <array>
#include <string>
#include <vector>

#include "application.h"
#include "details_page.h"
#include "device_scheme.h"
#include "embedded_icons.h"
#include "lasting_text.h"
#include "printer_activity.h"
#include "printer_queries.h"
#include "printers.h"
#include "raster_job.h"

namespace tz::app {

pappl_pr_driver_t kDrivers[1] = {{kDriverName, "TARVO 5170", "MFG:TARVO;MDL:5170;", nullptr}};

namespace {

void add_keywords(ipp_t* attributes, const char* name, const std::vector<std::string>& values) {
    std::vector<const char*> words;
    for (const std::string& value : values) words.push_back(lasting_text(value));
    ippAddStrings(attributes, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, name, int(words.size()), nullptr, words.data());
}

// The printer's media when it answers within a few seconds; the factory
// media otherwise (a printer restored from the state file may be away).
MediaInfo media_of(const std::string& serial) {
    PrinterEntry& entry = printers().get(serial);
    std::optional<std::optional<MediaInfo>> media =
        entry.link.call<std::optional<MediaInfo>>([&link = entry.link] { return read_media(link); }, std::chrono::seconds(5));
    if (media && *media) {
        std::lock_guard guard(entry.lock);
        entry.media = **media;
        return **media;
    }
    return factory_media();
}

void identify(pappl_printer_t* printer, pappl_identify_actions_t, const char*) { identify_printer(printer); }

void forget(pappl_printer_t* printer, pappl_pr_driver_data_t*) { remove_details_page(printer); }

}  // namespace

void set_driver_media(pappl_pr_driver_data_t& data, const MediaInfo& media) {
    const std::vector<MediaSize> sizes = sizes_for(media);
    data.num_media = 0;
    for (const MediaSize& size : sizes)
        if (data.num_media < PAPPL_MAX_MEDIA) data.media[data.num_media++] = lasting_text(size.pwg_name);
    pappl_media_col_t ready{};
    if (!sizes.empty()) {
        const MediaSize& full = sizes.back();
        papplCopyString(ready.size_name, full.pwg_name.c_str(), sizeof ready.size_name);
        ready.size_width = full.width_hmm;
        ready.size_length = full.length_hmm;
    }
    papplCopyString(ready.source, "main", sizeof ready.source);
    papplCopyString(ready.type, kGlossy, sizeof ready.type);
    data.media_ready[0] = ready;
    data.media_default = ready;
}

bool driver_callback(pappl_system_t*, const char* driver_name, const char* device_uri, const char*,
                     pappl_pr_driver_data_t* data, ipp_t** attributes, void* context) {
    if (driver_name == nullptr || std::string(driver_name) != kDriverName || data == nullptr) return false;
    const std::optional<std::string> serial = serial_from_uri(device_uri ? device_uri : "");
    if (!serial) return false;
    auto* shared = static_cast<Application*>(context);
    data->extension = shared;

    set_raster_callbacks(*data);
    data->identify_cb = identify;
    data->delete_cb = forget;
    data->status_cb = poll_printer;
    data->format = "image/pwg-raster";
    papplCopyString(data->make_and_model, "TARVO 5170", sizeof data->make_and_model);
    data->ppm = 6;  // a copy takes about ten seconds
    data->ppm_color = 6;
    for (size_t i = 0; i < kIconCount && i < 3; ++i) {
        data->icons[i].data = kIcons[i].data;
        data->icons[i].datalen = kIcons[i].size;
    }
    data->kind = PAPPL_KIND_PHOTO;
    data->has_supplies = true;
    data->orient_default = IPP_ORIENT_PORTRAIT;
    // Colour; grey on request (CUPS queues offer it), printed as RGB.
    data->color_supported = PAPPL_COLOR_MODE_AUTO | PAPPL_COLOR_MODE_COLOR | PAPPL_COLOR_MODE_MONOCHROME;
    data->color_default = PAPPL_COLOR_MODE_COLOR;
    data->content_default = PAPPL_CONTENT_PHOTO;
    data->quality_default = IPP_QUALITY_NORMAL;
    data->scaling_default = PAPPL_SCALING_FILL;
    data->raster_types = PAPPL_PWG_RASTER_TYPE_SRGB_8;
    data->force_raster_type = PAPPL_PWG_RASTER_TYPE_SRGB_8;
    data->duplex = PAPPL_DUPLEX_NONE;
    data->sides_supported = PAPPL_SIDES_ONE_SIDED;
    data->sides_default = PAPPL_SIDES_ONE_SIDED;
    data->num_resolution = 1;
    data->x_resolution[0] = data->y_resolution[0] = kResolution;
    data->x_default = data->y_default = kResolution;
    data->borderless = true;
    data->left_right = 0;
    data->bottom_top = 0;
    data->num_source = 1;
    data->source[0] = "main";
    data->num_type = 2;
    data->type[0] = kGlossy;
    data->type[1] = kMatte;
    data->identify_supported = PAPPL_IDENTIFY_ACTIONS_FLASH;
    data->identify_default = PAPPL_IDENTIFY_ACTIONS_FLASH;
    set_driver_media(*data, media_of(*serial));

    data->num_vendor = 0;
    if (shared != nullptr) data->vendor[data->num_vendor++] = kProfileAttribute;

    ipp_t* extra = ippNew();
    // The library's colour matching takes the ICC rendering intents.
    add_keywords(extra, "print-rendering-intent-supported", {"auto", "perceptual", "relative", "saturation", "absolute"});
    ippAddString(extra, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, "print-rendering-intent-default", nullptr, "auto");
    // One-sided: a back side is never turned. No preferred attributes.
    ippAddString(extra, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, "pwg-raster-document-sheet-back", nullptr, "normal");
    ippAddBoolean(extra, IPP_TAG_PRINTER, "preferred-attributes-supported", 0);
    if (shared != nullptr) {
        add_keywords(extra, (std::string(kProfileAttribute) + "-supported").c_str(), shared->profiles.names());
        ippAddString(extra, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, (std::string(kProfileAttribute) + "-default").c_str(),
                     nullptr, lasting_text(shared->profiles.default_name));
    }
    *attributes = extra;
    return true;
}

const char* autoadd_callback(const char*, const char* device_uri, const char*, void*) {
    if (device_uri != nullptr && serial_from_uri(device_uri)) return kDriverName;
    return nullptr;
}

}  // namespace tz::app
