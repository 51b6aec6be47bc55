#include "platform/kernel/device_store.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "platform/kernel/registry.h"
#include "tests/support/device_fixture.h"

namespace {

namespace fs = std::filesystem;
using Kind = kernel::DeviceStoreError::Kind;
using testing_support::ReadHostFile;
using testing_support::WriteHostFile;

// The kind of refusal opening the store gives, with the file's path in the message.
std::optional<Kind> Refusal(const fs::path& file) {
  try {
    kernel::DeviceStore store(file);
  } catch (const kernel::DeviceStoreError& e) {
    EXPECT_NE(std::string(e.what()).find(file.string()), std::string::npos) << e.what();
    return e.m_kind;
  }
  return std::nullopt;
}

// A store that is not a device store is refused as damaged, never taken for an empty device; a
// link is refused; a read-only store is refused before any journal file appears.
TEST(DeviceStore, RefusesWhatIsNotAWritableDeviceStoreOfItsOwn) {
  testing_support::TestDevice device;
  fs::path good = device.Root() / "good" / "registry.db";
  fs::create_directories(good.parent_path());
  {
    kernel::DeviceStore store(good);
    store.SetInt("backlight", 4);
  }
  auto bytes = ReadHostFile(good);
  ASSERT_GT(bytes.size(), 8192u);
  auto foreign = bytes;
  foreign[68] ^= 0x5A;  // another program's application id in the database header
  auto truncated = std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 8192);
  const std::pair<const char*, std::vector<std::uint8_t>> kDamaged[] = {
      {"empty", {}}, {"text", {'h', 'e', 'l', 'l', 'o', '\n'}}, {"foreign", foreign}, {"truncated", truncated}};
  for (const auto& [name, content] : kDamaged) {
    fs::path file = device.Root() / name / "registry.db";
    WriteHostFile(file, content);
    EXPECT_EQ(Refusal(file), Kind::kDamaged) << name;
    EXPECT_EQ(ReadHostFile(file), content) << name;  // left as it was, for a repair to move aside
  }
  fs::create_directories(device.Root() / "folder" / "registry.db");
  EXPECT_EQ(Refusal(device.Root() / "folder" / "registry.db"), Kind::kDamaged);

  fs::create_directories(device.Root() / "link");
  fs::create_symlink(good, device.Root() / "link" / "registry.db");
  EXPECT_EQ(Refusal(device.Root() / "link" / "registry.db"), Kind::kLink);

  fs::permissions(good, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  EXPECT_EQ(Refusal(good), Kind::kReadOnly);
  EXPECT_FALSE(fs::exists(good.string() + "-wal") || fs::exists(good.string() + "-shm"));
  fs::permissions(good, fs::perms::owner_write, fs::perm_options::add);
  kernel::DeviceStore store(good);
  EXPECT_EQ(store.GetInt("backlight"), 4);
  // A new store appears whole under its name; its making leaves nothing else behind.
  fs::create_directories(device.Root() / "fresh");
  kernel::DeviceStore fresh(device.Root() / "fresh" / "registry.db");
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(device.Root() / "fresh")) names.push_back(entry.path().filename());
  std::erase_if(names, [](const std::string& n) { return n == "registry.db-wal" || n == "registry.db-shm"; });
  EXPECT_EQ(names, std::vector<std::string>{"registry.db"});
}

// Clear empties the registry, the state and the logs.
TEST(DeviceStore, ClearEmptiesEverything) {
  testing_support::TestDevice device;
  auto& store = device.Device().Store();
  const kernel::RegistryPath key{HKEY_LOCAL_MACHINE, u"Software"};
  ASSERT_TRUE(kernel::RegistrySetValue(key, {u"v", REG_BINARY, {1}}));
  store.SetInt("a", 1);
  store.AppendKeyLog({0xC5, 0, 4, 0});
  store.AppendSoundLog({1, 2, 3, 4});
  EXPECT_FALSE(store.RecordReset("2026-03-01T04:00:00", "fail"));
  store.Clear();
  EXPECT_FALSE(kernel::RegistryKeyExists(key) || kernel::RegistryGetValue(key, u"v") || store.GetInt("a"));
  EXPECT_TRUE(store.KeyLog().empty() && store.SoundLog().empty() && store.ResetLog().empty());
}

}  // namespace
