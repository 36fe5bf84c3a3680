#include "download_mode.h"

#include "core/command_packets.h"
#include "core/data_pieces.h"
#include "core/exchange.h"
#include "core/printer_context.h"
#include "core/selection.h"
#include "download_session.h"
#include "firmware_layout.h"
#include "maintenance/model_check.h"
#include "platform/process.h"

namespace tz::lib {
namespace {

// The context has download objects and a supported printer selected:
// TZP_OK and the running download, or why not.
ResultCode usable_transfer(PrinterContext& context, DownloadSession& session, DownloadTransfer*& transfer) {
    transfer = nullptr;
    if (!session.transfer) return TZP_BAD_PARAMETER;
    if (!is_supported_model(context)) return TZP_NOT_RECOGNISED;
    transfer = session.transfer.get();
    return TZP_OK;
}

ResultCode announce(PrinterContext& context, int kind, int restart, uint32_t length) {
    if (ResultCode code = pipes_reach_printer(context); code != TZP_OK) return code;
    const packets::Packet packet =
        kind == kDownloadUsb
            ? packets::usb_firmware_download(1, kUsbLoadAddress, static_cast<uint16_t>(length))
            : packets::update_with_restart_byte(static_cast<uint8_t>(kind), 0, static_cast<uint8_t>(restart), length);
    return send_and_acknowledge(context, packet);
}

}  // namespace

ResultCode start_download_mode(PrinterContext& context, DownloadSession& session, int kind, int restart,
                               uint32_t length) {
    // Every announcement starts the count afresh, also one that fails.
    if (session.transfer) *session.transfer = DownloadTransfer{};
    DownloadTransfer* transfer = nullptr;
    if (ResultCode code = usable_transfer(context, session, transfer); code != TZP_OK) return code;
    if (kind != kDownloadDsp && kind != kDownloadMain && kind != kDownloadTable && kind != kDownloadUsb)
        return TZP_BAD_PARAMETER;
    if (announce(context, kind, restart, length) != TZP_OK) return TZP_NO_DOWNLOAD_MODE;
    transfer->kind = kind;
    transfer->announced_length = kind == kDownloadUsb ? (length & 0xFFFF) : length;
    platform::sleep_ms(kAfterAnnouncementMs);
    return TZP_OK;
}

ResultCode continue_download(PrinterContext& context, DownloadSession& session, const void* image, uint32_t* length) {
    if (length == nullptr) return TZP_BAD_PARAMETER;
    DownloadTransfer* transfer = nullptr;
    const ResultCode usable = usable_transfer(context, session, transfer);
    const uint32_t requested = *length;
    *length = 0;
    if (usable != TZP_OK) return usable;
    if (requested == 0) return TZP_OK;
    if (image == nullptr) return TZP_BAD_PARAMETER;
    uint32_t sent = 0;
    const ResultCode code =
        write_pieces(context, static_cast<const uint8_t*>(image) + transfer->bytes_sent, requested, sent);
    transfer->bytes_sent += sent;
    *length = sent;
    return code;
}

ResultCode end_download_mode(PrinterContext& context, DownloadSession& session) {
    DownloadTransfer* transfer = nullptr;
    return usable_transfer(context, session, transfer);
}

}  // namespace tz::lib
