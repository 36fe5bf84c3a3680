// The printers this process has met, by serial: each one's link (thread and
// library context), its job gate and what was last seen of it. Entries live
// until the process ends, so that a printer that leaves and comes back finds
// its link again.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "job_gate.h"
#include "media_catalog.h"
#include "printer_link.h"

namespace tz::app {

struct PrinterEntry {
    explicit PrinterEntry(const std::string& serial) : link(serial) {}
    PrinterLink link;
    JobGate gate;

    // What the status poll saw last (guarded by `lock`).
    std::mutex lock;
    std::optional<MediaInfo> media;
    int paper_capacity = 0;  // the most prints left seen on this media
};

class Printers {
public:
    // The entry for `serial`, made (and its thread started) on first use.
    PrinterEntry& get(const std::string& serial);
    std::vector<std::string> serials();
    // Ends every link's thread (each after the task it runs now).
    void stop_all();

private:
    std::mutex lock_;
    std::map<std::string, std::unique_ptr<PrinterEntry>> entries_;
};

// The process's printers, for PAPPL's callbacks that carry no data of ours.
Printers& printers();

// A serial as the library lists it: 8 letters, digits, '-' or '_'.
bool valid_serial(const std::string& serial);

}  // namespace tz::app
