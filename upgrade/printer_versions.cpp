#include "printer_versions.h"

#include <algorithm>
#include <cstring>

#include "output.h"
#include "tzpusb.h"

namespace tz::upgrade {
namespace {

constexpr size_t kBootIdOffset = 1;
constexpr size_t kBootIdSize = 8;
constexpr size_t kNameSize = 8;
constexpr size_t kTypeOffset = 8;
constexpr size_t kTypeSize = 16;
constexpr size_t kDateOffset = 24;
constexpr size_t kDateSize = 10;
constexpr size_t kMajorOffset = 34;
constexpr size_t kMinorOffset = 35;

std::string field(const EngineRecord& record, size_t offset, size_t size) {
    const char* start = reinterpret_cast<const char*>(record.data() + offset);
    return std::string(start, std::find(start, start + size, '\0'));
}

}  // namespace

FirmwareEntry entry_at(const EngineRecord& record, size_t offset) {
    return {field(record, offset, kNameSize), field(record, offset + kTypeOffset, kTypeSize),
            field(record, offset + kDateOffset, kDateSize),
            {record[offset + kMajorOffset], record[offset + kMinorOffset]}};
}

PcbType pcb_type_of(const EngineRecord& record) {
    const void* id = record.data() + kBootIdOffset;
    if (std::memcmp(id, "E0229800", kBootIdSize) == 0) return PcbType::NewPcb;
    if (std::memcmp(id, "E0203300", kBootIdSize) == 0) return PcbType::OldPcb;
    if (std::memcmp(id, "E0242600", kBootIdSize) == 0) return PcbType::NewPcb2;
    return PcbType::Unknown;
}

PrinterVersions versions_of(const EngineRecord& record) {
    return {entry_at(record, kMainEntryOffset).version, entry_at(record, kDspEntryOffset).version,
            entry_at(record, kUsbEntryOffset).version, entry_at(record, kTableEntryOffset).version};
}

bool read_engine_record(EngineRecord& record) {
    record.fill(0);
    uint32_t size = kEngineRecordSize;
    return tzpusb_getPrinterInfo(PINFTAG_ENGID, record.data(), &size) == 1;
}

int read_printer_versions(LibrarySession& session, const std::string& serial, PrinterVersions& versions) {
    switch (session.open_and_select(serial)) {
        case SessionStart::OpenFailed: session.close(); return 1;
        case SessionStart::SelectFailed: session.close(); return 2;
        case SessionStart::Ready: break;
    }
    EngineRecord record{};
    if (!read_engine_record(record)) {
        say("PINFTAG_ENGID information acquisition failure.\n");
        session.close();
        return 3;
    }
    versions = versions_of(record);
    return 0;
}

}  // namespace tz::upgrade
