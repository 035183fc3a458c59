// Port settings in the Windows registry: values keep their types, missing values behave as the
// port's loading expects, and a port's settings survive a round trip.
#include <gtest/gtest.h>

#include "comport/com_port.h"
#include "storage/storage_errors.h"
#include "storage/system_registry_key.h"

namespace storage {
namespace {

constexpr const char* kKey = "Software\\vlk240-tests\\Port";
constexpr comport::TStoredGroups kAllGroups = comport::TStoredGroups::FromBits(0x3F);

class SystemRegistryKeyTest : public ::testing::Test {
 protected:
  void SetUp() override { TSystemRegistryKey::DeleteKey("Software\\vlk240-tests"); }
  void TearDown() override { TSystemRegistryKey::DeleteKey("Software\\vlk240-tests"); }
};

TEST_F(SystemRegistryKeyTest, ValuesSurviveReopeningWithTheirTypes) {
  const std::string russian = "СОМ Порт \xE2\x84\x96 1";
  {
    TSystemRegistryKey key(kKey);
    key.WriteString("Port", "COM1");
    key.WriteInteger("Size", -2147483647 - 1);
    key.WriteString("Text", russian);
    key.WriteString("port", "COM2");  // the same value: the registry ignores letter case
  }
  EXPECT_TRUE(TSystemRegistryKey::KeyExists("SOFTWARE\\VLK240-TESTS\\port"));
  const TSystemRegistryKey key("software\\vlk240-tests\\PORT");
  EXPECT_EQ(key.ReadString("PORT"), "COM2");
  EXPECT_EQ(key.ReadInteger("size"), -2147483647 - 1);
  EXPECT_EQ(key.ReadString("Text"), russian);
}

TEST_F(SystemRegistryKeyTest, ReadsFailOrFallBackByType) {
  TSystemRegistryKey key(kKey);
  key.WriteString("Text", "12");
  key.WriteInteger("Number", 12);
  EXPECT_EQ(key.ReadString("Missing"), "");

  struct Case {
    const char* name;
    bool as_integer;
  };
  for (const Case c : {Case{"Missing", true}, Case{"Text", true}, Case{"Number", false}}) {
    try {
      if (c.as_integer) {
        key.ReadInteger(c.name);
      } else {
        key.ReadString(c.name);
      }
      ADD_FAILURE() << c.name << " read without error";
    } catch (const ERegistryValueError& e) {
      EXPECT_EQ(e.ValueName(), c.name);
      EXPECT_NE(std::string(e.what()).find(c.name), std::string::npos);
    }
  }
  key.WriteInteger("Text", 3);  // a write replaces the type too
  EXPECT_EQ(key.ReadInteger("Text"), 3);
}

TEST_F(SystemRegistryKeyTest, PortSettingsRoundTripAndAMissingKeyLoadsDefaults) {
  comport::TComPort saved;
  saved.SetPort("COM7");
  saved.SetBaudRate(comport::brCustom);
  saved.SetCustomBaudRate(31250);
  saved.Parity().SetBits(comport::prEven);
  saved.SetStoredGroups(kAllGroups);
  {
    TSystemRegistryKey key(kKey);
    saved.SaveToRegistry(key);
  }
  comport::TComPort loaded;
  loaded.SetStoredGroups(kAllGroups);
  TSystemRegistryKey key(kKey);
  loaded.LoadFromRegistry(key);
  EXPECT_EQ(loaded.Port(), "COM7");
  EXPECT_EQ(loaded.BaudRate(), comport::brCustom);
  EXPECT_EQ(loaded.CustomBaudRate(), 31250);
  EXPECT_EQ(loaded.Parity().Bits(), comport::prEven);

  comport::TComPort from_empty;
  from_empty.SetBaudRate(comport::br19200);
  TSystemRegistryKey empty("Software\\vlk240-tests\\Empty");
  from_empty.LoadFromRegistry(empty);
  EXPECT_EQ(from_empty.BaudRate(),
            comport::br9600);  // a missing text takes its conversion's default
  EXPECT_EQ(from_empty.Port(), "");
}

}  // namespace
}  // namespace storage
