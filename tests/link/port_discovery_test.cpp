#include "link/port_discovery.h"

#include <gtest/gtest.h>

namespace {

TEST(PortDiscovery, IdentityTextOfAUsbPort) {
    EXPECT_EQ(usbIdentity(0x1A2B, 0x5737, "S1"), "USB\\VID_1A2B&PID_5737\\S1");
    EXPECT_EQ(usbIdentity(0x3, 0x40, ""), "USB\\VID_0003&PID_0040\\");
    EXPECT_TRUE(isInstrumentIdentity(usbIdentity(0x1A2B, 0x5737, "S1"), DefaultInstrumentPID));
    EXPECT_FALSE(isInstrumentIdentity(usbIdentity(0x5737, 0x0001, "").substr(0, 4), "5737"));
}

TEST(PortDiscovery, ListEntriesAndThePortNumberTheyCarry) {
    EXPECT_EQ(portListEntry(3, false, "(USB)"), "COM3    ");
    EXPECT_EQ(portListEntry(12, true, "(USB)"), "COM12         (USB)");
    struct Case {
        const char* entry;
        std::optional<int> number;
    };
    for (const Case& c :
         {Case{"COM3    ", 3}, Case{"COM12         (USB)", 12}, Case{"COM255    ", 255},
          Case{"COM256    ", std::nullopt}, Case{"COM0    ", std::nullopt},
          Case{"COM", std::nullopt}, Case{"COMx    ", std::nullopt}})
        EXPECT_EQ(portNumberOfEntry(c.entry), c.number) << c.entry;
}

TEST(PortDiscovery, NotFoundMessageLayout) {
    EXPECT_EQ(portNotFoundMessage("A", "B", "C", "D"),
              "       A\n\n               B\n               C\n               D       ");
}

} // namespace
