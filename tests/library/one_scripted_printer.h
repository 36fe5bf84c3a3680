// A fixture: one printer of the tests' own USB control library, opened through
// the printer-control library, whose printer end is scripted.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "fake_usbctrl/fake_usb.h"
#include "library_session.h"
#include "scripted_printer.h"

namespace tz::test {

class OneScriptedPrinter : public ::testing::Test {
protected:
    void SetUp() override {
        FakeUsb_Reset();
        int printer = FakeUsb_AddPrinter("PRINTER0", 0x0F3C, 0x5A17);
        library_ = std::make_unique<OpenLibrary>();
        ASSERT_TRUE(library_->ok());
        script_ = std::make_unique<ScriptedPrinter>(FakeUsb_PrinterSocket(printer));
    }
    void TearDown() override {
        library_.reset();
        script_.reset();
        FakeUsb_Reset();
    }

    std::unique_ptr<OpenLibrary> library_;
    std::unique_ptr<ScriptedPrinter> script_;
};

}  // namespace tz::test
