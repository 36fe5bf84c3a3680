// Moving bytes to and from the selected printer through the pipe handles of
// the USB control library.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "device_table.h"
#include "io_timeout.h"
#include "platform/pipe_io.h"
#include "result_codes.h"
#include "selected_printer.h"
#include "traffic_log.h"
#include "usb_binding.h"

namespace tz::lib {

// Which pipes of the printer a context uses; their handles come with the
// selection.
struct PipeFields {
    uint8_t write_pipe_number = 0;
    uint8_t read_pipe_number = 1;
    uint32_t read_length = 512;  // bytes asked for by a direct read
};

// How long a command waits, before it is written, for answers the printer
// still owes to commands whose reads gave up: at most this, and never longer
// than the time limit.
inline constexpr uint32_t kLateAnswerGraceMs = 1000;

// Largest frame one timed read takes.
inline constexpr size_t kTimedReadSize = 300;
// Largest packet one timed write sends.
inline constexpr size_t kSendBufferSize = 1024;

// Set once a read or a write had to be given up at the time limit; never
// cleared while the process runs. From then on the library stops closing
// pipes of that direction through the USB library.
bool read_timed_out();
bool write_timed_out();

class Transport {
public:
    // Moves bytes to the printer `selection` points at, whose serial names it
    // in the traffic dump.
    Transport(const PipeFields& pipes, const SelectionSlot& selection) : pipes_(pipes), selection_(selection) {}

    // Each returns TZP_OK or TZP_USB_ERROR.
    // One write of a command packet (at most kSendBufferSize bytes).
    ResultCode timed_write(const uint8_t* data, uint32_t count, uint32_t& written);
    // One write of bulk data, or of a command the caller built (`kind`
    // tells the traffic dump which).
    ResultCode direct_write(const uint8_t* data, uint32_t count, uint32_t& written, Traffic kind = Traffic::Data);
    // One answer frame of at most kTimedReadSize bytes into `buffer`.
    ResultCode timed_read(uint8_t* buffer, size_t capacity, uint32_t& count);
    // One read of up to the read length, under the library lock.
    ResultCode direct_read(uint8_t* buffer, size_t capacity, uint32_t& count);
    // As direct_read; the first two bytes are a header whose second byte
    // announces the length of the rest, which alone goes to the caller.
    // `length_agrees` tells whether the announcement matched what came.
    ResultCode framed_direct_read(uint8_t* buffer, size_t capacity, uint32_t& count, bool& length_agrees);

    // Answers that arrive after their command gave up are thrown away, so
    // that the next command reads its own answer: every command first waits
    // briefly for answers still owed, then takes whatever else is waiting
    // without waiting; data writes do so only while answers are owed.
    void discard_late_answers();

private:
    // Each transfer reads the selection once and works with that copy.
    void discard_late_answers(const Selection& selected);
    // At most this many waiting frames are thrown away before one write.
    static constexpr uint32_t kLateAnswerLimit = 64;

    bool read_into_receive_buffer(size_t size, uint32_t& received);
    // Whether a read of the selected printer gave up with its answer still to come.
    static bool answers_owed(const Selection& selected);
    // One write with the time limit, whatever kind of write it is: a printer
    // that stops taking data must not keep the caller forever.
    ResultCode write_within_limit(const Selection& selected, const uint8_t* data, uint32_t count, Traffic kind,
                                  uint32_t& written);
    // One late answer read and thrown away; false when none came in `wait_ms`.
    bool discard_one(const Selection& selected, uint8_t* frame, size_t size, uint32_t wait_ms);
    // The traffic dump of one transfer (only called when it is on).
    void log(const Selection& selected, Traffic kind, const uint8_t* bytes, size_t count,
             const platform::IoResult& result, const char* about = nullptr);
    // A read that gave up at the limit leaves its answer owed.
    static void note_read_given_up(const Selection& selected, const platform::IoResult& result);

    const PipeFields& pipes_;
    const SelectionSlot& selection_;
    const char* last_command_ = nullptr;  // the name of the last command written, for its answer
    std::array<uint8_t, 1024> receive_buffer_{};
};

// Closes a write or read pipe handle (taken out of its place by the caller)
// through the USB library, unless a transfer in that direction ever timed out.
void close_write_pipe(const UsbApi& usb, intptr_t handle);
void close_read_pipe(const UsbApi& usb, intptr_t handle);

}  // namespace tz::lib
