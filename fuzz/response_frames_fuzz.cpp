// Fuzzes what the library makes of the printer's answers: the frame check,
// the decoders of every reader, and the receiver on top of a real transfer.
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/response_frames.h"
#include "core/response_receiver.h"
#include "core/transport.h"

namespace frames = tz::lib::frames;

namespace {

// The library's receiver reading the input as one answer from a printer.
void through_receiver(const uint8_t* data, size_t size) {
    static int fds[2] = {-1, -1};
    if (fds[0] < 0 && ::socketpair(AF_UNIX, SOCK_SEQPACKET, 0, fds) != 0) return;
    tz::lib::PipeFields pipes;
    tz::lib::SelectionSlot selection;
    tz::lib::Selection connected;
    connected.read_pipe = fds[0];
    connected.write_pipe = fds[0];
    selection.store(connected);
    tz::lib::Transport transport(pipes, selection);
    tz::lib::ResponseReceiver receiver(transport);
    size_t sent = size > 1000 ? 1000 : size;
    uint8_t out[300];
    uint32_t count = 0;
    uint16_t length = 0;
    uint8_t short_length = 0;
    tz::lib::ResultCode state = 0;
    int which = size > 0 ? data[0] % 7 : 0;
    if (::send(fds[1], data, sent, 0) < 0) return;
    switch (which) {
        case 0: receiver.read_status(); break;
        case 1: receiver.read_state(state); break;
        case 2: receiver.read_size(length); break;
        case 3: receiver.read_acknowledge(); break;
        case 4: receiver.read_frame(out, sizeof out, count); break;
        case 5: receiver.read_payload(out, sizeof out, count); break;
        default: receiver.read_payload_with_length(out, sizeof out, short_length); break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The pure decoders, on an exactly sized copy so that any over-read shows.
    uint8_t* copy = new uint8_t[size];
    if (size > 0) std::memcpy(copy, data, size);
    if (frames::valid(copy, size)) {
        frames::read_status(copy, size);
        frames::read_state(copy, size);
        frames::read_acknowledge(copy, size);
        if (copy[0] == frames::kError) frames::decode_error(copy);
        if (copy[0] == frames::kNormal) frames::decode_normal(copy);
    }
    delete[] copy;
    if (size >= 3) frames::decode_detail(data[0], data[1], data[2]);
    through_receiver(data, size);
    return 0;
}
