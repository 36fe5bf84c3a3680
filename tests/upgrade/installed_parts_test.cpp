// TZ5170upgrade goes on from a part only once the printer has installed it:
// its firmware table shows the version of the file sent.
#include <gtest/gtest.h>

#include <string>

#include "upgrade_harness.h"

namespace {

using namespace tz::test::upgrade;
using tz::test::control;
using tz::test::PrinterFarm;

// A DSP image for another model: the printer swallows it and keeps 02.03.
// The run ends at that part, naming it, with TABLE untouched.
TEST(InstalledParts, PartThePrinterRefusedEndsTheRun) {
    PrinterFarm farm;
    auto& first = farm.add(printer("TZ000101"));
    farm.add(printer("TZ000102"));
    Package package;
    Bytes dsp = dsp_file("0205");
    put(dsp, 61328, "TZP-K9999-9");
    package.file("dsp.bin", dsp);
    package.file("table.bin", table_file(0x03, 0x02));
    Result result = package.run("[DSP]\nFILEPATH=dsp.bin\n[TABLE]\nFILEPATH=table.bin\n[TIME]\nREWRITE_LIMIT=20000\n");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(squeeze(result.out, {}),
              kTitle + listing("None", "None", "None", "None", "dsp.bin", "table.bin") + start_lines(2) +
                  printer_head(1, "TZ000101") + kNoUsb + "No main downloadFile (New PCB)...\n" +
                  versions("Dsp", "02.03", "02.05") + "Downloading DSP file... [dsp.bin]\nSent       100000 byte(s) \r" +
                  "Finished.                                                 \n" + kRewriteWait +
                  "The DSP firmware was not installed: expected version 02.05, the printer has 02.03.\n");
    EXPECT_EQ(control(first, "firmware DSP"), "ok part=DSP none");
    EXPECT_EQ(control(first, "firmware TABLE"), "ok part=TABLE none");
}

// Over a slow link the host has written a part long before the printer has
// it all, and the printer still says "ready". Every part is waited for until
// it is installed; only then does the next one go out.
TEST(InstalledParts, SlowLinkStillInstallsEveryPartBeforeTheNext) {
    PrinterFarm farm;
    tz::emulator::PrinterOptions options = printer("TZ000101");
    options.link_rate = 50000;
    auto& first = farm.add(options);
    Package package;
    package.file("usb.bin", usb_file(0x01, 0x09));
    package.file("main.bin", main_file("0602"));
    package.file("dsp.bin", dsp_file("0205"));
    package.file("table.bin", table_file(0x03, 0x02));
    Result result = package.run(
        "[USB]\nFILEPATH=usb.bin\n[MAIN_NEWPCB]\nFILEPATH=main.bin\n[DSP]\nFILEPATH=dsp.bin\n"
        "[TABLE]\nFILEPATH=table.bin\n[TIME]\nUSB_WAIT_TIME=300000\n");
    EXPECT_NE(result.out.find("Completed firmware upgrade.\n"), std::string::npos) << result.out;
    EXPECT_NE(control(first, "firmware USB").find("version=01.09"), std::string::npos);
    EXPECT_NE(control(first, "firmware MAIN").find("version=06.02"), std::string::npos);
    EXPECT_NE(control(first, "firmware DSP").find("version=02.05"), std::string::npos);
    EXPECT_NE(control(first, "firmware TABLE").find("version=03.02"), std::string::npos);
}

}  // namespace
