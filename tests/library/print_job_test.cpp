// The print job's settings, cut list, cancel and print-ID status against a
// scripted printer: the exact packets and the codes.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "job/print_ids.h"
#include "one_scripted_printer.h"

namespace {

using tz::test::Bytes;
using tz::test::error_answer;
using tz::test::eventually;
using tz::test::my_context;
using tz::test::my_job;
using tz::test::normal_answer;
using tz::test::status_frame_with_jobs;
using tz::test::OneScriptedPrinter;


const Bytes kAck = normal_answer(0, 0);

class PrintJob : public OneScriptedPrinter {
protected:
    std::vector<Bytes> received_after(size_t count) {
        eventually([&] { return script_->received().size() >= count; }, std::chrono::milliseconds(3000));
        return script_->received();
    }
    // Reading the job records takes two status inquiries: whether the
    // printer can answer, then the frame the records come from.
    void answer_jobs(uint8_t first, uint8_t first_state, uint8_t second, uint8_t second_state) {
        script_->answer(normal_answer());
        script_->answer(status_frame_with_jobs(first, first_state, second, second_state));
    }
};

TEST(PrintIds, NextJobNumberAfterThePrintersJobs) {
    EXPECT_EQ(tz::lib::next_job_number(0, 0), 1);
    EXPECT_EQ(tz::lib::next_job_number(3, 0), 4);
    EXPECT_EQ(tz::lib::next_job_number(254, 255), 1);
    EXPECT_EQ(tz::lib::next_job_number(1, 255), 2);
    EXPECT_EQ(tz::lib::next_job_number(255, 2), 1);
    EXPECT_EQ(tz::lib::make_print_id(3, 7), 0x0307);
}

TEST_F(PrintJob, ImageFormatKeepsTheImageInsideThePrintArea) {
    auto& job = my_job();
    job.area_width = 4096;
    job.area_height = 3000;
    uint16_t code = 0xFFFF;
    EXPECT_EQ(tzpusb_imageformat(4, 3, 8, 4096, 3000, 0, 0, &code), 1);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(tzpusb_imageformat(3, 3, 8, 4097, 100, 0, 0, &code), 0);
    EXPECT_EQ(code, 1006);
    for (auto bad : std::vector<std::array<int, 5>>{{5, 3, 8, 10, 10}, {3, 4, 8, 10, 10}, {3, 3, 16, 10, 10}, {3, 3, 8, 0, 10}})
        EXPECT_EQ(tzpusb_imageformat(bad[0], bad[1], bad[2], bad[3], bad[4], 0, 0, nullptr), 0);
    // One pixel beyond the area's width: 1006, but format and channels are kept.
    EXPECT_EQ(tzpusb_imageformat(3, 3, 8, 4000, 100, 97, 0, &code), 0);
    EXPECT_EQ(code, 1006);
    EXPECT_EQ(job.image.format, 3);
    EXPECT_EQ(job.image.width, 4096);
    EXPECT_EQ(tzpusb_imageformat(3, 3, 8, 100, 2000, 0, 1001, &code), 0);
    EXPECT_EQ(job.image.width, 100);  // the width was stored before the height failed
    EXPECT_EQ(job.image.height, 3000);
    EXPECT_EQ(tzpusb_copies(0x10003, &code), 1);
    EXPECT_EQ(job.copies, 3);
    EXPECT_EQ(script_->received().size(), 0u);  // no printer traffic
}

TEST_F(PrintJob, CutListIsSentAtOnce) {
    uint16_t code = 0xFFFF;
    std::array<uint8_t, 73> record{};
    EXPECT_EQ(tzpusb_setCutList(record.data(), &code), 0);  // count 0
    EXPECT_EQ(code, 1006);
    script_->answer(kAck);
    ASSERT_EQ(tzpusb_setCutList(nullptr, &code), 1) << code;
    record[0] = 2;
    record[1] = 0x34, record[2] = 0x12;    // 0x1234
    record[71] = 0xCD, record[72] = 0xAB;  // the 36th value, whatever the count
    script_->answer(error_answer(0x01));
    EXPECT_EQ(tzpusb_setCutList(record.data(), &code), 0);
    EXPECT_EQ(code, 1006);  // the printer refused it
    std::vector<Bytes> got = received_after(2);
    ASSERT_EQ(got.size(), 2u);
    Bytes none = {0x09, 0x40, 0x49, 0x00, 0xFF};
    none.resize(77, 0);
    EXPECT_EQ(got[0], none);
    Bytes two = {0x09, 0x40, 0x49, 0x00, 0x02, 0x34, 0x12};
    two.resize(77, 0);
    two[75] = 0xCD, two[76] = 0xAB;
    EXPECT_EQ(got[1], two);
}

TEST_F(PrintJob, CancelOneAllOrNothing) {
    const uint16_t mine = static_cast<uint16_t>(my_context().selection.index() << 8);
    uint16_t code = 0xFFFF;
    // A job of this printer that is not in it: nothing but the job inquiry.
    answer_jobs(5, 2, 0, 0);
    EXPECT_EQ(tzpusb_cancelCopies(mine | 9, &code), 1);
    EXPECT_EQ(code, 0);
    // That job: one cancel.
    answer_jobs(5, 2, 9, 1);
    script_->answer(kAck);
    EXPECT_EQ(tzpusb_cancelCopies(mine | 9, &code), 1);
    // All: each job number in turn, 0 included; one acknowledgement is enough.
    answer_jobs(5, 2, 0, 0);
    script_->answer(kAck);
    script_->answer(error_answer(0x02));
    EXPECT_EQ(tzpusb_cancelCopies(0xFFFF, &code), 1);
    EXPECT_EQ(code, 0);
    // Another printer's job.
    answer_jobs(0, 0, 0, 0);
    EXPECT_EQ(tzpusb_cancelCopies((mine + 0x100) | 1, &code), 0);
    EXPECT_EQ(code, 1006);
    std::vector<Bytes> got = received_after(11);
    ASSERT_EQ(got.size(), 11u);
    EXPECT_EQ(got[4], (Bytes{0x02, 0x40, 0x01, 0x00, 0x09}));
    EXPECT_EQ(got[7], (Bytes{0x02, 0x40, 0x01, 0x00, 0x05}));
    EXPECT_EQ(got[8], (Bytes{0x02, 0x40, 0x01, 0x00, 0x00}));
}

TEST_F(PrintJob, PrintIdStatusOfAJob) {
    const uint16_t mine = static_cast<uint16_t>(my_context().selection.index() << 8);
    std::array<uint16_t, 4> status{};
    uint16_t code = 0xFFFF;
    auto id_answer = [](uint16_t state) {
        Bytes payload = {0x00, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00, static_cast<uint8_t>(state), static_cast<uint8_t>(state >> 8)};
        return tz::test::answer_with(payload);
    };
    answer_jobs(4, 1, 0, 0);
    script_->answer(id_answer(0x0001));
    ASSERT_EQ(tzpusb_getPrintIDStatus(mine | 4, status.data(), &code), 1) << code;
    EXPECT_EQ(status, (std::array<uint16_t, 4>{1, 2, 3, 0}));
    answer_jobs(4, 1, 0, 0);
    script_->answer(id_answer(0x0200));
    ASSERT_EQ(tzpusb_getPrintIDStatus(mine | 4, status.data(), &code), 1);
    EXPECT_EQ(status[3], 2212);
    // 0x0100 with job state 18: the printer's state decides (here letter 'c').
    answer_jobs(4, 18, 0, 0);
    script_->answer(id_answer(0x0100));
    script_->answer(normal_answer('c'));
    ASSERT_EQ(tzpusb_getPrintIDStatus(mine | 4, status.data(), &code), 1);
    EXPECT_EQ(status[3], 2202);
    answer_jobs(4, 1, 0, 0);
    script_->answer(id_answer(0x0100));
    ASSERT_EQ(tzpusb_getPrintIDStatus(mine | 4, status.data(), &code), 1);
    EXPECT_EQ(status[3], 2300);
    answer_jobs(4, 1, 0, 0);
    EXPECT_EQ(tzpusb_getPrintIDStatus((mine + 0x100) | 4, status.data(), &code), 0);
    EXPECT_EQ(code, 1006);
}

}  // namespace
