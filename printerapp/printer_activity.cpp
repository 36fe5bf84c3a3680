#include "printer_activity.h"

#include <memory>
#include <string>
#include <vector>

#include "device_scheme.h"
#include "driver.h"
#include "printer_condition.h"
#include "printer_queries.h"
#include "printers.h"
#include "tzpusb.h"

namespace tz::app {

namespace {

constexpr int kDiscoverySeconds = 5;
constexpr int kStatusSeconds = 2;

PrinterEntry* entry_of(pappl_printer_t* printer) {
    const char* uri = papplPrinterGetDeviceURI(printer);
    const std::optional<std::string> serial = serial_from_uri(uri ? uri : "");
    return serial ? &printers().get(*serial) : nullptr;
}

// A printer found again by its id when a queued look runs: it may have been
// deleted meanwhile.
pappl_printer_t* find_printer(pappl_system_t* system, int id) { return papplSystemFindPrinter(system, nullptr, id, nullptr); }

// On the printer's link thread: the state, the media and the supplies.
void look_at(pappl_system_t* system, int printer_id, PrinterEntry& entry) {
    const unsigned code = read_status(entry.link);
    const std::optional<MediaInfo> media = is_unreachable(code) ? std::nullopt : read_media(entry.link);
    pappl_printer_t* printer = find_printer(system, printer_id);
    if (printer == nullptr) return;
    show_printer_state(printer, code);
    if (!media) return;
    int capacity = 0;
    bool media_changed = false;
    {
        std::lock_guard guard(entry.lock);
        media_changed = entry.media && (entry.media->width != media->width || entry.media->height != media->height);
        if (media_changed || entry.paper_capacity < media->prints_left) entry.paper_capacity = media->prints_left;
        entry.media = media;
        capacity = entry.paper_capacity;
    }
    Supplies supplies = supplies_for(*media, capacity, code == TZP_NO_RIBBON, code == TZP_NO_PAPER);
    pappl_supply_t list[2] = {supplies.paper, supplies.ribbon};
    papplPrinterSetSupplies(printer, 2, list);
    if (media_changed) {
        // Other media loaded: other sizes fit.
        pappl_pr_driver_data_t data{};
        papplPrinterGetDriverData(printer, &data);
        set_driver_media(data, *media);
        papplPrinterSetReadyMedia(printer, 1, data.media_ready);
    }
}

void look_soon(pappl_printer_t* printer) {
    PrinterEntry* entry = entry_of(printer);
    if (entry == nullptr || !entry->link.idle()) return;  // a look is queued, or a job asks the printer itself
    pappl_system_t* system = papplPrinterGetSystem(printer);
    const int id = papplPrinterGetID(printer);
    entry->link.post([system, id, entry] { look_at(system, id, *entry); });
}

bool status_timer(pappl_system_t* system, void*) {
    papplSystemIteratePrinters(system, [](pappl_printer_t* printer, void*) { look_soon(printer); }, nullptr);
    return true;
}

// Adds the printers the library lists that the system has not got yet.
void add_new_printers(pappl_system_t* system) {
    for (const std::string& serial : list_serials()) {
        const std::string uri = uri_for(serial);
        if (papplSystemFindPrinter(system, nullptr, 0, uri.c_str()) != nullptr) continue;
        pappl_printer_t* printer =
            papplPrinterCreate(system, 0, serial.c_str(), kDriverName, device_id_for(serial).c_str(), uri.c_str());
        papplLog(system, printer ? PAPPL_LOGLEVEL_INFO : PAPPL_LOGLEVEL_ERROR, "%s printer %s (%s).",
                 printer ? "Added" : "Cannot add", serial.c_str(), uri.c_str());
    }
}

// The library's listing runs on a thread of its own, never on PAPPL's.
PrinterLink& discovery_link() {
    static PrinterLink link("discovery");
    return link;
}

bool discovery_timer(pappl_system_t* system, void*) {
    PrinterLink& link = discovery_link();
    if (link.idle()) link.post([system] { add_new_printers(system); });
    return true;
}

}  // namespace

void show_printer_state(pappl_printer_t* printer, unsigned code) {
    const std::optional<pappl_preason_t> reasons = reasons_for_status(code);
    if (!reasons) return;
    const pappl_preason_t now = papplPrinterGetReasons(printer) & kManagedReasons;
    if (now != *reasons) papplPrinterSetReasons(printer, *reasons, kManagedReasons & ~*reasons);
}

bool poll_printer(pappl_printer_t* printer) {
    look_soon(printer);
    return true;
}

void identify_printer(pappl_printer_t* printer) {
    if (PrinterEntry* entry = entry_of(printer)) entry->link.post([entry] { blink(entry->link); });
}

void start_printer_watch(pappl_system_t* system) {
    papplSystemAddTimerCallback(system, 0, kDiscoverySeconds, discovery_timer, nullptr);
    papplSystemAddTimerCallback(system, 0, kStatusSeconds, status_timer, nullptr);
}

}  // namespace tz::app
