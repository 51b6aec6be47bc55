#include "platform/kernel/registry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <tuple>

#include "platform/kernel/handle_table.h"
#include "platform/kernel/wide_string.h"
#include "tests/support/child_process.h"
#include "tests/support/test_device.h"

namespace {

using kernel::RegistryPath;
using testing_support::ChildProcess;
using Keys = std::vector<std::u16string>;

RegistryPath Path(std::u16string_view full) { return *kernel::ParseRegistryPath(full); }

kernel::RegistryValue Dword(std::u16string name, DWORD value) {
  std::vector<std::uint8_t> data(4);
  std::memcpy(data.data(), &value, 4);
  return {std::move(name), REG_DWORD, data};
}

DWORD ReadDword(const RegistryPath& path, std::u16string_view name) {
  auto value = kernel::RegistryGetValue(path, name);
  DWORD out = 0xFFFFFFFF;
  if (value && value->data.size() == 4) std::memcpy(&out, value->data.data(), 4);
  return out;
}

HKEY Open(HKEY root, LPCWSTR subKey) {
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExW(root, subKey, 0, 0, &key), ERROR_SUCCESS);
  return key;
}

// Every call made through a key handle, each giving its result.
std::vector<LONG> CallsThrough(HKEY key) {
  HKEY out = nullptr;
  return {RegOpenKeyExW(key, u"Sub", 0, 0, &out), RegQueryValueExW(key, u"x", nullptr, nullptr, nullptr, nullptr),
          RegSetValueExW(key, u"x", 0, REG_BINARY, nullptr, 0), RegDeleteValueW(key, u"x"), RegDeleteKeyW(key, u"Sub")};
}

