#include "platform/kernel/files.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "platform/kernel/handle_table.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/wide_string.h"
#include "tests/support/child_process.h"
#include "tests/support/test_device.h"

namespace {

namespace fs = std::filesystem;
using testing_support::ChildProcess;
using testing_support::TestDevice;

void WriteHost(const fs::path& file, const std::string& text) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << text;
}

std::string ReadHost(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

HANDLE Open(LPCWSTR path, DWORD access, DWORD creation) {
  return CreateFileW(path, access, 0, nullptr, creation, 0, nullptr);
}

// The last error an open leaves, closing what it opened: 0 or ERROR_ALREADY_EXISTS on success.
DWORD OpenError(LPCWSTR path, DWORD access, DWORD creation) {
  HANDLE h = Open(path, access, creation);
  DWORD error = GetLastError();
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  return error;
}

// 0 for success, else the last error.
DWORD ErrorOf(BOOL ok) { return ok ? 0 : GetLastError(); }

// How many entries the folder holds, to prove a failed operation left no temporary file behind.
long EntryCount(const fs::path& folder) { return std::distance(fs::directory_iterator(folder), {}); }

// Every name a search for pattern finds, in order, with their attributes and sizes; the last error
// after the search ends.
std::vector<std::string> Find(LPCWSTR pattern, DWORD* error, std::vector<std::pair<DWORD, DWORD>>* details = nullptr) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileW(pattern, &data);
  for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &data)) {
    names.push_back(kernel::WideToUtf8(data.cFileName));
    if (details) details->emplace_back(data.dwFileAttributes, data.nFileSizeLow);
  }
  *error = GetLastError();
  if (search != INVALID_HANDLE_VALUE) {
    EXPECT_TRUE(FindClose(search) && !FindNextFileW(search, &data));
  }
  return names;
}

constexpr LPCWSTR kSetting = u"\\My Flash Disk\\Setting.dat";

class FilesTest : public ::testing::Test {
 protected:
  fs::path Host(const std::string& relative) const { return m_device.Host(relative); }
  TestDevice m_device;
};

// Every way of changing or replacing Setting.dat fails with error and leaves its contents.
void ExpectChangesRefused(const fs::path& setting, DWORD error) {
  for (DWORD creation : {OPEN_EXISTING, OPEN_ALWAYS, TRUNCATE_EXISTING}) {
    EXPECT_EQ(OpenError(u"\\MY FLASH DISK\\setting.dat", GENERIC_WRITE, creation), error);
  }
  EXPECT_EQ(OpenError(kSetting, GENERIC_READ, CREATE_ALWAYS), error);
  EXPECT_EQ(ErrorOf(CopyFileW(u"\\My Flash Disk\\other.dat", kSetting, FALSE)), error);
  EXPECT_EQ(ErrorOf(DeleteFileW(kSetting)), error);
  EXPECT_EQ(ReadHost(setting), "keep");
}

