// The exported C functions of the MOT loader, download mode and the one-call
// firmware update: thin forwarders.
#include "tzpusb.h"

#include "context_sessions.h"
#include "download/download_mode.h"
#include "download/firmware_update.h"
#include "download/mot_loader.h"
#include "forwarding.h"
#include "platform/export.h"

using namespace tz::lib;

namespace {

template <typename T>
void put(T* out, T value) {
    if (out != nullptr) *out = value;
}

}  // namespace

TZ_EXPORT void* TZPUSB_API tzpusb_newMotFile(const char* path, uint32_t* size, uint32_t* sum, uint32_t* start, uint32_t* end,
                                  uint16_t* result) {
    MotImage image;
    forward(result, [&](PrinterContext& context) {
        return load_mot_file(download_session(context), path, image);
    });
    if (image.bytes == nullptr) {
        put(size, uint32_t{0});
        put(sum, uint32_t{0});
        return nullptr;
    }
    put(size, image.size);
    put(sum, image.sum);
    put(start, image.start);
    put(end, image.end);
    return image.bytes;
}

TZ_EXPORT void TZPUSB_API tzpusb_disposMotFile(void* image) { dispose_mot_image(image); }

TZ_EXPORT int TZPUSB_API tzpusb_startDlMode(int kind, int restart, uint32_t length, uint16_t* result) {
    return forward(result, [=](PrinterContext& context) {
        return start_download_mode(context, download_session(context), kind, restart, length);
    });
}

TZ_EXPORT int TZPUSB_API tzpusb_continue(const void* image, uint32_t* length, uint16_t* result) {
    return forward(result, [=](PrinterContext& context) {
        return continue_download(context, download_session(context), image, length);
    });
}

TZ_EXPORT int TZPUSB_API tzpusb_endDlMode(uint16_t* result) {
    return forward(result, [](PrinterContext& context) {
        return end_download_mode(context, download_session(context));
    });
}

TZ_EXPORT int TZPUSB_API tzpusb_updateFirmware(int file_type, const char* path, uint16_t* result) {
    return forward(result, [=](PrinterContext& context) {
        return update_firmware(context, file_type, path);
    });
}
