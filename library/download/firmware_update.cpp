#include "firmware_update.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <new>
#include <system_error>

#include "core/acquisition.h"
#include "core/command_packets.h"
#include "core/data_pieces.h"
#include "core/exchange.h"
#include "core/printer_context.h"
#include "download_mode.h"
#include "firmware_layout.h"

namespace tz::lib {
namespace {

bool size_acceptable(int file_type, uint64_t size) {
    switch (file_type) {
    case kFileUsb: return size == kUsbFirmwareSize;
    case kFileDsp: return size >= kDspMinimumSize;
    default: return size >= kSmallPartMinimumSize;  // MAIN, TABLE
    }
}

size_t identifier_offset(int file_type) {
    switch (file_type) {
    case kFileUsb: return kUsbIdentifierOffset;
    case kFileDsp: return kDspIdentifierOffset;
    default: return kStartIdentifierOffset;
    }
}

int download_kind(int file_type) {
    switch (file_type) {
    case kFileUsb: return kDownloadUsb;
    case kFileMain: return kDownloadMain;
    case kFileDsp: return kDownloadDsp;
    default: return kDownloadTable;
    }
}

struct FirmwareFile {
    std::unique_ptr<uint8_t[]> bytes;
    uint32_t size = 0;
};

// Reads and checks the whole file.
ResultCode read_firmware_file(int file_type, const char* path, FirmwareFile& file) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return TZP_FILE_ERROR;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || !size_acceptable(file_type, size)) return TZP_FILE_ERROR;
    if (size > kFirmwareFileLimit) return TZP_NO_MEMORY;
    file.size = static_cast<uint32_t>(size);
    file.bytes.reset(new (std::nothrow) uint8_t[file.size]);
    if (!file.bytes) return TZP_NO_MEMORY;
    std::ifstream in(path, std::ios::binary);
    // A file that gives fewer bytes than its size is not sent half-read.
    if (!in || !in.read(reinterpret_cast<char*>(file.bytes.get()), file.size)) return TZP_FILE_ERROR;
    if (file_type == kFileUsb && file.bytes[0] != kUsbFirstByte) return TZP_FILE_ERROR;
    if (std::memcmp(file.bytes.get() + identifier_offset(file_type), kFirmwareIdentifier, kFirmwareIdentifierSize) != 0)
        return TZP_FILE_ERROR;
    return TZP_OK;
}

}  // namespace

ResultCode update_firmware(PrinterContext& context, int file_type, const char* path) {
    PrinterHold hold;
    if (ResultCode code = acquire_printer(context, hold); code != TZP_OK) return code;
    if (file_type < kFileUsb || file_type > kFileTable || path == nullptr) return TZP_BAD_PARAMETER;
    FirmwareFile file;
    if (ResultCode code = read_firmware_file(file_type, path, file); code != TZP_OK) return code;

    const int kind = download_kind(file_type);
    const packets::Packet announcement =
        kind == kDownloadUsb ? packets::usb_firmware_download(1, kUsbLoadAddress, kUsbFirmwareSize)
                             : packets::update(static_cast<uint8_t>(kind), 0, 0, file.size);
    if (ResultCode code = send_and_acknowledge(context, announcement); code != TZP_OK) return fold_usb_error(code);
    // The USB controller takes its header block, the file's last 64 bytes, first.
    if (kind == kDownloadUsb)
        std::rotate(file.bytes.get(), file.bytes.get() + file.size - kUsbHeaderBlockSize, file.bytes.get() + file.size);
    uint32_t sent = 0;
    return fold_usb_error(write_pieces(context, file.bytes.get(), file.size, sent));
}

}  // namespace tz::lib
