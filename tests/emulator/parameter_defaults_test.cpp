// The printer's parameters as it leaves the factory.
#include <gtest/gtest.h>

#include "model_harness.h"

namespace {

using tz::test::Bytes;
using tz::test::ModelHarness;
using tz::test::ready_header;
using tz::test::with;

Bytes get_parameter(uint8_t number) { return {0x05, 0x00, 0x01, 0x00, number}; }

TEST(PrinterParameters, EveryInformationTagParameterAndBothDensitiesHaveFactoryValues) {
    ModelHarness printer;
    for (uint8_t number : {0x11, 0x41, 0x42, 0x43, 0x81, 0x82, 0x83, 0x91, 0x92, 0x93, 0xF1, 0xF2, 0xF3, 0xF4, 0x84,
                           0x12, 0x13, 0x14}) {
        Bytes answer = printer.ask(get_parameter(number));
        ASSERT_EQ(answer.size(), 14u) << int(number);
        EXPECT_EQ(Bytes(answer.begin(), answer.begin() + 10), ready_header(4)) << int(number);
    }
    EXPECT_EQ(printer.ask(get_parameter(0x8E)), with(ready_header(4), {0xF6, 0xFF, 0xFF, 0xFF}));  // 142: -10
    EXPECT_EQ(printer.ask(get_parameter(0x8F)), with(ready_header(4), {0x00, 0x00, 0x00, 0x00}));  // 143: 0
}

}  // namespace
