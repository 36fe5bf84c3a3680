// INI settings as a private-profile reader gives them, and the version note
// of our shared objects.
#include <gtest/gtest.h>

#include <fstream>

#include "platform/library_version.h"
#include "platform/profile_ini.h"
#include "platform/system_names.h"
#include "temp_folder.h"

namespace {

using tz::platform::parse_profile_integer;
using tz::platform::ProfileIni;

TEST(ProfileIni, IntegersAreASignAndLeadingDigits) {
    EXPECT_EQ(parse_profile_integer("256"), 256);
    EXPECT_EQ(parse_profile_integer("-10"), -10);
    EXPECT_EQ(parse_profile_integer("+7"), 7);
    EXPECT_EQ(parse_profile_integer("12abc"), 12);
    EXPECT_EQ(parse_profile_integer("abc"), 0);
    EXPECT_EQ(parse_profile_integer("-"), 0);
    EXPECT_EQ(parse_profile_integer("0x10"), 0);
    EXPECT_EQ(parse_profile_integer("4294967297"), 1);  // wraps at 32 bits
}

TEST(ProfileIni, KeysInAnyCaseDefaultsForWhatIsMissing) {
    tz::test::TempFolder folder;
    const std::string path = folder.file("settings.ini");
    std::ofstream(path) << "[usb]\nFilePath = usb.bin\n[Main_OldPcb]\nRESET=256\nEMPTY=\n[Long]\nTEXT="
                        << std::string(300, 'x') << "\n";
    ProfileIni ini = ProfileIni::read(path);
    EXPECT_EQ(ini.text("USB", "FILEPATH", "None"), "usb.bin");
    EXPECT_EQ(ini.text("DSP", "FILEPATH", "None"), "None");
    EXPECT_EQ(ini.integer("MAIN_OLDPCB", "RESET", 0), 256);
    EXPECT_EQ(ini.integer("MAIN_OLDPCB", "EMPTY", 5), 5);
    EXPECT_EQ(ini.integer("TONECURVE", "RESET", 1), 1);
    EXPECT_EQ(ini.text("Long", "TEXT", "").size(), 259u);

    ProfileIni missing = ProfileIni::read(folder.file("none.ini"));
    EXPECT_EQ(missing.integer("LAMINATE", "TARGET", 153), 153);
}

TEST(LibraryVersion, OurSharedObjectsCarryTheProjectVersion) {
    using tz::platform::shared_library_file;
    EXPECT_EQ(tz::platform::library_version(shared_library_file("TZ5170UsbCtrl")), TZ_PROJECT_VERSION);
    EXPECT_EQ(tz::platform::library_version(shared_library_file("TZ5170upgrade")), TZ_PROJECT_VERSION);
    EXPECT_EQ(tz::platform::library_version(shared_library_file("nothing-here")), "");
}

}  // namespace
