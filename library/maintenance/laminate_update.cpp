#include "laminate_update.h"

#include <filesystem>
#include <fstream>
#include <memory>
#include <new>
#include <optional>
#include <system_error>

#include "core/acquisition.h"
#include "core/command_packets.h"
#include "core/printer_context.h"
#include "raw_commands.h"

namespace tz::lib {

bool update_laminate(PrinterContext& context, int target, const char* path, ResultCode& code) {
    PrinterHold hold = acquire_printer(context, code);
    if (!hold.held()) return false;
    if (path == nullptr) {
        code = TZP_BAD_PARAMETER;
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    std::error_code error;
    const std::uintmax_t file_size = std::filesystem::file_size(path, error);
    if (!file || error) {
        code = TZP_FILE_ERROR;
        return false;
    }
    if (file_size > kLaminateFileLimit) {
        code = TZP_NO_MEMORY;
        return false;
    }
    const auto size = static_cast<uint32_t>(file_size);
    std::unique_ptr<uint8_t[]> content(new (std::nothrow) uint8_t[size == 0 ? 1 : size]);
    if (!content) {
        code = TZP_NO_MEMORY;
        return false;
    }
    // A file that gives fewer bytes than it announced is not sent half-read.
    if (size > 0 && !file.read(reinterpret_cast<char*>(content.get()), size)) {
        code = TZP_FILE_ERROR;
        return false;
    }
    file.close();

    bool ok = context.sender->send(packets::update(static_cast<uint8_t>(target), 0, 0, size), code) &&
              context.receiver->read_acknowledge(code);
    if (ok) {
        std::optional<ResultCode> data_code;
        ok = send_raw_data(context, content.get(), size, data_code);
        if (data_code) code = *data_code;
    }
    code = fold_usb_error(code);
    return ok;
}

}  // namespace tz::lib
