#include "part_download.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <memory>
#include <new>

#include "library_session.h"
#include "messages.h"
#include "output.h"
#include "tzpusb.h"

namespace tz::upgrade {
namespace {

// Values of tzpusb_startDlMode's part argument.
constexpr int kDspKind = 0;
constexpr int kMainKind = 1;
constexpr int kTableKind = 2;
constexpr int kUsbKind = 6;

constexpr uint32_t kUsbPiece = 4096;
constexpr size_t kUsbHeaderBlock = 64;

struct PartTexts {
    const char* not_found;
    const char* memory_full;
};

constexpr PartTexts kMainNewTexts = {"Error: MAIN DownLoad file (New PCB) is not found.\n",
                                     "Error: MAIN Memory Full Error (New PCB)\n"};
constexpr PartTexts kMainOldTexts = {"Error: MAIN DownLoad file (Old PCB) is not found.\n",
                                     "Error: MAIN Memory Full Error (Old PCB)\n"};
constexpr PartTexts kMainNew2Texts = {"Error: MAIN DownLoad file (New PCB2) is not found.\n",
                                      "Error: MAIN Memory Full Error (Mew PCB2)\n"};
constexpr PartTexts kDspTexts = {"Error: DSP DownLoad file is not found.\n", "Error: DSP Memory Full Error\n"};
constexpr PartTexts kTableTexts = {"Error: TABLE DownLoad file is not found.\n", "Error: TABLE Memory Full Error\n"};

using Buffer = std::unique_ptr<uint8_t[]>;

Buffer allocate(uint64_t length) {
    if (length > SIZE_MAX) return nullptr;
    return Buffer(new (std::nothrow) uint8_t[static_cast<size_t>(length)]);
}

// Reads exactly `length` bytes; false when the file has changed and holds fewer.
bool read_whole(std::ifstream& in, uint8_t* buffer, uint64_t length) {
    in.read(reinterpret_cast<char*>(buffer), static_cast<std::streamsize>(length));
    return static_cast<uint64_t>(in.gcount()) == length;
}

// Announces and sends `image`, then ends download mode and closes.
bool send_image(const uint8_t* image, uint32_t length, int kind, int restart, uint32_t piece,
                const std::string& serial) {
    LibrarySession session;
    bool sent = false;
    if (session.open_and_select(serial) == SessionStart::Ready) {
        uint16_t code = 0;
        if (tzpusb_startDlMode(kind, restart, length, &code) != 1)
            print_result_error(code);
        else
            sent = stream_pieces(length, piece, [image](uint32_t& count, uint16_t& code) {
                return tzpusb_continue(image, &count, &code) == 1;
            });
    }
    uint16_t ignored = 0;
    tzpusb_endDlMode(&ignored);
    return sent;
}

bool download_update_part(const PartFile& file, int kind, const PartTexts& texts, const std::string& serial) {
    std::ifstream in(file.path, std::ios::binary);
    if (!in || file.length > UINT32_MAX) {
        say("%s", texts.not_found);
        return false;
    }
    Buffer buffer = allocate(file.length);
    if (!buffer) {
        say("%s", texts.memory_full);
        return false;
    }
    if (!read_whole(in, buffer.get(), file.length)) {
        say("%s", texts.not_found);
        return false;
    }
    // The whole file in one call: the piece is the file's length.
    uint32_t length = static_cast<uint32_t>(file.length);
    return send_image(buffer.get(), length, kind, file.reset, std::max<uint32_t>(length, 1), serial);
}

}  // namespace

bool stream_pieces(uint32_t length, uint32_t piece, const PieceSender& send) {
    uint32_t total = 0;
    do {
        uint32_t count = std::min(piece, length - total);
        uint16_t code = 0;
        if (!send(count, code)) {
            print_result_error(code);
            return false;
        }
        if (count == 0 && total < length) {  // nothing went out: the link is gone
            print_result_error(TZP_USB_ERROR);
            return false;
        }
        total += count;
        say("Sent %12ld byte(s) \r", static_cast<long>(total));
    } while (total < length);
    return true;
}

bool download_usb(const PartFile& file, const std::string& serial) {
    std::ifstream in(file.path, std::ios::binary);
    if (!in || file.length > UINT32_MAX || file.length < kUsbHeaderBlock) {
        say("Error: USB DownLoad file is not found.\n");
        return false;
    }
    Buffer image = allocate(file.length);
    if (!image) {
        say("Error: USB Memory Full Error 1.\n");
        return false;
    }
    Buffer rotated = allocate(file.length);
    if (!rotated) {
        say("Error: USB Memory Full Error 2.\n");
        return false;
    }
    if (!read_whole(in, image.get(), file.length)) {
        say("Error: USB DownLoad file is not found.\n");
        return false;
    }
    in.close();
    // The header block (the file's last 64 bytes) goes first, then the rest.
    size_t length = static_cast<size_t>(file.length);
    size_t body = length - kUsbHeaderBlock;
    std::copy_n(image.get() + body, kUsbHeaderBlock, rotated.get());
    std::copy_n(image.get(), body, rotated.get() + kUsbHeaderBlock);
    return send_image(rotated.get(), static_cast<uint32_t>(length), kUsbKind, 0, kUsbPiece, serial);
}

bool download_main(const PartFile& file, PcbType pcb, const std::string& serial) {
    switch (pcb) {
        case PcbType::NewPcb: return download_update_part(file, kMainKind, kMainNewTexts, serial);
        case PcbType::OldPcb: return download_update_part(file, kMainKind, kMainOldTexts, serial);
        case PcbType::NewPcb2: return download_update_part(file, kMainKind, kMainNew2Texts, serial);
        case PcbType::Unknown: break;
    }
    return false;
}

bool download_dsp(const PartFile& file, const std::string& serial) {
    return download_update_part(file, kDspKind, kDspTexts, serial);
}

bool download_table(const PartFile& file, const std::string& serial) {
    return download_update_part(file, kTableKind, kTableTexts, serial);
}

}  // namespace tz::upgrade
