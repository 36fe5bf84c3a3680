// The one driver, "tz5170": what a TARVO 5170 offers over IPP, from the
// media the printer reports when the printer is created.
#pragma once

#include <pappl/pappl.h>

#include "color_profiles.h"
#include "media_catalog.h"

namespace tz::app {

inline constexpr const char* kDriverName = "tz5170";
inline constexpr const char* kRenderingIntent = "print-rendering-intent";

extern pappl_pr_driver_t kDrivers[1];

// PAPPL's driver callback; `context` is the Application (application.h),
// which driver_data.extension points to as well.
bool driver_callback(pappl_system_t* system, const char* driver_name, const char* device_uri, const char* device_id,
                     pappl_pr_driver_data_t* data, ipp_t** attributes, void* context);

// Fills the media of the driver data for `media`: supported sizes, the
// ready and default media (the media's full size, glossy).
void set_driver_media(pappl_pr_driver_data_t& data, const MediaInfo& media);

// The auto-add callback: the driver for tz5170:// devices, none for
// anything else (PAPPL's usb:// included: a TARVO 5170 is reached through
// the printer-control library only).
const char* autoadd_callback(const char* device_info, const char* device_uri, const char* device_id, void* data);

}  // namespace tz::app
