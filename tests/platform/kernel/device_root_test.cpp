#include "platform/kernel/device_root.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/kernel/wide_string.h"
#include "tests/support/test_device.h"

namespace {

namespace fs = std::filesystem;
using testing_support::TestDevice;

DWORD ErrorOf(TestDevice& device, std::u16string_view path, bool wildcards = false) {
  DWORD error = 0;
  return kernel::ResolveDevicePath(device.Device(), path, &error, wildcards) ? 0 : error;
}

// Where the path leads on the host; empty when it does not resolve.
fs::path HostOf(TestDevice& device, std::u16string_view path) {
  DWORD error = 0;
  auto resolved = kernel::ResolveDevicePath(device.Device(), path, &error);
  return resolved ? resolved->host : fs::path();
}

TEST(DeviceRootTest, ComponentsMatchCaseInsensitivelyAndAnExactNameWins) {
  TestDevice device;
  fs::create_directories(device.Host("My Flash Disk"));
  for (const char* name : {"Setting.dat", "a", "A"}) std::ofstream(device.Host("My Flash Disk") / name) << name;

  DWORD error = 0;
  auto resolved = kernel::ResolveDevicePath(device.Device(), u"\\MY FLASH DISK\\setting.DAT", &error);
  ASSERT_TRUE(resolved);
  EXPECT_TRUE(resolved->exists);
  EXPECT_EQ(resolved->host, device.Host("My Flash Disk/Setting.dat"));
  EXPECT_EQ(resolved->leaf, u"Setting.dat");
  EXPECT_EQ(HostOf(device, u"\\My Flash Disk\\a"), device.Host("My Flash Disk/a"));
  EXPECT_EQ(HostOf(device, u"\\My Flash Disk\\A"), device.Host("My Flash Disk/A"));
  // Doubled separators and "." components name the same place; the root is "\".
  EXPECT_EQ(HostOf(device, u"\\\\my flash disk\\.\\setting.dat"), resolved->host);
  EXPECT_EQ(HostOf(device, u"\\"), device.Root());

  // A missing leaf keeps the name it was given; a missing folder, or a file on the way, fails.
  auto fresh = kernel::ResolveDevicePath(device.Device(), u"\\my flash disk\\New File.TXT", &error);
  ASSERT_TRUE(fresh);
  EXPECT_FALSE(fresh->exists);
  EXPECT_EQ(fresh->host, device.Host("My Flash Disk/New File.TXT"));
  EXPECT_EQ(fresh->leaf, u"New File.TXT");
  EXPECT_EQ(ErrorOf(device, u"\\Nowhere\\file.txt"), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(ErrorOf(device, u"\\My Flash Disk\\Setting.dat\\inner"), ERROR_PATH_NOT_FOUND);
}

TEST(DeviceRootTest, NamesThatCouldLeaveTheRootAndMisplacedWildcardsAreRefused) {
  TestDevice device;
  fs::create_directories(device.Host("Windows"));
  using namespace std::string_view_literals;
  for (std::u16string_view path : std::initializer_list<std::u16string_view>{
           u"\\..", u"..\\etc\\passwd", u"\\Windows\\..\\..\\etc", u"\\Windows\\..", u"/etc/passwd", u"\\Windows/..",
           u"C:\\Windows", u"\\\\?\\C:\\x", u"\\Windows\\a|b", u"\\Windows\\a<b", u"\\Windows\\\"q\"",
           u"\\Windows\\tab\there", u"\\Windows\0\\..\\.."sv, u"\\Windows\\Pelora*.cab", u"\\Windows\\Pelora?.cab"}) {
    EXPECT_EQ(ErrorOf(device, path), ERROR_INVALID_NAME) << kernel::WideToUtf8(path);
  }
  // "..." and names with dots are plain names on the device.
  EXPECT_EQ(ErrorOf(device, u"\\Windows\\..."), 0u);
  EXPECT_EQ(ErrorOf(device, u"\\Windows\\..name"), 0u);
  // Wildcards only when allowed, and only in the last component.
  EXPECT_EQ(ErrorOf(device, u"\\Windows\\Pelora*.cab", true), 0u);
  EXPECT_EQ(ErrorOf(device, u"\\Win*\\Pelora*.cab", true), ERROR_INVALID_NAME);
}

TEST(DeviceRootTest, LinksAreFollowedOnlyWhileTheyStayInsideTheRoot) {
  TestDevice device;
  fs::create_directories(device.Host("My Flash Disk"));
  std::ofstream(device.Host("My Flash Disk/Setting.dat")) << "inside";

  // Inside the root: followed, as a folder on the way and as the last component, dangling or not.
  fs::create_directory_symlink(device.Host("My Flash Disk"), device.Host("Flash"));
  fs::create_symlink("My Flash Disk/Setting.dat", device.Host("settings-link"));
  fs::create_symlink("My Flash Disk/later.txt", device.Host("later"));
  EXPECT_TRUE(fs::equivalent(HostOf(device, u"\\flash\\setting.dat"), device.Host("My Flash Disk/Setting.dat")));
  EXPECT_EQ(ErrorOf(device, u"\\Settings-Link"), 0u);
  EXPECT_EQ(ErrorOf(device, u"\\later"), 0u);

  // Out of the root: refused, whether absolute, relative, chained, as a folder on the way, or
  // dangling (opening it for creation would make the file out there); loops resolve nowhere.
  fs::create_directory_symlink("/etc", device.Host("out"));
  fs::create_symlink("/etc/hostname", device.Host("My Flash Disk/secret"));
  fs::create_symlink("../../../../../../../../etc/hostname", device.Host("My Flash Disk/relative-out"));
  fs::create_symlink("out", device.Host("chain"));
  fs::create_symlink("..", device.Host("parent"));
  fs::create_symlink(device.Root().string() + "-planted-by-a-link.txt", device.Host("My Flash Disk/dangling"));
  fs::create_symlink("My Flash Disk/dangling", device.Host("hop"));
  fs::create_symlink("loop-b", device.Host("loop-a"));
  fs::create_symlink("loop-a", device.Host("loop-b"));
  for (std::u16string_view path :
       {u"\\out", u"\\OUT\\hostname", u"\\out\\new.txt", u"\\My Flash Disk\\secret", u"\\My Flash Disk\\relative-out",
        u"\\chain\\hostname", u"\\parent", u"\\parent\\etc", u"\\My Flash Disk\\dangling", u"\\hop", u"\\loop-a"}) {
    EXPECT_EQ(ErrorOf(device, path), ERROR_INVALID_NAME) << kernel::WideToUtf8(path);
  }
}

TEST(DeviceRootTest, DevicePathOfMapsHostPathsBack) {
  TestDevice device;
  EXPECT_EQ(kernel::DevicePathOf(device.Device(), device.Root()), u"\\");
  EXPECT_EQ(kernel::DevicePathOf(device.Device(), device.Host("My Flash Disk/Setting.dat")),
            u"\\My Flash Disk\\Setting.dat");
  EXPECT_FALSE(kernel::DevicePathOf(device.Device(), "/etc/hostname"));
  EXPECT_FALSE(kernel::DevicePathOf(device.Device(), device.Root() / ".." / "x"));
}

}  // namespace
