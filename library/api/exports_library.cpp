// The exported C functions of the frame, discovery and selection: thin
// forwarders. Nothing here may let an exception reach the caller.
#include "tzpusb.h"

#include "context_sessions.h"
#include "core/discovery.h"
#include "core/library_open.h"
#include "core/result_codes.h"
#include "core/selection.h"
#include "platform/export.h"

using namespace tz::lib;

TZ_EXPORT int tzpusb_MakeThread(int slot_count) {
    try {
        return make_slots(slot_count, make_sessions);
    } catch (...) {
        return 0;
    }
}

TZ_EXPORT int tzpusb_open(uint16_t* result) {
    try {
        return open_library(OpenKind::Printing, make_sessions, result);
    } catch (...) {
        store(result, TZP_NO_MEMORY);
        return 0;
    }
}

TZ_EXPORT int tzpusb_openDownload(int mode, uint16_t* result) {
    try {
        // The mode is taken and not used: no download depends on it.
        static_cast<void>(mode);
        return open_library(OpenKind::Download, make_sessions, result);
    } catch (...) {
        store(result, TZP_NO_MEMORY);
        return 0;
    }
}

TZ_EXPORT void tzpusb_close(void) {
    try {
        close_library();
    } catch (...) {
    }
}

TZ_EXPORT int tzpusb_ReleaseThread(uint16_t* result) {
    try {
        return release_contexts(result);
    } catch (...) {
        return 0;
    }
}

TZ_EXPORT int tzpusb_AttachThreadCount(uint16_t* attached, uint16_t* slots) {
    try {
        return attached_thread_count(attached, slots);
    } catch (...) {
        return 0;
    }
}

TZ_EXPORT uint16_t tzpusb_listupPrinter(uint8_t* indexes) {
    try {
        return list_printers(indexes);
    } catch (...) {
        return 0;
    }
}

TZ_EXPORT uint16_t tzpusb_listupPrinterSN(char* serials) {
    try {
        return list_printer_serials(serials);
    } catch (...) {
        return 0;
    }
}

TZ_EXPORT uint8_t tzpusb_selectPrinter(int index, uint16_t* result) {
    try {
        return select_printer(index, result);
    } catch (...) {
        return 255;
    }
}

TZ_EXPORT char* tzpusb_selectPrinterSN(const char* serial, uint16_t* result) {
    try {
        return select_printer_serial(serial, result);
    } catch (...) {
        return nullptr;
    }
}
