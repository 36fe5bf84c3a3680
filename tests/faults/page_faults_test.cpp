// TZ5170Ctl print against a virtual printer whose link takes a page's data no
// faster than a USB link, with a fault at the start, in the middle or at the
// end of the page. Whatever happens, no page comes out partly: a page is
// either wholly there, pixel for pixel, or absent; the tool reports exactly
// what became of it (done, failed, or unknown when the printer cannot tell);
// and the printer prints the next page.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "png_file.h"
#include "printer_farm.h"
#include "temp_folder.h"

namespace {

using namespace std::chrono_literals;
using nlohmann::json;
using tz::emulator::VirtualPrinter;

const std::string kCtl = std::string(TZ_BIN_DIR) + "/TZ5170Ctl";
const std::string kSerial = "TZ000301";

// The page: 230,400 bytes of data, taking 0.46 s over the link; a copy takes 0.5 s.
constexpr uint32_t kWidth = 320, kHeight = 240;
constexpr uint64_t kLinkRate = 500'000;
constexpr auto kDataTime = std::chrono::milliseconds(1000 * kWidth * kHeight * 3 / kLinkRate);
constexpr double kTimeScale = 0.05;

bool eventually(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

class PageFaults : public ::testing::Test {
protected:
    void SetUp() override {
        // Transfers to a printer that stopped answering are given up quickly.
        ::setenv("TZ5170_IO_TIMEOUT_MS", "500", 1);
        photo_ = folder_.file("photo.png");
        pixels_.resize(size_t{kWidth} * kHeight * 3);
        for (size_t i = 0; i < pixels_.size(); ++i) pixels_[i] = static_cast<uint8_t>(i * 7 + i / 960);
        ASSERT_TRUE(tz::test::write_png(photo_, kWidth, kHeight, pixels_));
        tz::emulator::PrinterOptions options;
        options.serial = kSerial;
        options.time_scale = kTimeScale;
        options.output_folder = folder_.file("prints");
        options.link_rate = kLinkRate;
        printer_ = &farm_.add(options);
    }

    // TZ5170Ctl print with --json, started; its outcome is read with finish().
    std::unique_ptr<tz::test::Child> start_print(std::vector<std::string> options = {}) {
        std::vector<std::string> args{"--json", "--serial", kSerial, "print", photo_, "--area", "320x240"};
        args.insert(args.end(), options.begin(), options.end());
        auto child = std::make_unique<tz::test::Child>(kCtl, args, folder_);
        EXPECT_TRUE(child->started());
        return child;
    }

    // The exit status, and the print's entry of the JSON document.
    static std::pair<int, json> finish(tz::test::Child& child) {
        const int status = child.wait(60s);
        const json doc = json::parse(child.out(), nullptr, false);
        EXPECT_FALSE(doc.is_discarded()) << child.out() << child.err();
        return {status, doc.is_discarded() ? json() : doc["prints"][0]};
    }

    bool page_started() { return printer_->model().info().jobs > 0; }
    bool copy_running() { return printer_->model().info().activity == "printing"; }

    // The pages the printer wrote; each must be the photo, pixel for pixel.
    size_t exact_pages() {
        std::vector<std::string> files;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(folder_.file("prints"), ec))
            if (entry.path().extension() == ".png") files.push_back(entry.path().string());
        for (const std::string& file : files) {
            uint32_t width = 0, height = 0;
            std::vector<uint8_t> page;
            EXPECT_TRUE(eventually([&] { return !(page = tz::test::read_png(file, width, height)).empty(); }, 5s));
            EXPECT_TRUE(width == kWidth && height == kHeight && page == pixels_) << file << " is not the photo";
        }
        return files.size();
    }

    // A print after the fault is over: done, one more exact page.
    void next_page_prints(size_t pages_before) {
        auto child = start_print();
        const auto [status, print] = finish(*child);
        EXPECT_EQ(status, 0) << child->err();
        EXPECT_EQ(print["outcome"], "done") << print.dump();
        EXPECT_TRUE(eventually([&] { return exact_pages() == pages_before + 1; }, 5s));
    }

    tz::test::TempFolder folder_;
    tz::test::PrinterFarm farm_;
    VirtualPrinter* printer_ = nullptr;
    std::string photo_;
    std::vector<uint8_t> pixels_;
};

enum class Fault { Unplug, Hang, Corrupt };
enum class When { Start, Middle, End };

struct Case {
    Fault fault;
    When when;
    const char* outcome;  // the print's outcome
    int status;           // TZ5170Ctl's exit status
    size_t pages;         // pages out of the faulted print
};

// Unplugged before all the data arrived, the printer drops the page; a page
// that arrived prints whatever the host does. A printer that stops answering
// loses the data sent meanwhile, and the tool never hears of the page again.
// A damaged answer is asked again.
const Case kCases[] = {
    {Fault::Unplug, When::Start, "error", 1, 0},     {Fault::Unplug, When::Middle, "error", 1, 0},
    {Fault::Unplug, When::End, "done", 0, 1},        {Fault::Hang, When::Start, "unknown", 3, 0},
    {Fault::Hang, When::Middle, "unknown", 3, 0},    {Fault::Hang, When::End, "done", 0, 1},
    {Fault::Corrupt, When::Start, "done", 0, 1},     {Fault::Corrupt, When::Middle, "done", 0, 1},
    {Fault::Corrupt, When::End, "done", 0, 1},
};

class PageFaultMatrix : public PageFaults, public ::testing::WithParamInterface<Case> {};

std::string case_name(const Case& c) {
    static const char* const faults[] = {"Unplug", "Hang", "Corrupt"};
    static const char* const whens[] = {"AtTheStart", "InTheMiddle", "AtTheEnd"};
    return std::string(faults[static_cast<int>(c.fault)]) + whens[static_cast<int>(c.when)];
}
void PrintTo(const Case& c, std::ostream* out) { *out << case_name(c); }

TEST_P(PageFaultMatrix, NoPartialPageTheExactOutcomeAndTheNextPagePrints) {
    const Case& c = GetParam();
    auto child = start_print({"--timeout", "3"});
    ASSERT_TRUE(eventually([&] { return page_started(); }, 20s)) << child->err();
    if (c.when == When::Middle) std::this_thread::sleep_for(kDataTime / 2);
    if (c.when == When::End) {
        ASSERT_TRUE(eventually([&] { return copy_running(); }, 10s)) << child->err();
    }
    switch (c.fault) {
    case Fault::Unplug:
        printer_->unplug();
        std::this_thread::sleep_for(500ms);
        ASSERT_TRUE(printer_->replug());
        break;
    case Fault::Hang:
        printer_->model().set_hanging(true);
        std::this_thread::sleep_for(600ms);
        // Until the tool has written the whole page (50%), so that the hang
        // swallows some of it however slowly the tool sends.
        EXPECT_TRUE(eventually([&] { return child->err().find("photo.png: 50%") != std::string::npos; }, 20s));
        printer_->model().set_hanging(false);
        break;
    case Fault::Corrupt: printer_->model().corrupt_next_frame(); break;
    }
    const auto [status, print] = finish(*child);
    EXPECT_EQ(status, c.status) << child->err();
    EXPECT_EQ(print["outcome"], c.outcome) << print.dump();
    // Nothing is said about the copies of an unknown outcome; a failed print made none.
    EXPECT_EQ(print["printed"], c.status == 3 ? json(nullptr) : json(c.pages));
    // A page that prints is written soon after the tool has seen it out.
    EXPECT_TRUE(eventually([&] { return exact_pages() == c.pages; }, 5s));
    next_page_prints(c.pages);
}

INSTANTIATE_TEST_SUITE_P(Print, PageFaultMatrix, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) { return case_name(info.param); });

