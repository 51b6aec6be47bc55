#include "platform/kernel/device_root.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/kernel/wide_string.h"
#include "tests/support/test_device.h"

namespace {

namespace fs = std::filesystem;
using testing_support::TestDevice;

// A folder outside the device root that hostile links point at; removed with the test.
class OutsideFolder {
 public:
  OutsideFolder() {
    char pattern[] = "/tmp/quorvane-outside-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
    std::ofstream(m_path / "secret.txt") << "outside";
  }
  ~OutsideFolder() {
    std::error_code ec;
    fs::remove_all(m_path, ec);
  }
  const fs::path& Path() const { return m_path; }

 private:
  fs::path m_path;
};

DWORD ErrorOf(kernel::Device& device, std::u16string_view path, bool wildcards = false) {
  DWORD error = 0;
  auto resolved = kernel::ResolveDevicePath(device, path, &error, wildcards);
  return resolved ? 0 : error;
}

TEST(DeviceRootTest, ComponentsMatchCaseInsensitivelyAndAnExactNameWins) {
  TestDevice device;
  fs::create_directories(device.Host("My Flash Disk"));
  std::ofstream(device.Host("My Flash Disk/Setting.dat")) << "x";
  std::ofstream(device.Host("My Flash Disk/a")) << "lower";
  std::ofstream(device.Host("My Flash Disk/A")) << "upper";

  DWORD error = 0;
  auto resolved = kernel::ResolveDevicePath(device.Device(), u"\\MY FLASH DISK\\setting.DAT", &error);
  ASSERT_TRUE(resolved);
  EXPECT_TRUE(resolved->exists);
  EXPECT_EQ(resolved->host, device.Root() / "My Flash Disk" / "Setting.dat");
  EXPECT_EQ(resolved->leaf, u"Setting.dat");

  EXPECT_EQ(kernel::ResolveDevicePath(device.Device(), u"\\My Flash Disk\\a", &error)->host.filename(), "a");
  EXPECT_EQ(kernel::ResolveDevicePath(device.Device(), u"\\My Flash Disk\\A", &error)->host.filename(), "A");

  // Doubled separators and "." components name the same place; the root is "\".
  auto same = kernel::ResolveDevicePath(device.Device(), u"\\\\my flash disk\\.\\setting.dat", &error);
  ASSERT_TRUE(same);
  EXPECT_EQ(same->host, resolved->host);
  auto root = kernel::ResolveDevicePath(device.Device(), u"\\", &error);
  ASSERT_TRUE(root);
  EXPECT_EQ(root->host, device.Root());
  EXPECT_TRUE(root->leaf.empty());
}

TEST(DeviceRootTest, MissingLeafKeepsItsGivenNameAndMissingFolderFails) {
  TestDevice device;
  fs::create_directories(device.Host("Windows"));
  std::ofstream(device.Host("Windows/Utility.exe")) << "x";

  DWORD error = 0;
  auto leaf = kernel::ResolveDevicePath(device.Device(), u"\\windows\\New File.TXT", &error);
  ASSERT_TRUE(leaf);
  EXPECT_FALSE(leaf->exists);
  EXPECT_EQ(leaf->host, device.Root() / "Windows" / "New File.TXT");
  EXPECT_EQ(leaf->leaf, u"New File.TXT");

  EXPECT_EQ(ErrorOf(device.Device(), u"\\Nowhere\\file.txt"), ERROR_PATH_NOT_FOUND);
  // A file cannot stand for a folder on the way.
  EXPECT_EQ(ErrorOf(device.Device(), u"\\Windows\\Utility.exe\\inner"), ERROR_PATH_NOT_FOUND);
}

TEST(DeviceRootTest, NamesThatCouldLeaveTheRootAreRefused) {
  TestDevice device;
  fs::create_directories(device.Host("Windows"));
  for (std::u16string_view path :
       {u"\\..", u"..\\etc\\passwd", u"\\Windows\\..\\..\\etc", u"\\Windows\\..", u"/etc/passwd", u"\\Windows/..",
        u"C:\\Windows", u"\\\\?\\C:\\x", u"\\Windows\\a|b", u"\\Windows\\a<b", u"\\Windows\\\"q\""}) {
    EXPECT_EQ(ErrorOf(device.Device(), path), ERROR_INVALID_NAME) << kernel::WideToUtf8(path);
  }
  std::u16string withNul = u"\\Windows";
  withNul += u'\0';
  withNul += u"\\..\\..";
  EXPECT_EQ(ErrorOf(device.Device(), withNul), ERROR_INVALID_NAME);
  EXPECT_EQ(ErrorOf(device.Device(), u"\\Windows\\tab\there"), ERROR_INVALID_NAME);
  // "..." and names with dots are plain names on the device.
  EXPECT_EQ(ErrorOf(device.Device(), u"\\Windows\\..."), 0u);
  EXPECT_EQ(ErrorOf(device.Device(), u"\\Windows\\..name"), 0u);
}

TEST(DeviceRootTest, WildcardsOnlyWhenAllowedAndOnlyInTheLastComponent) {
  TestDevice device;
  fs::create_directories(device.Host("My Flash Disk"));
  EXPECT_EQ(ErrorOf(device.Device(), u"\\My Flash Disk\\Pelora*.cab"), ERROR_INVALID_NAME);
  EXPECT_EQ(ErrorOf(device.Device(), u"\\My Flash Disk\\Pelora?.cab"), ERROR_INVALID_NAME);
  EXPECT_EQ(ErrorOf(device.Device(), u"\\My Flash Disk\\Pelora*.cab", true), 0u);
  EXPECT_EQ(ErrorOf(device.Device(), u"\\My*\\Pelora*.cab", true), ERROR_INVALID_NAME);
}

TEST(DeviceRootTest, LinksAreFollowedOnlyWhileTheyStayInsideTheRoot) {
  TestDevice device;
  OutsideFolder outside;
  fs::create_directories(device.Host("My Flash Disk"));
  std::ofstream(device.Host("My Flash Disk/Setting.dat")) << "inside";

  // Inside the root: followed, as a folder on the way and as the last component.
  fs::create_directory_symlink(device.Root() / "My Flash Disk", device.Host("Flash"));
  fs::create_symlink("My Flash Disk/Setting.dat", device.Host("settings-link"));
  DWORD error = 0;
  auto viaFolder = kernel::ResolveDevicePath(device.Device(), u"\\flash\\setting.dat", &error);
  ASSERT_TRUE(viaFolder);
  EXPECT_TRUE(viaFolder->exists);
  EXPECT_TRUE(fs::equivalent(viaFolder->host, device.Host("My Flash Disk/Setting.dat")));
  EXPECT_TRUE(kernel::ResolveDevicePath(device.Device(), u"\\Settings-Link", &error));

  // Out of the root: refused, whether absolute, relative, chained or as a folder on the way.
  fs::create_directory_symlink(outside.Path(), device.Host("out"));
  fs::create_symlink(outside.Path() / "secret.txt", device.Host("My Flash Disk/secret"));
  fs::create_symlink("../../../../../../../../" + outside.Path().relative_path().string(),
                     device.Host("My Flash Disk/relative-out"));
  fs::create_symlink("out", device.Host("chain"));
  fs::create_symlink("..", device.Host("parent"));
  for (std::u16string_view path :
       {u"\\out", u"\\OUT\\secret.txt", u"\\out\\new.txt", u"\\My Flash Disk\\secret", u"\\My Flash Disk\\relative-out",
        u"\\chain\\secret.txt", u"\\parent", u"\\parent\\etc"}) {
    EXPECT_EQ(ErrorOf(device.Device(), path), ERROR_INVALID_NAME) << kernel::WideToUtf8(path);
  }
}

TEST(DeviceRootTest, DanglingAndLoopingLinksCannotLeadOut) {
  TestDevice device;
  OutsideFolder outside;
  fs::create_directories(device.Host("My Flash Disk"));

  // A link to a file that does not exist yet outside the root: opening it for creation would make
  // the file out there, so the link is refused like any other escape.
  fs::create_symlink(outside.Path() / "planted.txt", device.Host("My Flash Disk/dangling"));
  EXPECT_EQ(ErrorOf(device.Device(), u"\\My Flash Disk\\dangling"), ERROR_INVALID_NAME);
  // Two hops, the second one dangling out of the root.
  fs::create_symlink(outside.Path() / "other.txt", device.Host("hop2"));
  fs::create_symlink("hop2", device.Host("hop1"));
  EXPECT_EQ(ErrorOf(device.Device(), u"\\hop1"), ERROR_INVALID_NAME);

  // A dangling link that stays inside the root is followed.
  fs::create_symlink("My Flash Disk/later.txt", device.Host("later"));
  EXPECT_EQ(ErrorOf(device.Device(), u"\\later"), 0u);

  // Loops resolve nowhere.
  fs::create_symlink("loop-b", device.Host("loop-a"));
  fs::create_symlink("loop-a", device.Host("loop-b"));
  EXPECT_EQ(ErrorOf(device.Device(), u"\\loop-a"), ERROR_INVALID_NAME);
}

TEST(DeviceRootTest, DevicePathOfMapsHostPathsBack) {
  TestDevice device;
  OutsideFolder outside;
  fs::create_directories(device.Host("My Flash Disk"));
  EXPECT_EQ(kernel::DevicePathOf(device.Device(), device.Root()), u"\\");
  EXPECT_EQ(kernel::DevicePathOf(device.Device(), device.Host("My Flash Disk/Setting.dat")),
            u"\\My Flash Disk\\Setting.dat");
  EXPECT_FALSE(kernel::DevicePathOf(device.Device(), outside.Path() / "secret.txt"));
  EXPECT_FALSE(kernel::DevicePathOf(device.Device(), device.Root() / ".." / "x"));
}

}  // namespace
