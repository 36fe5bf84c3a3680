// Sending one firmware part file to a printer through the library's download
// mode. Each procedure opens its own library context, selects the printer by
// serial number, and always ends download mode and closes once it opened.
// true when the whole file went out.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "printer_versions.h"
#include "upgrade_config.h"

namespace tz::upgrade {

// The USB controller file, its 64-byte header block first, 4,096 bytes a call.
bool download_usb(const PartFile& file, const std::string& serial);
// MAIN for the board `pcb` (not Unknown), DSP, TABLE: the file in one call,
// the part's RESET passed as the restart request.
bool download_main(const PartFile& file, PcbType pcb, const std::string& serial);
bool download_dsp(const PartFile& file, const std::string& serial);
bool download_table(const PartFile& file, const std::string& serial);

// One call of tzpusb_continue: `count` bytes asked for on entry, sent on return.
using PieceSender = std::function<bool(uint32_t& count, uint16_t& code)>;
// Streams `length` bytes in calls of at most `piece` bytes, never asking for
// more than remains, with a progress line after each call. The library sends
// from the image's start plus what it has sent so far.
bool stream_pieces(uint32_t length, uint32_t piece, const PieceSender& send);

}  // namespace tz::upgrade
