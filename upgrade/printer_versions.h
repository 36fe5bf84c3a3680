// What the printer says about its firmware: the engine-ID record (tag
// PINFTAG_ENGID), its firmware entries, the board it tells, and the versions
// read from it before and after an upgrade.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "firmware_versions.h"
#include "library_session.h"

namespace tz::upgrade {

inline constexpr size_t kEngineRecordSize = 267;

// Where the entries this program uses start in the record.
inline constexpr size_t kMainEntryOffset = 39;
inline constexpr size_t kDspEntryOffset = 115;
inline constexpr size_t kUsbEntryOffset = 191;
inline constexpr size_t kTableEntryOffset = 229;

using EngineRecord = std::array<uint8_t, kEngineRecordSize>;

struct FirmwareEntry {
    std::string name;  // up to 8 characters, up to the first NUL
    std::string type;  // up to 16
    std::string date;  // up to 10
    VersionPair version;
};

FirmwareEntry entry_at(const EngineRecord& record, size_t offset);

enum class PcbType { NewPcb, OldPcb, NewPcb2, Unknown };

// From the MAIN boot firmware ID, the 8 characters at offset 1.
PcbType pcb_type_of(const EngineRecord& record);

struct PrinterVersions {
    VersionPair main;
    VersionPair dsp;
    VersionPair usb;
    VersionPair table;
};

PrinterVersions versions_of(const EngineRecord& record);

// tzpusb_getPrinterInfo(PINFTAG_ENGID) on the selected printer.
bool read_engine_record(EngineRecord& record);

// Opens `session`, selects the printer and reads its versions. 0 with the
// session left open; 1 opening failed, 2 selecting failed (each after the
// error line), 3 the record was not read (after its own line).
int read_printer_versions(LibrarySession& session, const std::string& serial, PrinterVersions& versions);

}  // namespace tz::upgrade