TEST(RegistryNames, MatchCaseInsensitivelyIgnoreEmptyComponentsAndKeepTheFirstSpelling) {
  testing_support::TestDevice device;
  ASSERT_TRUE(kernel::RegistryCreateKey(Path(u"hkcu\\ControlPanel")));
  ASSERT_TRUE(kernel::RegistrySetValue(Path(u"HKEY_CURRENT_USER\\CONTROLPANEL\\Ärger"), Dword(u"VoiceID", 1)));
  HKEY key = reinterpret_cast<HKEY>(1);
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"ControlPanel\\Missing", 0, 0, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
  EXPECT_FALSE(kernel::RegistryKeyExists(Path(u"HKCU\\ControlPanel\\Missing")));  // opening never creates
  const BYTE two[] = {2, 0, 0, 0};
  for (LPCWSTR spelling : {u"\\controlpanel\\äRGER", u"\\\\ControlPanel\\\\ärger\\"}) {
    key = Open(HKEY_CURRENT_USER, spelling);
    EXPECT_EQ(RegSetValueExW(key, u"VOICEid", 0, REG_DWORD, two, 4), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  }
  EXPECT_EQ(kernel::RegistryListValues(Path(u"HKCU\\ControlPanel\\ÄRGER")), std::vector{Dword(u"VoiceID", 2)});
  // A new key takes the spelling its existing parents already have.
  EXPECT_EQ(kernel::RegistryListSubKeys(Path(u"HKCU\\controlpanel")), Keys{u"ControlPanel\\Ärger"});
  HKEY panel = Open(HKEY_CURRENT_USER, u"ControlPanel"), child = Open(panel, u"ärger");  // relative to a key
  HKEY hive = Open(HKEY_CURRENT_USER, nullptr);  // a null (or empty) sub-key opens the hive itself
  EXPECT_EQ(RegSetValueExW(hive, u"AtRoot", 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);
  EXPECT_TRUE(kernel::RegistryGetValue(Path(u"HKCU"), u"atroot"));
  for (HKEY open : {hive, child, panel}) EXPECT_EQ(RegCloseKey(open), ERROR_SUCCESS);
}

// Windows' limits: 255 characters a key name, 16,383 a value name, 512 levels; a key name is
// printable. Beyond them nothing is created, and a deep key costs nothing.
TEST(RegistryLimits, KeysAndValuesBeyondWindowsLimitsAreRefusedWhole) {
  testing_support::TestDevice device;
  auto deep = [](std::size_t levels) {
    std::u16string key = u"HKLM\\d";
    for (std::size_t i = 1; i < levels; ++i) key += u"\\d";
    return key;
  };
  const std::tuple<std::u16string, std::u16string, bool> kCases[] = {  // key, value name, allowed
      {u"HKLM\\" + std::u16string(kernel::kMaxKeyNameLength, u'k'), u"v", true},
      {u"HKLM\\" + std::u16string(kernel::kMaxKeyNameLength + 1, u'k'), u"v", false},
      {u"HKLM\\Values", std::u16string(kernel::kMaxValueNameLength, u'v'), true},
      {u"HKLM\\Values", std::u16string(kernel::kMaxValueNameLength + 1, u'v'), false},
      {deep(kernel::kMaxKeyDepth), u"v", true}, {deep(kernel::kMaxKeyDepth + 1), u"v", false},
      {deep(20000), u"v", false},
      {u"HKLM\\Line\nBreak", u"v", false}, {u"HKLM\\Escape\x1b", u"v", false},
  };
  for (const auto& [key, value, allowed] : kCases) {
    auto path = Path(key);
    if (allowed) {
      EXPECT_TRUE(kernel::RegistrySetValue(path, Dword(value, 1))) << key.size();
      EXPECT_EQ(ReadDword(path, value), 1u);
    } else {
      EXPECT_THROW(kernel::RegistrySetValue(path, Dword(value, 1)), kernel::RegistryLimitError) << key.size();
      EXPECT_FALSE(kernel::RegistryGetValue(path, value));
      EXPECT_FALSE(value == u"v" && kernel::RegistryKeyExists(path)) << "no key is left behind";
    }
  }
  EXPECT_FALSE(kernel::RegistryKeyExists(Path(u"HKLM\\Line")));
  std::u16string longName(kernel::kMaxValueNameLength + 1, u'v');
  EXPECT_EQ(RegSetValueExW(HKEY_LOCAL_MACHINE, longName.c_str(), 0, REG_BINARY, nullptr, 0), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(kernel::RegistryGetValue(Path(u"HKLM"), longName));
}

struct OtherObject : kernel::KernelObject {};

TEST(RegistryHandles, ClosedForeignAndDeletedKeysFailAndChangeNothing) {
  testing_support::TestDevice device;
  ASSERT_TRUE(kernel::RegistrySetValue(Path(u"HKLM\\Apps\\Tavix Pelora\\Sub"), Dword(u"x", 9)));
  // A handle of another kind is not a key, and RegCloseKey must not close it.
  HANDLE other = kernel::InsertHandle(std::make_shared<OtherObject>());
  HKEY closed = Open(HKEY_LOCAL_MACHINE, u"");
  EXPECT_EQ(RegCloseKey(closed), ERROR_SUCCESS);
  for (HKEY bad : {closed, reinterpret_cast<HKEY>(other)}) {
    EXPECT_EQ(CallsThrough(bad), std::vector<LONG>(5, ERROR_INVALID_HANDLE));
    EXPECT_EQ(RegCloseKey(bad), ERROR_INVALID_HANDLE);
  }
  EXPECT_TRUE(CloseHandle(other));
  EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);  // closing a hive is a no-op

  // A handle names its key by path: once the key is deleted every call fails and recreates nothing.
  HKEY key = Open(HKEY_LOCAL_MACHINE, u"Apps\\Tavix Pelora");
  ASSERT_TRUE(kernel::RegistryDeleteKey(Path(u"HKLM\\apps\\TAVIX PELORA")));
  EXPECT_EQ(CallsThrough(key), std::vector<LONG>(5, ERROR_KEY_DELETED));
  EXPECT_FALSE(kernel::RegistryKeyExists(Path(u"HKLM\\Apps\\Tavix Pelora")));
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(kernel::OpenHandleCount(), 0u);
}

TEST(RegistryValues, QueryAndSetFollowWin32BufferRules) {
  testing_support::TestDevice device;
  // A calibration string longer than the page's 253-byte buffer.
  const std::vector<std::uint8_t> text(300, 'A');
  ASSERT_TRUE(kernel::RegistrySetValue(Path(u"HKLM\\Touch"), {u"Cal", REG_SZ, text}));
  HKEY key = Open(HKEY_LOCAL_MACHINE, u"Touch");
  BYTE buffer[320];
  std::memset(buffer, 0xCC, sizeof buffer);
  DWORD type = 0, size = 253;
  EXPECT_EQ(RegQueryValueExW(key, u"Cal", nullptr, &type, buffer, &size), ERROR_MORE_DATA);
  EXPECT_EQ(std::tuple(size, type, buffer[0]), std::tuple(300u, DWORD{REG_SZ}, BYTE{0xCC})) << "buffer untouched";
  size = 0;
  EXPECT_EQ(RegQueryValueExW(key, u"Cal", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 300u);
  EXPECT_EQ(RegQueryValueExW(key, u"Cal", nullptr, nullptr, buffer, &size), ERROR_SUCCESS);
  EXPECT_EQ(std::vector<std::uint8_t>(buffer, buffer + size), text);
  EXPECT_EQ(buffer[300], 0xCC);
  EXPECT_EQ(RegQueryValueExW(key, u"Cal", nullptr, &type, buffer, nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegQueryValueExW(key, u"Missing", nullptr, &type, buffer, &size), ERROR_FILE_NOT_FOUND);

  // Set keeps an odd byte count and embedded zeros as given, and refuses a DWORD of another size.
  const BYTE odd[] = {'h', 0, 'i', 0, 0};
  EXPECT_EQ(RegSetValueExW(key, u"Odd", 0, REG_SZ, odd, sizeof odd), ERROR_SUCCESS);
  EXPECT_EQ(kernel::RegistryGetValue(Path(u"HKLM\\Touch"), u"Odd")->data, std::vector<std::uint8_t>(odd, odd + 5));
  EXPECT_EQ(RegSetValueExW(key, u"Short", 0, REG_DWORD, odd, 3), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegSetValueExW(key, u"Null", 0, REG_BINARY, nullptr, 4), ERROR_INVALID_PARAMETER);
  // The default value has a null or an empty name.
  EXPECT_EQ(RegSetValueExW(key, nullptr, 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);  // empty data is allowed
  EXPECT_EQ(RegQueryValueExW(key, u"", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(RegDeleteValueW(key, u""), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueW(key, nullptr), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST(RegistryTree, ListsDepthFirstAndDeletesSubtreesButNotSiblingsSharingAPrefix) {
  testing_support::TestDevice device;
  auto path = kernel::ParseRegistryPath(u"hkey_current_user\\\\A\\B\\");
  EXPECT_TRUE(path && path->hive == HKEY_CURRENT_USER && path->key == u"A\\B");
  for (auto* bad : {u"HKLMX\\A", u"HKEY_CLASSES_ROOT\\A", u""}) EXPECT_FALSE(kernel::ParseRegistryPath(bad));

  const std::u16string_view keys[] = {u"HKLM\\A\\B", u"HKLM\\A\\B\\C", u"HKLM\\A\\BC", u"HKLM\\A\\B C", u"HKCU\\A\\B"};
  for (DWORD i = 0; i < 5; ++i) ASSERT_TRUE(kernel::RegistrySetValue(Path(keys[i]), Dword(u"v", i)));
  Keys order;
  for (const auto& key : kernel::RegistryReadTree(Path(u"HKLM"))) order.push_back(key.key);
  EXPECT_EQ(order, (Keys{u"", u"A", u"A\\B", u"A\\B\\C", u"A\\B C", u"A\\BC"}));
  EXPECT_TRUE(kernel::RegistryReadTree(Path(u"HKCU\\X")).empty());

  EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, u"a\\b"), ERROR_SUCCESS);
  for (DWORD i = 0; i < 5; ++i) {
    EXPECT_EQ(kernel::RegistryKeyExists(Path(keys[i])), i >= 2) << i;
    EXPECT_EQ(ReadDword(Path(keys[i]), u"v"), i >= 2 ? i : ~0u) << i;
  }
  // Recreating the key finds none of the old values.
  ASSERT_TRUE(kernel::RegistryCreateKey(Path(u"HKLM\\A\\B\\C")));
  EXPECT_TRUE(kernel::RegistryListValues(Path(u"HKLM\\A\\B\\C")).empty());

  EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, u"A\\Missing"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, u""), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, nullptr), ERROR_INVALID_PARAMETER);
  HKEY a = Open(HKEY_LOCAL_MACHINE, u"A");
  EXPECT_EQ(RegDeleteKeyW(a, u"BC"), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(a), ERROR_SUCCESS);
  EXPECT_EQ(kernel::RegistryListSubKeys(Path(u"HKLM\\A")), (Keys{u"A\\B", u"A\\B C"}));  // direct children only
}

// Several processes, each with its own connection, write distinct values and bump one counter by
// read-modify-write; every write and every increment must survive.
TEST(RegistryConcurrency, ProcessesWritingAtOnceLoseNothing) {
  testing_support::TestDevice device;
  constexpr DWORD kChildren = 4, kRounds = 100;
  const RegistryPath stress = Path(u"HKLM\\Stress");
  ASSERT_TRUE(kernel::RegistrySetValue(stress, Dword(u"Counter", 0)));
  std::vector<std::unique_ptr<ChildProcess>> children;
  for (DWORD c = 0; c < kChildren; ++c) {
    children.push_back(std::make_unique<ChildProcess>(device.Root(), [&, c](ChildProcess& parent) {
      parent.Await();  // the children start together, so their writes overlap
      for (DWORD mark = c * 1000; mark < c * 1000 + kRounds; ++mark) {
        HKEY key = nullptr;
        std::u16string name = kernel::Utf8ToWide("P" + std::to_string(mark));
        const BYTE* data = reinterpret_cast<BYTE*>(&mark);
        CHILD_CHECK(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Stress", 0, 0, &key) == ERROR_SUCCESS &&
                    RegSetValueExW(key, name.c_str(), 0, REG_DWORD, data, 4) == ERROR_SUCCESS &&
                    RegCloseKey(key) == ERROR_SUCCESS);
        kernel::RegistryTransaction(
            [&] { kernel::RegistrySetValue(stress, Dword(u"Counter", ReadDword(stress, u"Counter") + 1)); });
      }
      return 0;
    }));
  }
  for (auto& child : children) child->Signal();
  for (auto& child : children) EXPECT_EQ(child->Join(), 0);
  EXPECT_EQ(ReadDword(stress, u"Counter"), kChildren * kRounds);
  EXPECT_EQ(kernel::RegistryListValues(stress).size(), kChildren * kRounds + 1);
  EXPECT_EQ(ReadDword(stress, u"P2005"), 2005u);
}

}  // namespace
