#include "download_mode.h"

#include "core/command_packets.h"
#include "core/data_pieces.h"
#include "core/printer_context.h"
#include "core/selection.h"
#include "download_session.h"
#include "firmware_layout.h"
#include "maintenance/model_check.h"
#include "platform/process.h"

namespace tz::lib {
namespace {

// The context has download objects and a supported printer selected.
DownloadTransfer* usable_transfer(PrinterContext& context, DownloadSession& session, ResultCode& code) {
    if (!session.transfer) {
        code = TZP_BAD_PARAMETER;
        return nullptr;
    }
    ResultCode ignored = TZP_OK;
    if (!is_supported_model(context, ignored)) {
        code = TZP_NOT_RECOGNISED;
        return nullptr;
    }
    code = TZP_OK;
    return session.transfer.get();
}

bool announce(PrinterContext& context, int kind, int restart, uint32_t length, ResultCode& code) {
    if (!pipes_reach_printer(context, code)) return false;
    const packets::Packet packet =
        kind == kDownloadUsb
            ? packets::usb_firmware_download(1, kUsbLoadAddress, static_cast<uint16_t>(length))
            : packets::update_with_restart_byte(static_cast<uint8_t>(kind), 0, static_cast<uint8_t>(restart), length);
    return context.sender->send(packet, code) && context.receiver->read_acknowledge(code);
}

}  // namespace

bool start_download_mode(PrinterContext& context, DownloadSession& session, int kind, int restart, uint32_t length,
                         ResultCode& code) {
    // Every announcement starts the count afresh, also one that fails.
    if (session.transfer) *session.transfer = DownloadTransfer{};
    DownloadTransfer* transfer = usable_transfer(context, session, code);
    if (transfer == nullptr) return false;
    if (kind != kDownloadDsp && kind != kDownloadMain && kind != kDownloadTable && kind != kDownloadUsb) {
        code = TZP_BAD_PARAMETER;
        return false;
    }
    if (!announce(context, kind, restart, length, code)) {
        code = TZP_NO_DOWNLOAD_MODE;
        return false;
    }
    transfer->kind = kind;
    transfer->announced_length = kind == kDownloadUsb ? (length & 0xFFFF) : length;
    platform::sleep_ms(kAfterAnnouncementMs);
    code = TZP_OK;
    return true;
}

bool continue_download(PrinterContext& context, DownloadSession& session, const void* image, uint32_t* length,
                       ResultCode& code) {
    if (length == nullptr) {
        code = TZP_BAD_PARAMETER;
        return false;
    }
    DownloadTransfer* transfer = usable_transfer(context, session, code);
    const uint32_t requested = *length;
    *length = 0;
    if (transfer == nullptr) return false;
    if (requested == 0) return true;
    if (image == nullptr) {
        code = TZP_BAD_PARAMETER;
        return false;
    }
    uint32_t sent = 0;
    const bool ok =
        write_pieces(context, static_cast<const uint8_t*>(image) + transfer->bytes_sent, requested, sent, code);
    transfer->bytes_sent += sent;
    *length = sent;
    return ok;
}

bool end_download_mode(PrinterContext& context, DownloadSession& session, ResultCode& code) {
    return usable_transfer(context, session, code) != nullptr;
}

}  // namespace tz::lib
