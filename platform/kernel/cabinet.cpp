#include "platform/kernel/cabinet.h"

#include <mspack.h>

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/kernel/files.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/wide_string.h"

namespace kernel {
namespace {

// libmspack reaches files only through the table below, so the cabinet and what it holds are read
// and written as device paths (UTF-8 in the library's calls), never as host paths. The library
// passes its files around as opaque pointers; each is one of these.
struct DeviceFile {
  HANDLE handle;
};

HANDLE Handle(mspack_file* file) { return reinterpret_cast<DeviceFile*>(file)->handle; }

mspack_file* OpenFile(mspack_system*, const char* name, int mode) {
  std::u16string path = Utf8ToWide(name);
  DWORD access = mode == MSPACK_SYS_OPEN_READ ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
  DWORD creation = mode == MSPACK_SYS_OPEN_WRITE ? CREATE_ALWAYS : OPEN_EXISTING;
  HANDLE handle = CreateFileW(path.c_str(), access, 0, nullptr, creation, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  if (mode == MSPACK_SYS_OPEN_APPEND) SetFilePointer(handle, 0, nullptr, FILE_END);
  return reinterpret_cast<mspack_file*>(new DeviceFile{handle});
}

void CloseFile(mspack_file* file) {
  if (file == nullptr) return;
  CloseHandle(Handle(file));
  delete reinterpret_cast<DeviceFile*>(file);
}

int ReadBytes(mspack_file* file, void* buffer, int bytes) {
  DWORD got = 0;
  if (bytes < 0 || !ReadFile(Handle(file), buffer, static_cast<DWORD>(bytes), &got, nullptr)) return -1;
  return static_cast<int>(got);
}

int WriteBytes(mspack_file* file, void* buffer, int bytes) {
  DWORD put = 0;
  if (bytes < 0 || !WriteFile(Handle(file), buffer, static_cast<DWORD>(bytes), &put, nullptr)) return -1;
  return static_cast<int>(put);
}

int Seek(mspack_file* file, off_t offset, int mode) {
  DWORD method = mode == MSPACK_SYS_SEEK_START ? FILE_BEGIN : mode == MSPACK_SYS_SEEK_CUR ? FILE_CURRENT : FILE_END;
  LONG high = static_cast<LONG>(static_cast<std::int64_t>(offset) >> 32);
  SetLastError(ERROR_SUCCESS);
  DWORD low = SetFilePointer(Handle(file), static_cast<LONG>(offset & 0xFFFFFFFF), &high, method);
  return low == INVALID_SET_FILE_POINTER && GetLastError() != ERROR_SUCCESS ? -1 : 0;
}

off_t Tell(mspack_file* file) {
  LONG high = 0;
  DWORD low = SetFilePointer(Handle(file), 0, &high, FILE_CURRENT);
  return static_cast<off_t>((static_cast<std::int64_t>(high) << 32) | low);
}

// The library's remarks about odd cabinets are not shown: a failure reports itself by its result.
void Message(mspack_file*, const char*, ...) {}
void* Alloc(mspack_system*, size_t bytes) { return std::malloc(bytes); }
void Free(void* memory) { std::free(memory); }
void Copy(void* source, void* destination, size_t bytes) { std::memmove(destination, source, bytes); }

mspack_system g_deviceFiles = {OpenFile, CloseFile, ReadBytes, WriteBytes, Seek, Tell, Message, Alloc, Free, Copy, nullptr};

class Decompressor {
 public:
  Decompressor() : m_cab(mspack_create_cab_decompressor(&g_deviceFiles)) {}
  ~Decompressor() {
    if (m_cab != nullptr) mspack_destroy_cab_decompressor(m_cab);
  }
  Decompressor(const Decompressor&) = delete;
  Decompressor& operator=(const Decompressor&) = delete;
  mscab_decompressor* operator->() const { return m_cab; }
  explicit operator bool() const { return m_cab != nullptr; }

 private:
  mscab_decompressor* m_cab;
};

// A cabinet's file name as a path below the folder: "\" or "/" between parts, none of them empty,
// "." or "..", so that no name can leave the folder. Empty when the name is not such a path.
std::u16string SafeRelativePath(const char* name) {
  std::u16string path = Utf8ToWide(name);
  std::u16string part;
  std::u16string out;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    char16_t c = i < path.size() ? path[i] : u'\\';
    if (c != u'\\' && c != u'/') {
      if (c < 0x20 || c == u':') return {};
      part.push_back(c);
      continue;
    }
    if (part.empty() || part == u"." || part == u"..") return {};
    if (!out.empty()) out.push_back(u'\\');
    out += part;
    part.clear();
  }
  return out;
}

// Creates the folder and every missing folder above it.
void CreateFolders(const std::u16string& folder) {
  for (std::size_t i = 1; i <= folder.size(); ++i) {
    if (i == folder.size() || folder[i] == u'\\') CreateDirectoryW(folder.substr(0, i).c_str(), nullptr);
  }
}

}  // namespace

DWORD ExtractCabinet(LPCWSTR cabinet, LPCWSTR folder) {
  if (cabinet == nullptr || folder == nullptr) return ERROR_INVALID_PARAMETER;
  if (GetFileAttributesW(cabinet) == INVALID_FILE_ATTRIBUTES) return ERROR_FILE_NOT_FOUND;
  Decompressor decompressor;
  if (!decompressor) return ERROR_NOT_ENOUGH_MEMORY;
  std::string source = WideToUtf8(WideView(cabinet));
  mscabd_cabinet* cab = decompressor->open(decompressor.operator->(), source.c_str());
  if (cab == nullptr) return ERROR_BAD_FORMAT;
  std::u16string base(WideView(folder));
  while (!base.empty() && base.back() == u'\\') base.pop_back();
  DWORD result = ERROR_SUCCESS;
  for (mscabd_file* file = cab->files; file != nullptr && result == ERROR_SUCCESS; file = file->next) {
    std::u16string relative = SafeRelativePath(file->filename);
    if (relative.empty()) {
      result = ERROR_BAD_FORMAT;
      break;
    }
    std::u16string target = base + u"\\" + relative;
    CreateFolders(target.substr(0, target.rfind(u'\\')));
    int error = decompressor->extract(decompressor.operator->(), file, WideToUtf8(target).c_str());
    if (error == MSPACK_ERR_OPEN || error == MSPACK_ERR_WRITE) {
      result = ERROR_WRITE_FAULT;
    } else if (error != MSPACK_ERR_OK) {
      result = ERROR_BAD_FORMAT;
    }
  }
  decompressor->close(decompressor.operator->(), cab);
  return result;
}

}  // namespace kernel
