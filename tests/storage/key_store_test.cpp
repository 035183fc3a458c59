// The key store: persistence, types kept, escaping, malformed files.
#include "storage/key_store.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "storage/storage_errors.h"
#include "temp_dir.h"

namespace storage {
namespace {

class KeyStoreTest : public ::testing::Test {
 protected:
  TempDir dir;
  std::filesystem::path path = dir / "config" / "registry";  // directory made on first write
};

TEST_F(KeyStoreTest, ValuesSurviveReopeningWithTheirTypes) {
  const std::string awkward = "a=b\nc\r%d[e]\t\x7F\xD0\x9A";
  {
    TKeyStore store(path);
    TKeyStoreKey key = store.OpenKey("Software\\Vendor\\Port");
    key.WriteString("Port", "COM1");
    key.WriteInteger("Size", -2147483647 - 1);
    key.WriteString("odd=name\n", awkward);
    store.OpenKey("Software\\Other").WriteInteger("Size", 5);
    key.WriteString("port", "COM2");  // same value, other letter case
  }
  TKeyStore store(path);
  EXPECT_TRUE(store.KeyExists("software\\vendor\\PORT"));
  EXPECT_FALSE(store.KeyExists("Software\\Vendor"));
  const TKeyStoreKey key = store.OpenKey("SOFTWARE\\Vendor\\Port");
  EXPECT_EQ(key.ReadString("PORT"), "COM2");
  EXPECT_EQ(key.ReadInteger("size"), -2147483647 - 1);
  EXPECT_EQ(key.ReadString("odd=name\n"), awkward);
  EXPECT_EQ(store.OpenKey("Software\\Other").ReadInteger("Size"), 5);
  EXPECT_EQ(ReadFile(path),
            "[Software\\Vendor\\Port]\ns:Port=COM2\ni:Size=-2147483648\n"
            "s:odd%3Dname%0A=a%3Db%0Ac%0D%25d%5Be%5D%09%7F\xD0\x9A\n"
            "\n[Software\\Other]\ni:Size=5\n");
}

TEST_F(KeyStoreTest, ReadsFailOrFallBackByType) {
  TKeyStore store(path);
  TKeyStoreKey key = store.OpenKey("K");
  key.WriteString("Text", "12");
  key.WriteInteger("Number", 12);
  EXPECT_EQ(key.ReadString("Missing"), "");
  EXPECT_EQ(store.OpenKey("No such key").ReadString("Text"), "");

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

TEST_F(KeyStoreTest, MalformedFileIsRefusedNamingTheLine) {
  std::filesystem::create_directories(path.parent_path());
  const char* bad_files[] = {
      "s:Port=COM1\n",              // value before any key
      "[K]\nPort=COM1\n",           // no type
      "[K]\ni:Size=12x\n",          // not an integer
      "[K]\ni:Size=99999999999\n",  // out of range
      "[K]\ns:Port=%4\n",           // cut escape
      "[K\n",                       // unclosed key
  };
  for (const char* contents : bad_files) {
    WriteFile(path, contents);
    try {
      TKeyStore store(path);
      ADD_FAILURE() << contents;
    } catch (const EStorageError& e) {
      EXPECT_NE(std::string(e.what()).find("line"), std::string::npos) << e.what();
    }
    EXPECT_EQ(ReadFile(path), contents);
  }
  WriteFile(path, "; comment\n\n[K]\ns:Port=COM3\n");
  EXPECT_EQ(TKeyStore(path).OpenKey("K").ReadString("Port"), "COM3");
}

TEST_F(KeyStoreTest, DefaultPathIsPerUser) {
  const char* saved_config = std::getenv("XDG_CONFIG_HOME");
  const std::string saved = saved_config ? saved_config : "";
  ::setenv("XDG_CONFIG_HOME", "/cfg", 1);
  EXPECT_EQ(TKeyStore::DefaultPath(), "/cfg/vlk240/registry");
  ::unsetenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  if (home && *home) {
    EXPECT_EQ(TKeyStore::DefaultPath(), std::filesystem::path(home) / ".config/vlk240/registry");
  }
  if (saved_config) ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
}

}  // namespace
}  // namespace storage