// The tests run as root, whom the host would let write anything: the device's rules must hold anyway.
TEST_F(FilesTest, ReadOnlyOrOpenFilesRefuseChangesUntilMadeNormalOrClosed) {
  WriteHost(Host("My Flash Disk/Setting.dat"), "keep");
  WriteHost(Host("My Flash Disk/other.dat"), "other");
  ASSERT_TRUE(SetFileAttributesW(u"\\my flash disk\\SETTING.DAT", FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(GetFileAttributesW(kSetting), FILE_ATTRIBUTE_READONLY);
  ExpectChangesRefused(Host("My Flash Disk/Setting.dat"), ERROR_ACCESS_DENIED);

  HANDLE held = Open(kSetting, GENERIC_READ, OPEN_EXISTING);
  ASSERT_NE(held, INVALID_HANDLE_VALUE) << "a read-only file can be read";
  ASSERT_TRUE(SetFileAttributesW(kSetting, FILE_ATTRIBUTE_NORMAL));
  ExpectChangesRefused(Host("My Flash Disk/Setting.dat"), ERROR_SHARING_VIOLATION);
  EXPECT_EQ(ErrorOf(CopyFileW(kSetting, u"\\My Flash Disk\\copy.dat", FALSE)), ERROR_SHARING_VIOLATION);

  CloseHandle(held);
  EXPECT_EQ(ErrorOf(CopyFileW(kSetting, kSetting, FALSE)), ERROR_SHARING_VIOLATION);  // its own source is open
  EXPECT_TRUE(CopyFileW(u"\\My Flash Disk\\other.dat", kSetting, FALSE));
  EXPECT_TRUE(DeleteFileW(kSetting));
  EXPECT_EQ(EntryCount(Host("My Flash Disk")), 1);
}

TEST_F(FilesTest, CreationDispositionsAndTheirLastErrors) {
  fs::create_directories(Host("My Flash Disk"));
  auto host = Host("My Flash Disk/Setting.dat");
  EXPECT_EQ(OpenError(kSetting, GENERIC_WRITE, CREATE_NEW), 0u);
  EXPECT_EQ(OpenError(kSetting, GENERIC_WRITE, CREATE_NEW), ERROR_FILE_EXISTS);
  WriteHost(host, "old contents");
  EXPECT_EQ(OpenError(kSetting, GENERIC_READ, OPEN_ALWAYS), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(ReadHost(host), "old contents");
  EXPECT_EQ(OpenError(kSetting, GENERIC_READ, CREATE_ALWAYS), ERROR_ALREADY_EXISTS);  // cuts even for reading
  EXPECT_EQ(ReadHost(host), "");
  WriteHost(host, "again");
  EXPECT_EQ(OpenError(kSetting, GENERIC_WRITE, TRUNCATE_EXISTING), 0u);
  EXPECT_EQ(ReadHost(host), "");
  EXPECT_EQ(OpenError(kSetting, GENERIC_READ, TRUNCATE_EXISTING), ERROR_INVALID_PARAMETER);

  // A path through a missing folder fails alike for every call; a missing file is each call's own check.
  constexpr LPCWSTR kMissing = u"\\My Flash Disk\\missing.dat";
  EXPECT_EQ(OpenError(u"\\No Disk\\x", GENERIC_WRITE, CREATE_ALWAYS), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(GetFileAttributesW(kMissing), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ((std::vector{GetLastError(), OpenError(kMissing, GENERIC_WRITE, OPEN_EXISTING),
                         ErrorOf(SetFileAttributesW(kMissing, FILE_ATTRIBUTE_NORMAL)), ErrorOf(DeleteFileW(kMissing)),
                         ErrorOf(CopyFileW(kMissing, u"\\My Flash Disk\\x.dat", FALSE))}),
            std::vector<DWORD>(5, ERROR_FILE_NOT_FOUND));

  // A folder is no file.
  EXPECT_EQ(GetFileAttributesW(u"\\My Flash Disk"), FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(OpenError(u"\\My Flash Disk", GENERIC_READ, OPEN_EXISTING), ERROR_ACCESS_DENIED);
  EXPECT_EQ(ErrorOf(DeleteFileW(u"\\My Flash Disk")), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(CreateDirectoryW(u"\\My Flash Disk\\Sub", nullptr));
  EXPECT_EQ(ErrorOf(CreateDirectoryW(u"\\my flash disk\\SUB", nullptr)), ERROR_ALREADY_EXISTS);
}

TEST_F(FilesTest, ReadWriteSeekSizeAndAccessChecks) {
  fs::create_directories(Host("My Flash Disk"));
  HANDLE h = Open(kSetting, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
  DWORD done = 0, high = 7;
  ASSERT_TRUE(WriteFile(h, "0123456789", 10, &done, nullptr));
  EXPECT_EQ(GetFileSize(h, &high), 10u);
  EXPECT_EQ(high, 0u);
  EXPECT_EQ(SetFilePointer(h, -4, nullptr, FILE_END), 6u);
  char buffer[16] = {};
  ASSERT_TRUE(ReadFile(h, buffer, sizeof buffer, &done, nullptr));
  EXPECT_EQ(std::string(buffer, done), "6789");
  ASSERT_TRUE(ReadFile(h, buffer, sizeof buffer, &done, nullptr));  // at the end: success, nothing read
  EXPECT_EQ(done, 0u);
  EXPECT_EQ(SetFilePointer(h, -20, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(SetFilePointer(h, -2, nullptr, FILE_CURRENT), 8u);  // the failed move left it alone
  CloseHandle(h);

  HANDLE reader = Open(kSetting, GENERIC_READ, OPEN_EXISTING);
  EXPECT_EQ(ErrorOf(WriteFile(reader, "x", 1, &done, nullptr)), ERROR_ACCESS_DENIED);
  CloseHandle(reader);
  HANDLE writer = Open(kSetting, GENERIC_WRITE, OPEN_EXISTING);
  EXPECT_EQ(ErrorOf(ReadFile(writer, buffer, 1, &done, nullptr)), ERROR_ACCESS_DENIED);
  CloseHandle(writer);
}

TEST_F(FilesTest, SharingHoldsAcrossProcesses) {
  WriteHost(Host("My Flash Disk/Setting.dat"), "x");
  // The child is forked before anything is opened, so it shares no open file with the parent.
  ChildProcess child(m_device.Root(), [](ChildProcess& parent) {
    parent.Await();
    CHILD_CHECK(Open(kSetting, GENERIC_READ, OPEN_EXISTING) == INVALID_HANDLE_VALUE);
    CHILD_CHECK(GetLastError() == ERROR_SHARING_VIOLATION && !DeleteFileW(kSetting));
    parent.Signal();
    parent.Await();
    CHILD_CHECK(Open(kSetting, GENERIC_READ, OPEN_EXISTING) != INVALID_HANDLE_VALUE);
    parent.Signal();
    parent.Await();
    return 0;  // the file closes with the process
  });
  HANDLE held = Open(kSetting, GENERIC_READ, OPEN_EXISTING);
  child.Signal();  // the child tries while the parent holds the file
  child.Await();
  CloseHandle(held);
  child.Signal();  // the child opens it now
  child.Await();
  EXPECT_EQ(OpenError(kSetting, GENERIC_READ, OPEN_EXISTING), ERROR_SHARING_VIOLATION);
  child.Signal();
  EXPECT_EQ(child.Join(), 0);
  EXPECT_EQ(OpenError(kSetting, GENERIC_READ, OPEN_EXISTING), 0u);
}

TEST_F(FilesTest, CopyReplacesKeepsTheSourceModesAndNeverLeavesAHalfCopy) {
  WriteHost(Host("Storage Card/autorunce.exe"), "#!/bin/sh\n");
  fs::permissions(Host("Storage Card/autorunce.exe"), fs::perms::owner_exec, fs::perm_options::add);
  ASSERT_TRUE(SetFileAttributesW(u"\\Storage Card\\autorunce.exe", FILE_ATTRIBUTE_READONLY));
  WriteHost(Host("My Flash Disk/autorunce.exe"), "an older, longer program");
  EXPECT_EQ(ErrorOf(CopyFileW(u"\\Storage Card\\autorunce.exe", u"\\My Flash Disk\\autorunce.exe", TRUE)),
            ERROR_FILE_EXISTS);
  ASSERT_TRUE(CopyFileW(u"\\storage card\\AUTORUNCE.EXE", u"\\My Flash Disk\\autorunce.exe", FALSE));
  EXPECT_EQ(ReadHost(Host("My Flash Disk/autorunce.exe")), "#!/bin/sh\n");
  EXPECT_EQ(GetFileAttributesW(u"\\My Flash Disk\\autorunce.exe"), FILE_ATTRIBUTE_READONLY);
  EXPECT_NE(fs::status(Host("My Flash Disk/autorunce.exe")).permissions() & fs::perms::owner_exec, fs::perms::none);

  // The child may write no file larger than 64 KiB, so the copy fails in the middle of its data.
  WriteHost(Host("Storage Card/big.cab"), std::string(256 * 1024, 'n'));
  WriteHost(Host("My Flash Disk/big.cab"), "old");
  ChildProcess child(m_device.Root(), [](ChildProcess&) {
    ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = {64 * 1024, 64 * 1024};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    CHILD_CHECK(!CopyFileW(u"\\Storage Card\\big.cab", u"\\My Flash Disk\\big.cab", FALSE));
    CHILD_CHECK(GetLastError() == ERROR_WRITE_FAULT);
    return 0;
  });
  EXPECT_EQ(child.Join(), 0);
  EXPECT_EQ(ReadHost(Host("My Flash Disk/big.cab")), "old");
  EXPECT_EQ(EntryCount(Host("My Flash Disk")), 2);
}

TEST_F(FilesTest, WildcardRule) {  // "*": any run, even empty; "?": exactly one character
  const std::tuple<LPCWSTR, LPCWSTR, bool> kRows[] = {
      {u"Pelora_english*.cab", u"pelora_english.cab", true}, {u"Pelora*.cab", u"Pelora.cab.bak", false},
      {u"a?c", u"abc", true}, {u"a?c", u"ac", false}, {u"a?c", u"abbc", false}, {u"*a*b*", u"xxaxxbxx", true},
      {u"\u00c9t\u00e9*", u"\u00e9T\u00c9.txt", true}};
  for (auto [pattern, name, matches] : kRows) {
    EXPECT_EQ(kernel::MatchesWildcard(pattern, name), matches) << kernel::WideToUtf8(pattern);
  }
  // Many stars against a long non-matching name finish quickly.
  EXPECT_FALSE(kernel::MatchesWildcard(u"*a*a*a*a*a*a*a*a*b", std::u16string(4000, u'a')));
}

TEST_F(FilesTest, FindListsMatchesInNameOrderWithTheirStoredNames) {
  WriteHost(Host("My Flash Disk/pelora_german.cab"), "12345");
  WriteHost(Host("My Flash Disk/PELORA_English.CAB"), "1");
  WriteHost(Host("My Flash Disk/Pelora_dutch.cab"), "12");
  WriteHost(Host("My Flash Disk/autorunce.exe"), "");
  WriteHost(Host("My Flash Disk/About"), "");
  fs::create_directories(Host("My Flash Disk/Pelora_dir.cab"));
  fs::permissions(Host("My Flash Disk/pelora_german.cab"), fs::perms::owner_write, fs::perm_options::remove);

  DWORD error = 0;
  std::vector<std::pair<DWORD, DWORD>> details;
  EXPECT_EQ(Find(u"\\MY Flash Disk\\Pelora*.cab", &error, &details),
            (std::vector<std::string>{"Pelora_dir.cab", "Pelora_dutch.cab", "PELORA_English.CAB",
                                      "pelora_german.cab"}));
  EXPECT_EQ(error, ERROR_NO_MORE_FILES);
  EXPECT_EQ(details, (std::vector<std::pair<DWORD, DWORD>>{{FILE_ATTRIBUTE_DIRECTORY, 0}, {FILE_ATTRIBUTE_NORMAL, 2},
                                                           {FILE_ATTRIBUTE_NORMAL, 1}, {FILE_ATTRIBUTE_READONLY, 5}}));
  EXPECT_EQ(Find(u"\\my flash disk\\*.*", &error).at(0), "About");  // "*.*" also names files without a dot
}

TEST_F(FilesTest, FindFailuresAndHiddenEscapes) {
  WriteHost(Host("My Flash Disk/Setting.dat"), "x");
  fs::create_symlink("/etc/hostname", Host("My Flash Disk/Pelora_out.cab"));
  for (auto [pattern, expected] : std::initializer_list<std::pair<LPCWSTR, DWORD>>{
           {u"\\My Flash Disk\\Pelora*.cab", ERROR_FILE_NOT_FOUND},  // the link out is not listed
           {u"\\Storage Card\\Pelora*.cab", ERROR_PATH_NOT_FOUND}, {u"\\My Flash Disk\\Setting.dat\\*", ERROR_PATH_NOT_FOUND},
           {u"\\My Flash Disk\\..", ERROR_INVALID_NAME}, {u"\\My Flash Disk\\a:b*", ERROR_INVALID_NAME}}) {
    DWORD error = 0;
    EXPECT_TRUE(Find(pattern, &error).empty());
    EXPECT_EQ(error, expected) << kernel::WideToUtf8(pattern);
  }
}

TEST_F(FilesTest, TheDeviceStoreIsNeitherListedNorReachable) {
  WriteHost(Host("Registry.db.txt"), "a file of the device's own");
  DWORD error = 0;
  EXPECT_EQ(Find(u"\\*", &error), std::vector<std::string>{"Registry.db.txt"});
  for (LPCWSTR path : {u"\\registry.db", u"\\REGISTRY.DB-wal", u"\\Registry.db-shm"}) {
    EXPECT_EQ(GetFileAttributesW(path), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(DeleteFileW(path));
  }
  EXPECT_TRUE(fs::exists(m_device.Root() / "registry.db"));
}

}  // namespace
