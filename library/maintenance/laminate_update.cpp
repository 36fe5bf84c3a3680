#include "laminate_update.h"

#include <filesystem>
#include <fstream>
#include <memory>
#include <new>
#include <optional>
#include <system_error>

#include "core/acquisition.h"
#include "core/command_packets.h"
#include "core/exchange.h"
#include "core/printer_context.h"
#include "raw_commands.h"

namespace tz::lib {

ExportAnswer update_laminate(PrinterContext& context, int target, const char* path) {
    const auto failed = [](ResultCode code) { return ExportAnswer{false, code}; };
    PrinterHold hold;
    if (ResultCode code = acquire_printer(context, hold); code != TZP_OK) return failed(code);
    if (path == nullptr) return failed(TZP_BAD_PARAMETER);
    std::ifstream file(path, std::ios::binary);
    std::error_code error;
    const std::uintmax_t file_size = std::filesystem::file_size(path, error);
    if (!file || error) return failed(TZP_FILE_ERROR);
    if (file_size > kLaminateFileLimit) return failed(TZP_NO_MEMORY);
    const auto size = static_cast<uint32_t>(file_size);
    std::unique_ptr<uint8_t[]> content(new (std::nothrow) uint8_t[size == 0 ? 1 : size]);
    if (!content) return failed(TZP_NO_MEMORY);
    // A file that gives fewer bytes than it announced is not sent half-read.
    if (size > 0 && !file.read(reinterpret_cast<char*>(content.get()), size)) return failed(TZP_FILE_ERROR);
    file.close();

    const ResultCode announced =
        send_and_acknowledge(context, packets::update(static_cast<uint8_t>(target), 0, 0, size));
    if (announced != TZP_OK) return failed(fold_usb_error(announced));
    // An empty file writes no data piece: a failure that keeps the
    // acknowledgement's code.
    const ExportAnswer sent = send_raw_data(context, content.get(), size);
    return {sent.succeeded, fold_usb_error(sent.code.value_or(announced))};
}

}  // namespace tz::lib