// A printer error outlasts --error-wait: the tool cancels the job. A page
// still waiting for the printer is dropped: cancelled, never printed. The
// copy under the head cannot be cancelled: nobody can tell whether the
// error will be put right, so the outcome is unknown, and the copy indeed
// comes out once the cover is closed.
TEST_F(PageFaults, JobGivenUpForAPrinterErrorIsCancelledOnlyWhenThePrinterDropsIt) {
    for (const bool under_the_head : {false, true}) {
        SCOPED_TRACE(under_the_head ? "a copy under the head" : "the page waiting");
        const size_t pages_before = exact_pages();
        auto child = start_print({"--error-wait", "1"});
        ASSERT_TRUE(eventually([&] { return under_the_head ? copy_running() : page_started(); }, 20s)) << child->err();
        printer_->model().set_condition(tz::emulator::Condition::CoverOpen);
        const auto [status, print] = finish(*child);
        EXPECT_EQ(print["code"], 2309) << print.dump();
        if (under_the_head) {
            EXPECT_EQ(status, 3) << child->err();
            EXPECT_EQ(print["outcome"], "unknown");
            EXPECT_TRUE(print["printed"].is_null());
        } else {
            EXPECT_EQ(status, 1) << child->err();
            EXPECT_EQ(print["outcome"], "cancelled");
            EXPECT_EQ(print["printed"], 0);
        }
        EXPECT_EQ(exact_pages(), pages_before);
        printer_->model().clear_condition();
        const size_t pages_after = pages_before + (under_the_head ? 1 : 0);
        EXPECT_TRUE(eventually([&] { return exact_pages() == pages_after && printer_->model().info().jobs == 0; }, 5s));
        next_page_prints(pages_after);
    }
}

}  // namespace
