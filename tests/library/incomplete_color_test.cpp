// A colour-matching library that lacks one entry point cannot be bound; a
// download context does not need it.
#include <gtest/gtest.h>

#include "library_session.h"
#include "printer_farm.h"

TEST(IncompleteColorLibrary, OpenGives1003ButDownloadOpens) {
    tz::test::PrinterFarm farm;
    farm.add("SN000001");
    uint16_t code = 0;
    EXPECT_EQ(tzpusb_open(&code), 0);
    EXPECT_EQ(code, TZP_NO_COLOR_LIBRARY);
    tzpusb_close();
    code = 0xFFFF;
    EXPECT_EQ(tzpusb_openDownload(-1, &code), 1);
    EXPECT_EQ(code, TZP_OK);
    tzpusb_close();
}
