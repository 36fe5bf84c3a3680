// A page through the exports: the page start's checks and packets and the
// pixel stream's blocks against a scripted printer.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "fake_colormatch/fake_color.h"
#include "one_scripted_printer.h"

namespace {

using tz::test::Bytes;
using tz::test::eventually;
using tz::test::my_context;
using tz::test::my_print;
using tz::test::my_job;
using tz::test::normal_answer;
using tz::test::status_frame_with_jobs;

const Bytes kAck = normal_answer(0, 0);


class Page : public tz::test::OneScriptedPrinter {
protected:
    // An image of width x height at (0, 0) in an area of the same size.
    void describe(uint16_t width, uint16_t height, int format = 3) {
        auto& job = my_job();
        job.area_width = width;
        job.area_height = height;
        job.print_area_set = true;
        uint16_t code = 0xFFFF;
        ASSERT_EQ(tzpusb_imageformat(format, 3, 8, width, height, 0, 0, &code), 1) << code;
    }
    // The answers of a page start up to the Print Command's acknowledgement.
    void answer_page_start(uint8_t first_job, uint8_t second_job, bool both_taken = false) {
        script_->answer(normal_answer());  // the status
        script_->answer(normal_answer());  // the job records: whether the printer answers,
        script_->answer(status_frame_with_jobs(first_job, 1, second_job, 1));  // then the records
        script_->answer(status_frame_with_jobs(first_job, both_taken ? 1 : 0, second_job, both_taken ? 1 : 0));
        for (int i = 0; i < 12; ++i) script_->answer(kAck);  // the laminate strings
        script_->answer(kAck);  // the Print Command
    }
    std::vector<Bytes> received_after(size_t count) {
        eventually([&] { return script_->received().size() >= count; }, std::chrono::milliseconds(3000));
        return script_->received();
    }
};

TEST_F(Page, StartAllocatesTheJobNumberAndSendsThePrintCommand) {
    describe(6, 4);
    tzpusb_copies(2, nullptr);
    answer_page_start(254, 255);
    uint16_t id = 0xFFFF, code = 0xFFFF;
    ASSERT_EQ(tzpusb_startpage(&id, &code), 1) << code;
    EXPECT_EQ(id & 0xFF, 1);
    EXPECT_TRUE(my_print().page_hold.held());
    std::vector<Bytes> got = received_after(17);
    ASSERT_EQ(got.size(), 17u);
    // Job 1, 2 copies, 6 x 4 in a 6 x 4 area at (0, 0), tag-20 setting 2, 0, tag-30 setting 0.
    EXPECT_EQ(got[16], (Bytes{0x01, 0x40, 0x12, 0x00, 0x01, 0x02, 0x00, 0x06, 0x00, 0x04, 0x00, 0x06, 0x00, 0x04,
                              0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00}));
    EXPECT_EQ(tzpusb_endpage(&code), 1);
    EXPECT_FALSE(my_print().page_hold.held());
    EXPECT_EQ(my_job().copies, 1);
}

TEST_F(Page, StartRefusesAndReleasesThePrinter) {
    uint16_t id = 0xFFFF, code = 0xFFFF;
    // No print area yet.
    script_->answer(normal_answer());
    EXPECT_EQ(tzpusb_startpage(&id, &code), 0);
    EXPECT_EQ(code, 1006);
    EXPECT_EQ(id, 0);
    // Both job positions taken.
    describe(6, 4);
    answer_page_start(3, 0, true);
    EXPECT_EQ(tzpusb_startpage(&id, &code), 0);
    EXPECT_EQ(code, 2100);
    EXPECT_FALSE(my_print().page_hold.held());
    // Writing outside a page sends nothing.
    const size_t sent = script_->received().size();
    Bytes line(18, 7);
    uint32_t count = static_cast<uint32_t>(line.size());
    EXPECT_EQ(tzpusb_write(line.data(), &count, &code), 0);
    EXPECT_EQ(code, 1006);
    EXPECT_EQ(count, 0u);
    count = 0;
    EXPECT_EQ(tzpusb_write(line.data(), &count, &code), 1);  // 0 bytes: nothing to do
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(script_->received().size(), sent);
}

// 100 lines of 1000 pixels in blocks of 4096 bytes, the last of 992; lines
// split across calls arrive whole and in order.
TEST_F(Page, PixelsGoOutInBlocksTheLastOneAsSoonAsThePageIsComplete) {
    describe(1000, 100);
    answer_page_start(0, 0);
    uint16_t id = 0, code = 0xFFFF;
    ASSERT_EQ(tzpusb_startpage(&id, &code), 1) << code;
    const size_t before = received_after(17).size();
    Bytes page(300000);
    for (size_t i = 0; i < page.size(); ++i) page[i] = static_cast<uint8_t>(i * 7 + i / 3000);
    uint32_t first = 1500, second = 298500;
    ASSERT_EQ(tzpusb_write(page.data(), &first, &code), 1) << code;
    EXPECT_EQ(first, 1500u);
    ASSERT_EQ(tzpusb_write(page.data() + 1500, &second, &code), 1) << code;
    EXPECT_EQ(second, 298500u);
    std::vector<Bytes> got = received_after(before + 74);
    ASSERT_EQ(got.size(), before + 74);
    Bytes stream;
    for (size_t i = before; i < got.size(); ++i) {
        EXPECT_EQ(got[i].size(), i + 1 < got.size() ? 4096u : 992u) << i;
        stream.insert(stream.end(), got[i].begin(), got[i].end());
    }
    EXPECT_TRUE(stream == page);
    tzpusb_endpage(&code);
}

// With a colour world, the output tables reach the page once, through the
// colour library's table block; the write path does not apply them again.
TEST_F(Page, MatchedPagesHaveTheOutputTablesAppliedOnceByTheColourLibrary) {
    describe(6, 4);
    std::array<uint8_t, 256> t4, t5, t6;
    for (int i = 0; i < 256; ++i) {
        t4[i] = static_cast<uint8_t>(i / 2);
        t5[i] = static_cast<uint8_t>(i ^ 0x5A);
        t6[i] = static_cast<uint8_t>(255 - i / 3);
    }
    uint16_t id = 0, code = 0xFFFF;
    ASSERT_EQ(tzpusb_setIcctable("/p/rgb-a.icc", "/p/rgb-b.icc", 0, nullptr, nullptr, nullptr, t4.data(), t5.data(),
                                 t6.data(), &code),
              1)
        << code;
    answer_page_start(0, 0);
    ASSERT_EQ(tzpusb_startpage(&id, &code), 1) << code;
    const size_t before = received_after(17).size();
    Bytes page(6 * 4 * 3), expected(page.size());
    const std::array<uint8_t, 256>* tables[3] = {&t4, &t5, &t6};
    for (size_t i = 0; i < page.size(); ++i) {
        page[i] = static_cast<uint8_t>(i * 11);
        expected[i] = (*tables[i % 3])[255 - page[i]];
    }
    uint32_t count = static_cast<uint32_t>(page.size());
    ASSERT_EQ(tzpusb_write(page.data(), &count, &code), 1) << code;
    std::vector<Bytes> got = received_after(before + 1);
    ASSERT_EQ(got.size(), before + 1);
    EXPECT_TRUE(got[before] == expected);
    EXPECT_NE(std::string(FakeColor_Log()).find("match "), std::string::npos);
    tzpusb_endpage(&code);
    tzpusb_setIcctable(nullptr, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &code);
}

}  // namespace
