#include "platform/kernel/registry.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "platform/kernel/handle_table.h"
#include "platform/kernel/wide_string.h"
#include "tests/support/test_device.h"

namespace {

using kernel::RegistryPath;
using kernel::RegistryValue;

RegistryPath Path(std::u16string_view full) { return *kernel::ParseRegistryPath(full); }

std::vector<std::uint8_t> Bytes(std::initializer_list<int> list) { return {list.begin(), list.end()}; }

RegistryValue Dword(std::u16string name, DWORD value) {
  return {std::move(name), REG_DWORD, Bytes({int(value & 0xFF), int(value >> 8 & 0xFF), int(value >> 16 & 0xFF), int(value >> 24)})};
}

DWORD ReadDword(const RegistryPath& path, std::u16string_view name) {
  auto value = kernel::RegistryGetValue(path, name);
  if (!value || value->data.size() != 4) return 0xFFFFFFFF;
  DWORD out = 0;
  std::memcpy(&out, value->data.data(), 4);
  return out;
}

HKEY Open(HKEY root, LPCWSTR subKey) {
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExW(root, subKey, 0, 0, &key), ERROR_SUCCESS);
  return key;
}

TEST(RegistryOpen, OpensExistingKeysOnlyAndIgnoresEmptyPathComponents) {
  testing_support::TestDevice device;
  ASSERT_TRUE(kernel::RegistrySetValue(Path(u"HKCU\\ControlPanel\\Volume"), Dword(u"Volume", 7)));
  HKEY key = reinterpret_cast<HKEY>(1);
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"ControlPanel\\Missing", 0, 0, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
  EXPECT_FALSE(kernel::RegistryKeyExists(Path(u"HKCU\\ControlPanel\\Missing")));
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"ControlPanel\\Volume", 0, 0, &key), ERROR_FILE_NOT_FOUND);

  for (LPCWSTR spelling : {u"ControlPanel\\Volume", u"\\ControlPanel\\Volume", u"\\\\controlpanel\\\\VOLUME\\"}) {
    key = Open(HKEY_CURRENT_USER, spelling);
    DWORD volume = 0, size = sizeof volume;
    EXPECT_EQ(RegQueryValueExW(key, u"volume", nullptr, nullptr, reinterpret_cast<BYTE*>(&volume), &size), ERROR_SUCCESS);
    EXPECT_EQ(volume, 7u);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  }

  HKEY panel = Open(HKEY_CURRENT_USER, u"ControlPanel");
  HKEY volume = Open(panel, u"Volume");
  EXPECT_EQ(RegQueryValueExW(volume, u"Volume", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  for (LPCWSTR root : {static_cast<LPCWSTR>(nullptr), u""}) {
    HKEY hive = Open(HKEY_CURRENT_USER, root);
    EXPECT_EQ(RegSetValueExW(hive, u"AtRoot", 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(hive), ERROR_SUCCESS);
  }
  EXPECT_EQ(kernel::RegistryGetValue(Path(u"HKCU"), u"atroot")->type, REG_BINARY);
  EXPECT_EQ(RegCloseKey(volume), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(panel), ERROR_SUCCESS);
  EXPECT_EQ(kernel::OpenHandleCount(), 0u);
}

struct OtherObject : kernel::KernelObject {};

TEST(RegistryOpen, BadHandlesFailWithoutTouchingOtherObjects) {
  testing_support::TestDevice device;
  HKEY key = Open(HKEY_LOCAL_MACHINE, nullptr);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  HKEY out = nullptr;
  EXPECT_EQ(RegOpenKeyExW(key, u"", 0, 0, &out), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegQueryValueExW(key, u"x", nullptr, nullptr, nullptr, nullptr), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegSetValueExW(key, u"x", 0, REG_BINARY, nullptr, 0), ERROR_INVALID_HANDLE);

  // A handle of another kind is not a key, and RegCloseKey must not close it.
  HANDLE other = kernel::InsertHandle(std::make_shared<OtherObject>());
  auto asKey = reinterpret_cast<HKEY>(other);
  EXPECT_EQ(RegQueryValueExW(asKey, u"x", nullptr, nullptr, nullptr, nullptr), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(asKey), ERROR_INVALID_HANDLE);
  EXPECT_EQ(kernel::OpenHandleCount(), 1u);
  EXPECT_TRUE(CloseHandle(other));
  EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
}

TEST(RegistryValues, QueryFollowsWin32BufferRules) {
  testing_support::TestDevice device;
  // A calibration string longer than the page's 253-byte buffer.
  std::vector<std::uint8_t> text(300, 'A');
  text[298] = text[299] = 0;
  ASSERT_TRUE(kernel::RegistrySetValue(Path(u"HKLM\\HARDWARE\\DEVICEMAP\\TOUCH"), {u"CalibrationData", REG_SZ, text}));
  HKEY key = Open(HKEY_LOCAL_MACHINE, u"HARDWARE\\DEVICEMAP\\TOUCH");

  BYTE buffer[320];
  std::memset(buffer, 0xCC, sizeof buffer);
  DWORD type = 0, size = 253;
  EXPECT_EQ(RegQueryValueExW(key, u"CalibrationData", nullptr, &type, buffer, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 300u);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(buffer[0], 0xCC);  // untouched

  size = 0;
  type = 0;
  EXPECT_EQ(RegQueryValueExW(key, u"CalibrationData", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 300u);
  EXPECT_EQ(type, REG_SZ);
  size = 300;
  EXPECT_EQ(RegQueryValueExW(key, u"CalibrationData", nullptr, nullptr, buffer, &size), ERROR_SUCCESS);
  EXPECT_EQ(std::vector<std::uint8_t>(buffer, buffer + size), text);
  EXPECT_EQ(buffer[300], 0xCC);

  EXPECT_EQ(RegQueryValueExW(key, u"CalibrationData", nullptr, &type, buffer, nullptr), ERROR_INVALID_PARAMETER);
  DWORD reserved = 0;
  EXPECT_EQ(RegQueryValueExW(key, u"CalibrationData", &reserved, &type, nullptr, &size), ERROR_INVALID_PARAMETER);
  size = sizeof buffer;
  EXPECT_EQ(RegQueryValueExW(key, u"Missing", nullptr, &type, buffer, &size), ERROR_FILE_NOT_FOUND);

  // The default value: a null or empty name.
  EXPECT_EQ(RegQueryValueExW(key, nullptr, nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
  const BYTE one[] = {1};
  EXPECT_EQ(RegSetValueExW(key, nullptr, 0, REG_BINARY, one, 1), ERROR_SUCCESS);
  size = 0;
  EXPECT_EQ(RegQueryValueExW(key, u"", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 1u);
  EXPECT_EQ(RegDeleteValueW(key, u""), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueW(key, nullptr), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST(RegistryValues, SetStoresExactBytesAndChecksDwordSize) {
  testing_support::TestDevice device;
  HKEY key = Open(HKEY_CURRENT_USER, u"");
  // An odd byte count and embedded zeros are kept as given.
  const BYTE odd[] = {'h', 0, 'i', 0, 0};
  EXPECT_EQ(RegSetValueExW(key, u"Odd", 0, REG_SZ, odd, sizeof odd), ERROR_SUCCESS);
  EXPECT_EQ(kernel::RegistryGetValue(Path(u"HKCU"), u"Odd")->data, Bytes({'h', 0, 'i', 0, 0}));
  EXPECT_EQ(RegSetValueExW(key, u"Empty", 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);
  EXPECT_TRUE(kernel::RegistryGetValue(Path(u"HKCU"), u"Empty")->data.empty());

  const BYTE three[] = {1, 2, 3};
  EXPECT_EQ(RegSetValueExW(key, u"Short", 0, REG_DWORD, three, 3), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegSetValueExW(key, u"Null", 0, REG_BINARY, nullptr, 4), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(kernel::RegistryGetValue(Path(u"HKCU"), u"Short"));
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST(RegistryNames, CompareCaseInsensitivelyAndKeepTheirFirstSpelling) {
  testing_support::TestDevice device;
  ASSERT_TRUE(kernel::RegistryCreateKey(Path(u"hklm\\Software\\Tavix")));
  ASSERT_TRUE(kernel::RegistryCreateKey(Path(u"HKEY_LOCAL_MACHINE\\SOFTWARE\\TAVIX\\Ärger")));
  HKEY key = Open(HKEY_LOCAL_MACHINE, u"software\\tavix\\äRGER");
  const BYTE a[] = {1, 0, 0, 0}, b[] = {2, 0, 0, 0};
  EXPECT_EQ(RegSetValueExW(key, u"VoiceID", 0, REG_DWORD, a, 4), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExW(key, u"VOICEid", 0, REG_DWORD, b, 4), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);

  auto values = kernel::RegistryListValues(Path(u"HKLM\\Software\\Tavix\\ärger"));
  ASSERT_EQ(values.size(), 1u);
  EXPECT_EQ(values[0].name, u"VoiceID");
  EXPECT_EQ(values[0].data, Bytes({2, 0, 0, 0}));
  // A new key takes the spelling its existing parents already have.
  EXPECT_EQ(kernel::RegistryListSubKeys(Path(u"HKLM\\SOFTWARE")), std::vector<std::u16string>{u"Software\\Tavix"});
  EXPECT_EQ(kernel::RegistryListSubKeys(Path(u"HKLM\\Software\\Tavix")),
            std::vector<std::u16string>{u"Software\\Tavix\\Ärger"});
}

TEST(RegistryPaths, ParseHiveNamesAndCreateEveryParent) {
  testing_support::TestDevice device;
  auto path = kernel::ParseRegistryPath(u"hkey_current_user\\\\A\\B\\");
  ASSERT_TRUE(path);
  EXPECT_EQ(path->hive, HKEY_CURRENT_USER);
  EXPECT_EQ(path->key, u"A\\B");
  EXPECT_EQ(kernel::ParseRegistryPath(u"HkLm")->key, u"");
  EXPECT_FALSE(kernel::ParseRegistryPath(u"HKLMX\\A"));
  EXPECT_FALSE(kernel::ParseRegistryPath(u"HKEY_CLASSES_ROOT\\A"));
  EXPECT_FALSE(kernel::ParseRegistryPath(u""));

  ASSERT_TRUE(kernel::RegistryCreateKey(Path(u"HKLM\\System\\CurrentControlSet\\Control")));
  EXPECT_EQ(RegCloseKey(Open(HKEY_LOCAL_MACHINE, u"System\\CurrentControlSet")), ERROR_SUCCESS);
  // The listing names direct children only, and a tree read is depth-first by name.
  for (auto* name : {u"HKLM\\A B", u"HKLM\\A\\X\\Deep"}) ASSERT_TRUE(kernel::RegistryCreateKey(Path(name)));
  EXPECT_EQ(kernel::RegistryListSubKeys(Path(u"HKLM")), (std::vector<std::u16string>{u"A", u"A B", u"System"}));
  std::vector<std::u16string> order;
  for (const auto& key : kernel::RegistryReadTree(Path(u"HKLM\\a"))) order.push_back(key.key);
  EXPECT_EQ(order, (std::vector<std::u16string>{u"A", u"A\\X", u"A\\X\\Deep"}));
  order.clear();
  for (const auto& key : kernel::RegistryReadTree(Path(u"HKLM"))) order.push_back(key.key);
  EXPECT_EQ(order.size(), 8u);  // the hive itself comes first
  EXPECT_EQ(order[4], u"A B");
  EXPECT_TRUE(kernel::RegistryReadTree(Path(u"HKCU\\A")).empty());
}

TEST(RegistryDelete, RemovesTheSubtreeButNotSiblingsSharingAPrefix) {
  testing_support::TestDevice device;
  ASSERT_TRUE(kernel::RegistrySetValue(Path(u"HKLM\\A\\B"), Dword(u"v", 1)));
  ASSERT_TRUE(kernel::RegistrySetValue(Path(u"HKLM\\A\\B\\C"), Dword(u"v", 2)));
  ASSERT_TRUE(kernel::RegistrySetValue(Path(u"HKLM\\A\\BC"), Dword(u"v", 3)));
  ASSERT_TRUE(kernel::RegistrySetValue(Path(u"HKLM\\A\\B C"), Dword(u"v", 4)));
  ASSERT_TRUE(kernel::RegistrySetValue(Path(u"HKCU\\A\\B"), Dword(u"v", 5)));

  EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, u"a\\b"), ERROR_SUCCESS);
  EXPECT_FALSE(kernel::RegistryKeyExists(Path(u"HKLM\\A\\B")));
  EXPECT_FALSE(kernel::RegistryKeyExists(Path(u"HKLM\\A\\B\\C")));
  EXPECT_EQ(ReadDword(Path(u"HKLM\\A\\BC"), u"v"), 3u);
  EXPECT_EQ(ReadDword(Path(u"HKLM\\A\\B C"), u"v"), 4u);
  EXPECT_EQ(ReadDword(Path(u"HKCU\\A\\B"), u"v"), 5u);
  // Recreating the key finds none of the old values.
  ASSERT_TRUE(kernel::RegistryCreateKey(Path(u"HKLM\\A\\B\\C")));
  EXPECT_TRUE(kernel::RegistryListValues(Path(u"HKLM\\A\\B\\C")).empty());

  EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, u"A\\Missing"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, u""), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(kernel::RegistryDeleteKey(Path(u"HKLM")));
  HKEY a = Open(HKEY_LOCAL_MACHINE, u"A");
  EXPECT_EQ(RegDeleteKeyW(a, u"BC"), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(a), ERROR_SUCCESS);
  EXPECT_EQ(kernel::RegistryListSubKeys(Path(u"HKLM\\A")), (std::vector<std::u16string>{u"A\\B", u"A\\B C"}));
}

TEST(RegistryDelete, HandleOfADeletedKeyFailsAndNeverRecreatesIt) {
  testing_support::TestDevice device;
  ASSERT_TRUE(kernel::RegistrySetValue(Path(u"HKLM\\SOFTWARE\\Apps\\Tavix Pelora\\Sub"), Dword(u"Language", 9)));
  HKEY key = Open(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Apps\\Tavix Pelora");
  ASSERT_TRUE(kernel::RegistryDeleteKey(Path(u"HKLM\\Software\\Apps\\Tavix Pelora")));

  const BYTE one[] = {1, 0, 0, 0};
  HKEY sub = nullptr;
  EXPECT_EQ(RegQueryValueExW(key, u"Language", nullptr, nullptr, nullptr, nullptr), ERROR_KEY_DELETED);
  EXPECT_EQ(RegSetValueExW(key, u"Language", 0, REG_DWORD, one, 4), ERROR_KEY_DELETED);
  EXPECT_EQ(RegDeleteValueW(key, u"Language"), ERROR_KEY_DELETED);
  EXPECT_EQ(RegOpenKeyExW(key, u"Sub", 0, 0, &sub), ERROR_KEY_DELETED);
  EXPECT_EQ(RegDeleteKeyW(key, u"Sub"), ERROR_KEY_DELETED);
  EXPECT_FALSE(kernel::RegistryKeyExists(Path(u"HKLM\\SOFTWARE\\Apps\\Tavix Pelora")));
  EXPECT_TRUE(kernel::RegistryKeyExists(Path(u"HKLM\\SOFTWARE\\Apps")));
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

// Several processes, each with its own connection, write distinct values and bump one counter by
// read-modify-write; every write and every increment must survive.
TEST(RegistryConcurrency, ProcessesWritingAtOnceLoseNothing) {
  testing_support::TestDevice device;
  constexpr int kChildren = 4;
  constexpr int kRounds = 100;
  const RegistryPath stress = Path(u"HKLM\\Stress");
  ASSERT_TRUE(kernel::RegistrySetValue(stress, Dword(u"Counter", 0)));

  // The children start together when the parent closes the pipe, so their writes overlap.
  int start[2];
  ASSERT_EQ(::pipe(start), 0);
  std::vector<pid_t> children;
  for (int c = 0; c < kChildren; ++c) {
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      int status = 1;
      ::close(start[1]);
      char byte = 0;
      [[maybe_unused]] ssize_t got = ::read(start[0], &byte, 1);
      try {
        // The parent's connection is never used here; the parent's Device stays alive in
        // TestDevice and the child leaves with _exit, so nothing of it is closed either.
        kernel::SetCurrentDevice(std::make_shared<kernel::Device>(device.Root()));
        bool ok = true;
        for (int r = 0; r < kRounds; ++r) {
          HKEY key = nullptr;
          ok = ok && RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Stress", 0, 0, &key) == ERROR_SUCCESS;
          DWORD mark = static_cast<DWORD>(c * 1000 + r);
          std::u16string name = kernel::Utf8ToWide("P" + std::to_string(c) + "_" + std::to_string(r));
          ok = ok && RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<BYTE*>(&mark), 4) == ERROR_SUCCESS;
          ok = ok && RegCloseKey(key) == ERROR_SUCCESS;
          kernel::RegistryTransaction(
              [&] { kernel::RegistrySetValue(stress, Dword(u"Counter", ReadDword(stress, u"Counter") + 1)); });
        }
        status = ok ? 0 : 2;
      } catch (...) {
        status = 3;
      }
      ::_exit(status);
    }
    children.push_back(pid);
  }
  ::close(start[0]);
  ::close(start[1]);
  for (pid_t pid : children) {
    int status = -1;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
  }
  EXPECT_EQ(ReadDword(stress, u"Counter"), static_cast<DWORD>(kChildren * kRounds));
  EXPECT_EQ(kernel::RegistryListValues(stress).size(), static_cast<std::size_t>(kChildren * kRounds + 1));
  EXPECT_EQ(ReadDword(stress, u"P2_5"), 2005u);
}

}  // namespace
