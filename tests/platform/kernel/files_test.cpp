#include "platform/kernel/files.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/kernel/handle_table.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/wide_string.h"
#include "tests/support/test_device.h"

namespace {

namespace fs = std::filesystem;
using testing_support::TestDevice;

void WriteHost(const fs::path& file, const std::string& text) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << text;
}

std::string ReadHost(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
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

// Names of the folder's entries, to prove a failed copy left nothing behind.
std::vector<std::string> Listing(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

constexpr LPCWSTR kSetting = u"\\My Flash Disk\\Setting.dat";

TEST(FilesTest, AttributesReportReadOnlyFoldersAndMissingFiles) {
  TestDevice device;
  WriteHost(device.Host("My Flash Disk/Setting.dat"), "x");
  EXPECT_EQ(GetFileAttributesW(u"\\my flash disk\\SETTING.DAT"), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(GetFileAttributesW(u"\\My Flash Disk"), FILE_ATTRIBUTE_DIRECTORY);

  ASSERT_TRUE(SetFileAttributesW(kSetting, FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(GetFileAttributesW(kSetting), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(fs::status(device.Host("My Flash Disk/Setting.dat")).permissions() & fs::perms::owner_write,
            fs::perms::none);
  ASSERT_TRUE(SetFileAttributesW(kSetting, FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(GetFileAttributesW(kSetting), FILE_ATTRIBUTE_NORMAL);

  EXPECT_EQ(GetFileAttributesW(u"\\My Flash Disk\\missing.dat"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(GetFileAttributesW(u"\\No Disk\\Setting.dat"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(ErrorOf(SetFileAttributesW(u"\\My Flash Disk\\missing.dat", FILE_ATTRIBUTE_NORMAL)), ERROR_FILE_NOT_FOUND);
}

// The tests run as root, whom the host would let write anything: the device's rule must hold anyway.
TEST(FilesTest, ReadOnlyFilesRefuseWritingReplacingAndDeletingUntilMadeNormal) {
  TestDevice device;
  WriteHost(device.Host("My Flash Disk/Setting.dat"), "keep");
  WriteHost(device.Host("My Flash Disk/new.dat"), "new");
  ASSERT_TRUE(SetFileAttributesW(kSetting, FILE_ATTRIBUTE_READONLY));

  EXPECT_EQ(OpenError(kSetting, GENERIC_WRITE, OPEN_EXISTING), ERROR_ACCESS_DENIED);
  EXPECT_EQ(OpenError(kSetting, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS), ERROR_ACCESS_DENIED);
  EXPECT_EQ(OpenError(kSetting, GENERIC_READ, CREATE_ALWAYS), ERROR_ACCESS_DENIED);
  EXPECT_EQ(OpenError(kSetting, GENERIC_WRITE, TRUNCATE_EXISTING), ERROR_ACCESS_DENIED);
  EXPECT_EQ(ErrorOf(CopyFileW(u"\\My Flash Disk\\new.dat", kSetting, FALSE)), ERROR_ACCESS_DENIED);
  EXPECT_EQ(ErrorOf(DeleteFileW(kSetting)), ERROR_ACCESS_DENIED);
  EXPECT_EQ(ReadHost(device.Host("My Flash Disk/Setting.dat")), "keep");
  EXPECT_EQ(OpenError(kSetting, GENERIC_READ, OPEN_EXISTING), 0u);

  ASSERT_TRUE(SetFileAttributesW(kSetting, FILE_ATTRIBUTE_NORMAL));
  EXPECT_TRUE(DeleteFileW(kSetting));
  EXPECT_FALSE(fs::exists(device.Host("My Flash Disk/Setting.dat")));
}

TEST(FilesTest, CreationDispositionsAndTheirLastErrors) {
  TestDevice device;
  fs::create_directories(device.Host("My Flash Disk"));
  auto host = device.Host("My Flash Disk/Setting.dat");

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

  EXPECT_EQ(OpenError(u"\\My Flash Disk\\missing", GENERIC_WRITE, OPEN_EXISTING), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(OpenError(u"\\My Flash Disk\\missing", GENERIC_WRITE, TRUNCATE_EXISTING), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(OpenError(u"\\No Disk\\x", GENERIC_WRITE, CREATE_ALWAYS), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(OpenError(u"\\My Flash Disk", GENERIC_READ, OPEN_EXISTING), ERROR_ACCESS_DENIED);
  EXPECT_EQ(OpenError(u"\\My Flash Disk\\fresh", GENERIC_WRITE, CREATE_ALWAYS), 0u);
}

TEST(FilesTest, ReadWriteSeekSizeAndAccessChecks) {
  TestDevice device;
  fs::create_directories(device.Host("My Flash Disk"));
  std::size_t handlesBefore = kernel::OpenHandleCount();
  HANDLE h = Open(kSetting, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD done = 0;
  ASSERT_TRUE(WriteFile(h, "0123456789", 10, &done, nullptr));
  EXPECT_EQ(done, 10u);
  EXPECT_TRUE(FlushFileBuffers(h));
  DWORD high = 7;
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
  LONG distanceHigh = 0;
  EXPECT_EQ(SetFilePointer(h, 3, &distanceHigh, FILE_BEGIN), 3u);
  ASSERT_TRUE(ReadFile(h, buffer, 2, &done, nullptr));
  EXPECT_EQ(std::string(buffer, done), "34");
  CloseHandle(h);

  HANDLE reader = Open(kSetting, GENERIC_READ, OPEN_EXISTING);
  EXPECT_EQ(ErrorOf(WriteFile(reader, "x", 1, &done, nullptr)), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(FlushFileBuffers(reader));
  CloseHandle(reader);
  HANDLE writer = Open(kSetting, GENERIC_WRITE, OPEN_EXISTING);
  EXPECT_EQ(ErrorOf(ReadFile(writer, buffer, 1, &done, nullptr)), ERROR_ACCESS_DENIED);
  CloseHandle(writer);

  EXPECT_EQ(ErrorOf(ReadFile(writer, buffer, 1, &done, nullptr)), ERROR_INVALID_HANDLE);
  EXPECT_EQ(kernel::OpenHandleCount(), handlesBefore);
}

TEST(FilesTest, AnOpenFileRefusesEveryOtherUseUntilClosed) {
  TestDevice device;
  WriteHost(device.Host("My Flash Disk/Setting.dat"), "held");
  WriteHost(device.Host("My Flash Disk/other.dat"), "other");
  HANDLE held = Open(kSetting, GENERIC_READ, OPEN_EXISTING);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);

  for (DWORD creation : {OPEN_EXISTING, CREATE_ALWAYS, TRUNCATE_EXISTING}) {
    EXPECT_EQ(OpenError(u"\\MY FLASH DISK\\setting.dat", GENERIC_WRITE, creation), ERROR_SHARING_VIOLATION);
  }
  // A refused CREATE_ALWAYS or TRUNCATE_EXISTING must not have cut the file.
  EXPECT_EQ(ReadHost(device.Host("My Flash Disk/Setting.dat")), "held");
  EXPECT_EQ(ErrorOf(DeleteFileW(kSetting)), ERROR_SHARING_VIOLATION);
  EXPECT_EQ(ErrorOf(CopyFileW(kSetting, u"\\My Flash Disk\\copy.dat", FALSE)), ERROR_SHARING_VIOLATION);
  EXPECT_EQ(ErrorOf(CopyFileW(u"\\My Flash Disk\\other.dat", kSetting, FALSE)), ERROR_SHARING_VIOLATION);
  EXPECT_EQ(ReadHost(device.Host("My Flash Disk/Setting.dat")), "held");

  CloseHandle(held);
  EXPECT_EQ(ErrorOf(CopyFileW(kSetting, kSetting, FALSE)),
            ERROR_SHARING_VIOLATION);  // onto itself: its own source is open
  EXPECT_TRUE(CopyFileW(u"\\My Flash Disk\\other.dat", kSetting, FALSE));
  EXPECT_TRUE(DeleteFileW(kSetting));
  EXPECT_EQ(Listing(device.Host("My Flash Disk")), (std::vector<std::string>{"other.dat"}));
}

// One step of the cross-process exchange: wait for the other side's byte, then act.
void Await(int fd) {
  char byte = 0;
  while (::read(fd, &byte, 1) < 0 && errno == EINTR) {
  }
}
void Signal(int fd) { (void)!::write(fd, "s", 1); }

TEST(FilesTest, SharingHoldsAcrossProcesses) {
  TestDevice device;
  WriteHost(device.Host("My Flash Disk/Setting.dat"), "x");
  ::signal(SIGPIPE, SIG_IGN);  // a child that failed early must not take the test program down
  int toChild[2], toParent[2];
  ASSERT_EQ(::pipe(toChild), 0);
  ASSERT_EQ(::pipe(toParent), 0);
  // The child is forked before anything is opened, so it shares no open file with the parent.
  pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    ::close(toChild[1]);
    ::close(toParent[0]);
    kernel::SetCurrentDevice(std::make_shared<kernel::Device>(device.Root()));
    Await(toChild[0]);
    if (Open(kSetting, GENERIC_READ, OPEN_EXISTING) != INVALID_HANDLE_VALUE) ::_exit(1);
    if (GetLastError() != ERROR_SHARING_VIOLATION || DeleteFileW(kSetting)) ::_exit(2);
    Signal(toParent[1]);
    Await(toChild[0]);
    HANDLE mine = Open(kSetting, GENERIC_READ, OPEN_EXISTING);
    if (mine == INVALID_HANDLE_VALUE) ::_exit(3);
    Signal(toParent[1]);
    Await(toChild[0]);
    CloseHandle(mine);
    ::_exit(0);
  }
  // Only the child writes to toParent: its exit ends any wait here, so a failing child never hangs.
  ::close(toChild[0]);
  ::close(toParent[1]);
  HANDLE held = Open(kSetting, GENERIC_READ, OPEN_EXISTING);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  Signal(toChild[1]);  // the child tries while the parent holds the file
  Await(toParent[0]);
  CloseHandle(held);
  Signal(toChild[1]);  // the child opens it now
  Await(toParent[0]);
  EXPECT_EQ(OpenError(kSetting, GENERIC_READ, OPEN_EXISTING), ERROR_SHARING_VIOLATION);
  Signal(toChild[1]);
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(OpenError(kSetting, GENERIC_READ, OPEN_EXISTING), 0u);
  ::close(toChild[1]);
  ::close(toParent[0]);
}

TEST(FilesTest, CopyReplacesAndKeepsTheSourceModes) {
  TestDevice device;
  WriteHost(device.Host("Storage Card/Installation/Pelora_english.cab"), "package");
  WriteHost(device.Host("Storage Card/Installation/autorunce.exe"), "#!/bin/sh\n");
  fs::permissions(device.Host("Storage Card/Installation/autorunce.exe"), fs::perms::owner_exec, fs::perm_options::add);
  WriteHost(device.Host("My Flash Disk/Pelora_english.cab"), "an older, longer package");

  ASSERT_TRUE(
      CopyFileW(u"\\storage card\\installation\\PELORA_ENGLISH.CAB", u"\\My Flash Disk\\Pelora_english.cab", FALSE));
  EXPECT_EQ(ReadHost(device.Host("My Flash Disk/Pelora_english.cab")), "package");
  EXPECT_EQ(ErrorOf(CopyFileW(u"\\Storage Card\\Installation\\Pelora_english.cab",
                              u"\\My Flash Disk\\Pelora_english.cab", TRUE)),
            ERROR_FILE_EXISTS);

  ASSERT_TRUE(CopyFileW(u"\\Storage Card\\Installation\\autorunce.exe", u"\\My Flash Disk\\autorunce.exe", TRUE));
  EXPECT_NE(fs::status(device.Host("My Flash Disk/autorunce.exe")).permissions() & fs::perms::owner_exec,
            fs::perms::none);
  ASSERT_TRUE(SetFileAttributesW(u"\\Storage Card\\Installation\\Pelora_english.cab", FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(CopyFileW(u"\\Storage Card\\Installation\\Pelora_english.cab", u"\\My Flash Disk\\ro.cab", FALSE));
  EXPECT_EQ(GetFileAttributesW(u"\\My Flash Disk\\ro.cab"), FILE_ATTRIBUTE_READONLY);

  EXPECT_EQ(ErrorOf(CopyFileW(u"\\Storage Card\\Installation\\missing.cab", u"\\My Flash Disk\\x.cab", FALSE)),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(ErrorOf(CopyFileW(u"\\Storage Card\\Installation\\autorunce.exe", u"\\No Disk\\x.exe", FALSE)),
            ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(Listing(device.Host("My Flash Disk")),
            (std::vector<std::string>{"Pelora_english.cab", "autorunce.exe", "ro.cab"}));
}

TEST(FilesTest, ACopyThatFailsHalfwayLeavesTheOldDestinationAndNoTemporary) {
  TestDevice device;
  WriteHost(device.Host("Storage Card/big.cab"), std::string(256 * 1024, 'n'));
  WriteHost(device.Host("My Flash Disk/big.cab"), "old");
  // The child may write no file larger than 64 KiB, so the copy fails in the middle of its data.
  pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = {64 * 1024, 64 * 1024};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    BOOL copied = CopyFileW(u"\\Storage Card\\big.cab", u"\\My Flash Disk\\big.cab", FALSE);
    ::_exit(!copied && GetLastError() == ERROR_WRITE_FAULT ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(ReadHost(device.Host("My Flash Disk/big.cab")), "old");
  EXPECT_EQ(Listing(device.Host("My Flash Disk")), (std::vector<std::string>{"big.cab"}));
}

TEST(FilesTest, DeleteAndCreateDirectoryErrors) {
  TestDevice device;
  fs::create_directories(device.Host("My Flash Disk"));
  EXPECT_EQ(ErrorOf(DeleteFileW(u"\\My Flash Disk\\missing.cab")), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(ErrorOf(DeleteFileW(u"\\My Flash Disk")), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(CreateDirectoryW(u"\\My Flash Disk\\Sub", nullptr));
  EXPECT_TRUE(fs::is_directory(device.Host("My Flash Disk/Sub")));
  EXPECT_EQ(ErrorOf(CreateDirectoryW(u"\\my flash disk\\SUB", nullptr)), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(ErrorOf(CreateDirectoryW(u"\\No Disk\\Sub", nullptr)), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(ErrorOf(CreateDirectoryW(u"\\..\\escape", nullptr)), ERROR_INVALID_NAME);
}

TEST(FilesTest, WildcardRule) {
  using kernel::MatchesWildcard;
  EXPECT_TRUE(MatchesWildcard(u"Pelora_english*.cab", u"PELORA_English_v2.CAB"));
  EXPECT_TRUE(MatchesWildcard(u"Pelora_english*.cab", u"pelora_english.cab"));  // "*" matches an empty run
  EXPECT_FALSE(MatchesWildcard(u"Pelora_english*.cab", u"Pelora_german.cab"));
  EXPECT_FALSE(MatchesWildcard(u"Pelora*.cab", u"Pelora.cab.bak"));
  EXPECT_TRUE(MatchesWildcard(u"a?c", u"abc"));
  EXPECT_FALSE(MatchesWildcard(u"a?c", u"ac"));  // "?" is exactly one character
  EXPECT_FALSE(MatchesWildcard(u"a?c", u"abbc"));
  EXPECT_TRUE(MatchesWildcard(u"*", u""));
  EXPECT_TRUE(MatchesWildcard(u"*a*b*", u"xxaxxbxx"));
  EXPECT_TRUE(MatchesWildcard(u"\u00c9t\u00e9*", u"\u00e9T\u00c9.txt"));
  // Many stars against a long non-matching name finish quickly.
  EXPECT_FALSE(MatchesWildcard(u"*a*a*a*a*a*a*a*a*b", std::u16string(4000, u'a')));
}

TEST(FilesTest, FindListsMatchesInNameOrderWithTheirStoredNames) {
  TestDevice device;
  WriteHost(device.Host("My Flash Disk/pelora_german.cab"), "12345");
  WriteHost(device.Host("My Flash Disk/PELORA_English.CAB"), "1");
  WriteHost(device.Host("My Flash Disk/Pelora_dutch.cab"), "12");
  WriteHost(device.Host("My Flash Disk/autorunce.exe"), "");
  WriteHost(device.Host("My Flash Disk/About"), "");
  fs::create_directories(device.Host("My Flash Disk/Pelora_dir.cab"));
  fs::permissions(device.Host("My Flash Disk/pelora_german.cab"), fs::perms::owner_write, fs::perm_options::remove);

  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileW(u"\\MY Flash Disk\\Pelora*.cab", &data);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  std::vector<std::string> names;
  std::vector<DWORD> attributes, sizes;
  do {
    names.push_back(kernel::WideToUtf8(data.cFileName));
    attributes.push_back(data.dwFileAttributes);
    sizes.push_back(data.nFileSizeLow);
  } while (FindNextFileW(search, &data));
  EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
  EXPECT_EQ(names, (std::vector<std::string>{"Pelora_dir.cab", "Pelora_dutch.cab", "PELORA_English.CAB",
                                             "pelora_german.cab"}));
  EXPECT_EQ(attributes, (std::vector<DWORD>{FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_NORMAL, FILE_ATTRIBUTE_NORMAL,
                                            FILE_ATTRIBUTE_READONLY}));
  EXPECT_EQ(sizes, (std::vector<DWORD>{0, 2, 1, 5}));
  EXPECT_EQ(ErrorOf(FindNextFileW(search, &data)), ERROR_NO_MORE_FILES);
  EXPECT_TRUE(FindClose(search));
  EXPECT_EQ(ErrorOf(FindNextFileW(search, &data)), ERROR_INVALID_HANDLE);

  search = FindFirstFileW(u"\\my flash disk\\*.*", &data);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  EXPECT_EQ(kernel::WideToUtf8(data.cFileName), "About");  // "*.*" also names files without a dot
  FindClose(search);
}

TEST(FilesTest, FindFailuresAndHiddenEscapes) {
  TestDevice device;
  WriteHost(device.Host("My Flash Disk/Setting.dat"), "x");
  fs::create_symlink("/etc/hostname", device.Host("My Flash Disk/Pelora_out.cab"));
  auto findError = [](LPCWSTR pattern) {
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(pattern, &data);
    DWORD error = GetLastError();
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    return error;
  };
  EXPECT_EQ(findError(u"\\My Flash Disk\\Pelora*.cab"), ERROR_FILE_NOT_FOUND);  // the link out is not listed
  EXPECT_EQ(findError(u"\\Storage Card\\Installation\\Pelora*.cab"), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(findError(u"\\My Flash Disk\\Setting.dat\\*"), ERROR_PATH_NOT_FOUND);
  for (LPCWSTR pattern : {u"\\..\\*", u"\\My Flash Disk\\..", u"\\My Flash Disk\\a:b*", u"\\My*\\*"}) {
    EXPECT_EQ(findError(pattern), ERROR_INVALID_NAME) << kernel::WideToUtf8(pattern);
  }
}

TEST(FilesTest, TheDeviceStoreIsNeitherListedNorReachable) {
  TestDevice device;
  WriteHost(device.Host("Registry.db.txt"), "a file of the device's own");
  std::vector<std::string> listed;
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileW(u"\\*", &data);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  do listed.push_back(kernel::WideToUtf8(data.cFileName));
  while (FindNextFileW(search, &data));
  FindClose(search);
  EXPECT_EQ(listed, std::vector<std::string>{"Registry.db.txt"});
  for (LPCWSTR path : {u"\\registry.db", u"\\REGISTRY.DB-wal", u"\\Registry.db-shm"}) {
    EXPECT_EQ(GetFileAttributesW(path), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(DeleteFileW(path));
  }
  EXPECT_TRUE(std::filesystem::exists(device.Root() / "registry.db"));
}

}  // namespace
