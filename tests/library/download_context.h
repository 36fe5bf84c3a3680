// A fixture: one printer of the tests' own USB control library, with the
// calling thread's context opened for download; the printer end is scripted.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

#include "fake_usbctrl/fake_usb.h"
#include "library_session.h"
#include "scripted_printer.h"
#include "temp_folder.h"

namespace tz::test {

class DownloadContext : public ::testing::Test {
protected:
    void SetUp() override {
        FakeUsb_Reset();
        FakeUsb_AddPrinter("PRINTER0", 0x0F3C, 0x5A17);
        uint16_t code = 0xFFFF;
        ASSERT_EQ(tzpusb_openDownload(-1, &code), 1) << code;
        script_ = std::make_unique<ScriptedPrinter>(FakeUsb_PrinterSocket(0));
    }
    void TearDown() override {
        tzpusb_close();
        script_.reset();
        FakeUsb_Reset();
    }
    std::string write_file(const std::string& name, const std::string& content) {
        std::string path = folder_.file(name);
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    TempFolder folder_;
    std::unique_ptr<ScriptedPrinter> script_;
};

}  // namespace tz::test
