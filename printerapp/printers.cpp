#include "printers.h"

#include <algorithm>

namespace tz::app {

PrinterEntry& Printers::get(const std::string& serial) {
    std::lock_guard guard(lock_);
    auto& entry = entries_[serial];
    if (!entry) entry = std::make_unique<PrinterEntry>(serial);
    return *entry;
}

std::vector<std::string> Printers::serials() {
    std::lock_guard guard(lock_);
    std::vector<std::string> out;
    for (const auto& [serial, entry] : entries_) out.push_back(serial);
    return out;
}

void Printers::stop_all() {
    std::lock_guard guard(lock_);
    for (auto& [serial, entry] : entries_) entry->link.stop();
}

Printers& printers() {
    static Printers instance;
    return instance;
}

bool valid_serial(const std::string& serial) {
    return serial.size() == 8 && std::all_of(serial.begin(), serial.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' || c == '_';
           });
}

}  // namespace tz::app
