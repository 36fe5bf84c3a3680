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

namespace {

// Stores the code and returns 1 when it is TZP_OK, else 0.
int answer(uint16_t* result, ResultCode code) {
    store(result, code);
    return code == TZP_OK ? 1 : 0;
}

}  // namespace

TZ_EXPORT int TZPUSB_API tzpusb_MakeThread(int slot_count) {
    try {
        return make_slots(slot_count, make_sessions) == TZP_OK ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

TZ_EXPORT int TZPUSB_API tzpusb_open(uint16_t* result) {
    try {
        return answer(result, open_library(OpenKind::Printing, make_sessions));
    } catch (...) {
        store(result, TZP_NO_MEMORY);
        return 0;
    }
}

TZ_EXPORT int TZPUSB_API tzpusb_openDownload(int mode, uint16_t* result) {
    try {
        // The mode is taken and not used: no download depends on it.
        static_cast<void>(mode);
        return answer(result, open_library(OpenKind::Download, make_sessions));
    } catch (...) {
        store(result, TZP_NO_MEMORY);
        return 0;
    }
}

TZ_EXPORT void TZPUSB_API tzpusb_close(void) {
    try {
        close_library();
    } catch (...) {
    }
}

TZ_EXPORT int TZPUSB_API tzpusb_ReleaseThread(uint16_t* result) {
    try {
        return answer(result, release_contexts());
    } catch (...) {
        return 0;
    }
}

TZ_EXPORT int TZPUSB_API tzpusb_AttachThreadCount(uint16_t* attached, uint16_t* slots) {
    try {
        return attached_thread_count(attached, slots) == TZP_OK ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

TZ_EXPORT uint16_t TZPUSB_API tzpusb_listupPrinter(uint8_t* indexes) {
    try {
        return list_printers(indexes);
    } catch (...) {
        return 0;
    }
}

TZ_EXPORT uint16_t TZPUSB_API tzpusb_listupPrinterSN(char* serials) {
    try {
        return list_printer_serials(serials);
    } catch (...) {
        return 0;
    }
}

TZ_EXPORT uint8_t TZPUSB_API tzpusb_selectPrinter(int index, uint16_t* result) {
    try {
        uint8_t selected = kNoPrinter;
        store(result, select_printer(index, selected));
        return selected;
    } catch (...) {
        return 255;
    }
}

TZ_EXPORT char* TZPUSB_API tzpusb_selectPrinterSN(const char* serial, uint16_t* result) {
    try {
        char* selected = nullptr;
        store(result, select_printer_serial(serial, selected));
        return selected;
    } catch (...) {
        return nullptr;
    }
}
