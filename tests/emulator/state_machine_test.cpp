// The printer's states over time, on a hand-driven clock: printing and the
// two job positions, restarts, printer errors, and the time scale.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "model_harness.h"

namespace {

using tz::emulator::Bytes;
using tz::emulator::Condition;
using tz::test::kAck;
using tz::test::ModelHarness;
using tz::test::ready_header;
using tz::test::with;

const Bytes kStatus = {0x01, 0x00, 0x00, 0x00};

// Print Command for a 2 x 2 image filling a 2 x 2 area.
Bytes print_job(uint8_t number, uint8_t copies = 1) {
    return {0x01, 0x40, 0x12, 0x00, number, copies, 0x00, 0x02, 0x00, 0x02, 0x00,
            0x02, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
}
const Bytes kPixels(12, 0x7F);

// Get Printer ID Status: the job's state word (payload bytes 7..8).
uint16_t job_word(ModelHarness& printer, uint8_t number, tz::emulator::SessionId session = 0) {
    Bytes frame = printer.ask({0x07, 0x00, 0x01, 0x00, number}, session);
    return static_cast<uint16_t>(frame.at(17) | (frame.at(18) << 8));
}

TEST(StateMachine, TwoJobsFillBothPositionsAndTheyPrintOneAfterTheOther) {
    ModelHarness printer;
    EXPECT_EQ(printer.ask(print_job(1, 2)), kAck);
    // Another connection asks while the page data is still to come.
    EXPECT_EQ(job_word(printer, 1, printer.model().open_session()), 0x0001);
    printer.stream(kPixels);
    EXPECT_EQ(job_word(printer, 1), 0x0100);  // printing
    EXPECT_EQ(printer.ask(print_job(2)), kAck);
    printer.stream(kPixels);
    EXPECT_EQ(job_word(printer, 2), 0x0002);  // waiting for the first

    Bytes status = printer.ask(kStatus);
    EXPECT_EQ(status[7], 0x00);
    EXPECT_EQ(status[45], 0x12);  // frame bytes 45 and 53: both job positions taken
    EXPECT_EQ(status[53], 0x02);
    EXPECT_EQ(status[24], 2);
    EXPECT_EQ(printer.ask(print_job(3)), (Bytes{0x02, 0x21, 0, 0, 0, 0, 0, 0, 0, 0}));

    printer.wait_ms(10000);  // copy 1 of job 1
    EXPECT_EQ(printer.ask({0x07, 0x00, 0x01, 0x00, 0x01}),
              with(ready_header(9), {0x01, 0x02, 0x00, 0x01, 0x00, 0x64, 0x00, 0x00, 0x01}));
    printer.wait_ms(10000);  // copy 2: job 1 is done, job 2 starts
    EXPECT_EQ(job_word(printer, 1), 0x0200);
    EXPECT_EQ(job_word(printer, 2), 0x0100);
    status = printer.ask(kStatus);
    EXPECT_EQ(status[45], 0x00);
    EXPECT_EQ(status[53], 0x12);
    printer.wait_ms(10000);
    EXPECT_EQ(job_word(printer, 2), 0x0200);
    EXPECT_EQ(job_word(printer, 9), 0x0000);  // never seen
    EXPECT_EQ(printer.model().state().prints, 3u);
}

TEST(StateMachine, CancelDropsWaitingJobsAndTheCopiesStillToCome) {
    ModelHarness printer;
    EXPECT_EQ(printer.ask(print_job(1, 5)), kAck);
    printer.stream(kPixels);
    EXPECT_EQ(printer.ask(print_job(2)), kAck);
    printer.stream(kPixels);
    EXPECT_EQ(printer.ask({0x02, 0x40, 0x01, 0x00, 0x02}), kAck);
    EXPECT_EQ(job_word(printer, 2), 0xFFFF);
    EXPECT_EQ(printer.ask({0x02, 0x40, 0x01, 0x00, 0x01}), kAck);  // the copy under the head still comes out
    EXPECT_EQ(printer.ask({0x02, 0x40, 0x01, 0x00, 0x00}), kAck);  // nothing to cancel
    printer.wait_ms(10000);
    EXPECT_EQ(printer.ask(kStatus)[45], 0);
    EXPECT_EQ(printer.model().state().prints, 1u);
}

TEST(StateMachine, CancelOfEveryJobOfAJobNotInThePrinterAndOfAPageStillArriving) {
    ModelHarness printer;
    EXPECT_EQ(printer.ask(print_job(1, 3)), kAck);
    printer.stream(kPixels);
    EXPECT_EQ(printer.ask(print_job(2, 2)), kAck);
    printer.stream(kPixels);
    printer.wait_ms(12000);  // copy 2 of job 1 is under the head
    // Every job, as the host cancels them all: each job number of the two records.
    EXPECT_EQ(printer.ask({0x02, 0x40, 0x01, 0x00, 0x01}), kAck);
    EXPECT_EQ(printer.ask({0x02, 0x40, 0x01, 0x00, 0x02}), kAck);
    Bytes status = printer.ask(kStatus);
    // Job 1: now 2 copies, 1 printed, all data, printing; position 2 free.
    EXPECT_EQ(Bytes(status.begin() + 38, status.begin() + 54),
              (Bytes{0x01, 0x02, 0x00, 0x01, 0x00, 0x64, 0x00, 0x12, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(printer.ask({0x02, 0x40, 0x01, 0x00, 0x09}), kAck);  // not in the printer: nothing happens
    EXPECT_EQ(job_word(printer, 1), 0x0100);
    printer.wait_ms(8000);
    EXPECT_EQ(printer.model().state().prints, 2u);
    EXPECT_EQ(job_word(printer, 1), 0xFFFF);  // ended early: cancelled, not finished
    EXPECT_EQ(job_word(printer, 2), 0xFFFF);
    EXPECT_EQ(job_word(printer, 9), 0x0000);

    // A page cancelled from another connection while its data still arrives:
    // the rest is taken and dropped, and its connection goes on with commands.
    auto sender = printer.model().open_session();
    EXPECT_EQ(printer.ask(print_job(3), sender), kAck);
    printer.stream(Bytes(6, 0x7F), sender);
    EXPECT_EQ(printer.ask({0x02, 0x40, 0x01, 0x00, 0x03}), kAck);
    EXPECT_EQ(printer.ask(kStatus)[45], 0);
    printer.stream(Bytes(6, 0x7F), sender);
    EXPECT_EQ(printer.ask(kStatus, sender), printer.ask(kStatus));
    EXPECT_EQ(job_word(printer, 3, sender), 0xFFFF);
    printer.wait_ms(10000);
    EXPECT_EQ(printer.model().state().prints, 2u);
}

TEST(StateMachine, RestartReportsInitialisingForAWhileAndDropsTheJobs) {
    ModelHarness printer;
    EXPECT_EQ(printer.ask(print_job(1)), kAck);
    printer.stream(kPixels);
    EXPECT_EQ(printer.ask({0x04, 0x40, 0x02, 0x00, 0x03, 0x00}), kAck);
    Bytes status = printer.ask(kStatus);
    EXPECT_EQ(Bytes(status.begin(), status.begin() + 10), (Bytes{0x01, 0, 0, 0, 0, 0, 0, 0x31, 65, 0}));
    EXPECT_EQ(printer.ask(print_job(2)), (Bytes{0x02, 0x31, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(job_word(printer, 1), 0xFFFF);
    printer.wait_ms(9999);
    EXPECT_EQ(printer.state_byte(), 0x31);
    printer.wait_ms(1);
    EXPECT_EQ(printer.state_byte(), 0x00);
    EXPECT_EQ(printer.ask(kStatus)[45], 0);
    EXPECT_EQ(printer.ask(print_job(2)), kAck);
}

TEST(StateMachine, PrinterErrorsStopPrintingUntilPutRight) {
    ModelHarness printer;
    EXPECT_EQ(printer.ask(print_job(1)), kAck);
    printer.stream(kPixels);
    printer.wait_ms(4000);
    printer.model().set_condition(Condition::CoverOpen);
    Bytes status = printer.ask(kStatus);
    EXPECT_EQ(Bytes(status.begin(), status.begin() + 8), (Bytes{0x01, 0x00, 0x06, 0x01, 0x00, 0x00, 0x00, 0x11}));
    EXPECT_EQ(Bytes(status.begin() + 10, status.begin() + 14), (Bytes{0x11, 0x06, 0x01, 0x00}));
    EXPECT_EQ(status[25], 1);  // cover open
    EXPECT_EQ(printer.ask(print_job(2)), (Bytes{0x02, 0x11, 0x06, 0x01, 0x00, 0, 0, 0, 0, 0}));
    printer.wait_ms(60000);  // nothing comes out while the cover is open
    EXPECT_EQ(printer.model().state().prints, 0u);
    printer.model().clear_condition();
    printer.wait_ms(5999);
    EXPECT_EQ(printer.model().state().prints, 0u);
    printer.wait_ms(1);  // the six seconds the copy still needed
    EXPECT_EQ(printer.model().state().prints, 1u);

    printer.model().set_condition(Condition::NoPaper);
    status = printer.ask(kStatus);
    EXPECT_EQ(Bytes(status.begin() + 2, status.begin() + 5), (Bytes{0x06, 0x06, 0x00}));
    EXPECT_EQ(status[26], 0);  // no paper
    printer.model().set_condition(Condition::NoRibbon);
    status = printer.ask(kStatus);
    EXPECT_EQ(Bytes(status.begin() + 2, status.begin() + 5), (Bytes{0x06, 0x03, 0x00}));
    EXPECT_EQ(status[27], 0);  // no ribbon
    printer.model().clear_condition();
    EXPECT_EQ(printer.state_byte(), 0x00);
}

TEST(StateMachine, HeldPositionsMakeThePrinterBusyUntilReleased) {
    ModelHarness printer;
    printer.model().fill_job_positions();
    Bytes status = printer.ask(kStatus);
    EXPECT_NE(status[45], 0);
    EXPECT_NE(status[53], 0);
    EXPECT_EQ(printer.ask(print_job(1)), (Bytes{0x02, 0x21, 0, 0, 0, 0, 0, 0, 0, 0}));
    printer.wait_ms(600000);  // held jobs never print
    EXPECT_NE(printer.ask(kStatus)[45], 0);
    // A firmware update is refused while jobs are in the printer.
    EXPECT_EQ(printer.ask({0x01, 0x80, 0x05, 0x00, 0x01, 0x00, 0x40, 0x00, 0xC0}), (Bytes{0x02, 0x21, 0, 0, 0, 0, 0, 0, 0, 0}));
    printer.model().free_held_positions();
    status = printer.ask(kStatus);
    EXPECT_EQ(status[45], 0);
    EXPECT_EQ(status[53], 0);
    EXPECT_EQ(printer.model().state().prints, 0u);
}

TEST(StateMachine, DurationsScaleWithTheTimeScaleOnTheSteadyClock) {
    // No hand-driven clock here: at a scale of 0.001 a 10-second restart takes 10 ms.
    tz::emulator::PrinterState state;
    state.serial = "SN000001";
    tz::emulator::ModelOptions options;
    options.time_scale = 0.001;
    tz::emulator::PrinterModel model(options, state);
    const Bytes reset = {0x04, 0x40, 0x02, 0x00, 0x03, 0x00};
    ASSERT_EQ(model.on_transfer(reset.data(), reset.size()).at(0), kAck);
    auto started = std::chrono::steady_clock::now();
    uint8_t state_byte = 0x31;
    while (state_byte == 0x31 && std::chrono::steady_clock::now() - started < std::chrono::seconds(5)) {
        state_byte = model.on_transfer(kStatus.data(), kStatus.size()).at(0).at(7);
        if (state_byte == 0x31) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(state_byte, 0x00);
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(9));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
}

}  // namespace
