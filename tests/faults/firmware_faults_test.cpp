// A printer unplugged or hanging in the middle of a MAIN part and during its
// rewrite: the part is wholly old or wholly new, TZ5170upgrade says why it
// stopped, and a second run finishes the upgrade.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string>
#include <thread>

#include "upgrade_harness.h"

namespace {

using namespace tz::test::upgrade;
using tz::test::control;
using tz::test::PrinterFarm;

constexpr size_t kMainSize = 600000;
constexpr uint64_t kLinkRate = 200000;  // the part takes three seconds to cross
constexpr auto npos = std::string::npos;

uint32_t crc32_of(const Bytes& bytes) {
    uint32_t crc = 0xFFFFFFFFu;
    for (uint8_t byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
    }
    return crc ^ 0xFFFFFFFFu;
}

template <typename Condition>
bool eventually(Condition condition, std::chrono::milliseconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

enum class Moment { Data, Rewrite };

struct FirmwareFault {
    const char* name;
    Moment moment;
    const char* fault;  // control command
    const char* clear;
    bool part_installed;  // the printer finishes a rewrite it has begun
    const char* message;  // how the first run ends
    // A hang in the data ends the run in the data when a write meets the full
    // link, or in the rewrite wait when every byte was already on its way.
    const char* or_message = nullptr;
};

bool ends_with(const std::string& text, const char* end) {
    const size_t size = std::char_traits<char>::length(end);
    return text.size() >= size && text.compare(text.size() - size, npos, end) == 0;
}

const FirmwareFault kFaults[] = {
    {"UnplugInTheData", Moment::Data, "unplug", "replug", false,
     "Error: USB communication error(2600)\n"},
    {"HangInTheData", Moment::Data, "hang", "resume", false,
     "Error: USB communication error(2600)\n"
     "Lost the printer while waiting for it to rewrite the MAIN firmware.\n",
     "Error: USB communication error(2600)\n"},
    {"UnplugDuringTheRewrite", Moment::Rewrite, "unplug", "replug", true,
     "Error: USB communication error(2600)\n"
     "Lost the printer while waiting for it to rewrite the MAIN firmware.\n"},
    {"HangDuringTheRewrite", Moment::Rewrite, "hang", "resume", true,
     "Error: USB communication error(2600)\n"
     "Lost the printer while waiting for it to rewrite the MAIN firmware.\n"},
};

void PrintTo(const FirmwareFault& fault, std::ostream* out) { *out << fault.name; }

class FirmwareFaults : public ::testing::TestWithParam<FirmwareFault> {};

TEST_P(FirmwareFaults, PartStaysWholeAndASecondRunFinishes) {
    const FirmwareFault& fault = GetParam();
    // Long enough for a loaded machine's virtual printer to take the next
    // piece, short enough for a hang to be found soon.
    ::setenv("TZ5170_IO_TIMEOUT_MS", "1500", 1);
    PrinterFarm farm;
    tz::emulator::PrinterOptions options = printer("TZ000101", {}, {}, 0.05);  // a MAIN rewrite takes a second
    options.link_rate = kLinkRate;
    auto& first = farm.add(options);
    Package package;
    const Bytes main = main_file("0602", kMainSize);
    package.file("main.bin", main);
    const std::string ini = "[MAIN_NEWPCB]\nFILEPATH=main.bin\n";

    auto run = package.launch(ini);
    if (fault.moment == Moment::Data) {
        ASSERT_TRUE(eventually([&] { return run->out().find("Downloading MAIN") != npos; }, 10s));
        std::this_thread::sleep_for(1s);
    } else {
        ASSERT_TRUE(eventually([&] { return control(first, "info").find("activity=rewriting") != npos; }, 20s));
    }
    ASSERT_EQ(control(first, fault.fault), "ok");
    Result stopped = Package::finish(*run);
    EXPECT_EQ(stopped.status, 0);
    const std::string& out = stopped.out;
    EXPECT_TRUE(ends_with(out, fault.message) || (fault.or_message != nullptr && ends_with(out, fault.or_message)))
        << out.substr(out.size() > 400 ? out.size() - 400 : 0);
    EXPECT_EQ(out.find("Initialization of Density"), npos);

    ASSERT_EQ(control(first, fault.clear), "ok");
    ASSERT_TRUE(eventually([&] { return control(first, "info").find("activity=idle") != npos; }, 20s));
    char whole[64];
    std::snprintf(whole, sizeof whole, "ok part=MAIN size=%zu crc32=%08X version=06.02", main.size(), crc32_of(main));
    EXPECT_EQ(control(first, "firmware MAIN"), fault.part_installed ? whole : "ok part=MAIN none");

    Result second = package.run(ini);
    EXPECT_NE(second.out.find("Printer(Main) Version [After update]  = 06.02 \n"), npos) << second.out;
    EXPECT_EQ(control(first, "firmware MAIN"), whole);
}

INSTANTIATE_TEST_SUITE_P(MainPart, FirmwareFaults, ::testing::ValuesIn(kFaults),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
