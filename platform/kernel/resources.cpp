#include "platform/kernel/resources.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>

#include "platform/kernel/byte_reader.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/process.h"
#include "platform/kernel/wide_string.h"

namespace kernel {
namespace {

// The program's own module. Kernel handle values are multiples of four, so an odd value can never
// name a loaded module as well.
HMODULE const kProgramModule = reinterpret_cast<HMODULE>(ULONG_PTR{0x00010001});

constexpr std::size_t kStringsPerBlock = 16;

// Parses the header at the start of bytes: DataSize, HeaderSize, TYPE, NAME, padding to 4, then
// DataVersion, MemoryFlags, LanguageId, Version and Characteristics, all inside HeaderSize.
bool ParseHeader(std::span<const std::uint8_t> bytes, ResourceEntry* entry, DWORD* dataSize, DWORD* headerSize) {
  ByteReader reader(bytes);
  if (!reader.Dword(dataSize) || !reader.Dword(headerSize)) return false;
  if (*headerSize > bytes.size()) return false;
  // Names and the fixed tail must lie inside the header the entry declares.
  ByteReader header(bytes.first(*headerSize));
  DWORD skip = 0;
  WORD memoryFlags = 0;
  return header.Dword(&skip) && header.Dword(&skip) && header.Name(&entry->type) && header.Name(&entry->name) &&
         header.AlignTo4() && header.Dword(&skip) && header.Word(&memoryFlags) && header.Word(&entry->language) &&
         header.Dword(&skip) && header.Dword(&skip);
}

bool IsEmptyEntry(const ResourceEntry& entry, DWORD dataSize) {
  const WORD* type = std::get_if<WORD>(&entry.type);
  return dataSize == 0 && type != nullptr && *type == 0;
}

// A lookup key from a Win32 name argument: an integer id, "#123" (the id 123), or a string.
ResourceName NameFromArgument(LPCWSTR name) {
  if (IS_INTRESOURCE(name)) return static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name));
  std::u16string_view text = WideView(name);
  if (text.size() > 1 && text.size() <= 6 && text[0] == u'#') {
    DWORD id = 0;
    bool digits = true;
    for (char16_t c : text.substr(1)) {
      digits = digits && c >= u'0' && c <= u'9';
      id = id * 10 + static_cast<DWORD>(c - u'0');
    }
    if (digits && id <= 0xFFFF) return static_cast<WORD>(id);
  }
  return std::u16string(text);
}

bool NameMatches(const ResourceName& stored, const ResourceName& wanted) {
  if (stored.index() != wanted.index()) return false;
  if (const WORD* id = std::get_if<WORD>(&stored)) return *id == std::get<WORD>(wanted);
  return EqualsNoCase(std::get<std::u16string>(stored), std::get<std::u16string>(wanted));
}

// A module's parsed resources, and the bytes they were parsed from.
struct ModuleResources {
  std::span<const std::uint8_t> bytes;
  std::vector<ResourceEntry> entries;
};

struct ResourceCache {
  std::mutex lock;
  std::shared_ptr<const ModuleResources> program;
  std::map<HMODULE, std::shared_ptr<const ModuleResources>> loaded;
};

ResourceCache& Cache() {
  static ResourceCache cache;
  return cache;
}

// The parsed resources of a module (null: the program's own); null with the error set when the
// module is unknown or holds no resources. Loaded modules are parsed once; a freed module's parse
// is dropped when it is asked for or when another module is parsed (handle values are never
// reused, so a cached handle can only name its own module).
std::shared_ptr<const ModuleResources> ResourcesOf(HMODULE module) {
  auto& cache = Cache();
  if (IsProgramModule(module)) {
    std::lock_guard guard(cache.lock);
    if (!cache.program) SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return cache.program;
  }
  std::span<const std::uint8_t> bytes = ModuleBytes(module);
  std::lock_guard guard(cache.lock);
  auto it = cache.loaded.find(module);
  if (bytes.empty()) {
    if (it != cache.loaded.end()) cache.loaded.erase(it);
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  if (it != cache.loaded.end() && it->second->bytes.data() == bytes.data() &&
      it->second->bytes.size() == bytes.size()) {
    return it->second;
  }
  auto entries = ParseResourceFile(bytes);
  if (!entries) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return nullptr;
  }
  auto parsed = std::make_shared<const ModuleResources>(ModuleResources{bytes, std::move(*entries)});
  // Parses of modules freed since are dropped here, so loading and freeing never piles them up;
  // asking about a freed handle sets the last error, which this successful call keeps as it was.
  DWORD error = GetLastError();
  std::erase_if(cache.loaded, [](const auto& cached) { return ModuleBytes(cached.first).empty(); });
  SetLastError(error);
  cache.loaded[module] = parsed;
  return parsed;
}

// HRSRC values are entry positions plus one, checked against the module on every use, so a stale
// or foreign value fails cleanly instead of reaching memory.
HRSRC ResourceHandle(std::size_t index) { return reinterpret_cast<HRSRC>(static_cast<ULONG_PTR>(index + 1)); }

const ResourceEntry* EntryOf(const ModuleResources& resources, HRSRC resource) {
  auto value = reinterpret_cast<ULONG_PTR>(resource);
  if (value == 0 || value > resources.entries.size()) return nullptr;
  return &resources.entries[value - 1];
}

const ResourceEntry* FindEntry(const ModuleResources& resources, const ResourceName& name, const ResourceName& type,
                               std::size_t* index, DWORD* error) {
  bool typeSeen = false;
  for (std::size_t i = 0; i < resources.entries.size(); ++i) {
    const ResourceEntry& entry = resources.entries[i];
    if (!NameMatches(entry.type, type)) continue;
    typeSeen = true;
    if (!NameMatches(entry.name, name)) continue;
    *index = i;
    return &entry;
  }
  *error = typeSeen ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND;
  return nullptr;
}

}  // namespace

std::optional<std::vector<ResourceEntry>> ParseResourceFile(std::span<const std::uint8_t> bytes) {
  std::vector<ResourceEntry> entries;
  std::size_t offset = 0;
  bool first = true;
  while (offset < bytes.size()) {
    ResourceEntry entry;
    DWORD dataSize = 0, headerSize = 0;
    std::span<const std::uint8_t> rest = bytes.subspan(offset);
    if (!ParseHeader(rest, &entry, &dataSize, &headerSize)) return std::nullopt;
    if (dataSize > rest.size() - headerSize) return std::nullopt;
    bool empty = IsEmptyEntry(entry, dataSize);
    // A resource file announces itself with the empty entry; it carries nothing to look up.
    if (first && !empty) return std::nullopt;
    first = false;
    if (!empty) {
      entry.data = rest.subspan(headerSize, dataSize);
      entries.push_back(std::move(entry));
    }
    // Entries start on 4-byte boundaries; the last one's padding may be missing.
    std::size_t next = offset + headerSize + dataSize;
    offset = std::min((next + 3) & ~std::size_t{3}, bytes.size());
  }
  if (first) return std::nullopt;
  return entries;
}

bool IsProgramModule(HMODULE module) { return module == nullptr || module == kProgramModule; }

namespace {
std::atomic<std::uint64_t> g_programResourcesGeneration{0};
}  // namespace

void SetProgramResources(std::span<const std::uint8_t> bytes) {
  auto entries = ParseResourceFile(bytes);
  auto& cache = Cache();
  std::lock_guard guard(cache.lock);
  cache.program = entries ? std::make_shared<const ModuleResources>(ModuleResources{bytes, std::move(*entries)})
                          : nullptr;
  ++g_programResourcesGeneration;
}

std::uint64_t ProgramResourcesGeneration() { return g_programResourcesGeneration.load(); }

}  // namespace kernel

HMODULE GetModuleHandleW(LPCWSTR name) {
  if (name == nullptr) return kernel::kProgramModule;
  // The only module loaded by name is the program itself.
  std::u16string_view text = kernel::WideView(name);
  std::u16string_view path = kernel::kProgramPath;
  if (kernel::EqualsNoCase(text, path) || kernel::EqualsNoCase(text, path.substr(path.rfind(u'\\') + 1))) {
    return kernel::kProgramModule;
  }
  SetLastError(ERROR_MOD_NOT_FOUND);
  return nullptr;
}

HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type) {
  if (name == nullptr || type == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto resources = kernel::ResourcesOf(module);
  if (!resources) return nullptr;
  std::size_t index = 0;
  DWORD error = 0;
  if (!kernel::FindEntry(*resources, kernel::NameFromArgument(name), kernel::NameFromArgument(type), &index, &error)) {
    SetLastError(error);
    return nullptr;
  }
  return kernel::ResourceHandle(index);
}

HGLOBAL LoadResource(HMODULE module, HRSRC resource) {
  auto resources = kernel::ResourcesOf(module);
  if (!resources) return nullptr;
  const kernel::ResourceEntry* entry = kernel::EntryOf(*resources, resource);
  if (entry == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  // Resource data is read-only; the Win32 shape hands it out as a plain pointer.
  return const_cast<std::uint8_t*>(entry->data.data());
}

LPVOID LockResource(HGLOBAL data) { return data; }

DWORD SizeofResource(HMODULE module, HRSRC resource) {
  auto resources = kernel::ResourcesOf(module);
  if (!resources) return 0;
  const kernel::ResourceEntry* entry = kernel::EntryOf(*resources, resource);
  if (entry == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return static_cast<DWORD>(entry->data.size());
}

int LoadStringW(HMODULE module, UINT id, LPWSTR buffer, int capacity) {
  // Windows treats a zero capacity as a request for a read-only pointer to the string, written
  // over the buffer; that shape cannot be served safely here, so it is refused.
  if (buffer == nullptr || capacity <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  buffer[0] = 0;
  auto resources = kernel::ResourcesOf(module);
  if (!resources || id > 0xFFFF) return 0;
  // Sixteen strings a block: block (id >> 4) + 1 holds ids id & ~15 to id | 15, each a length
  // word and that many UTF-16 units.
  std::size_t index = 0;
  DWORD error = 0;
  const kernel::ResourceEntry* block = kernel::FindEntry(*resources, static_cast<WORD>((id >> 4) + 1),
                                                         WORD{6}, &index, &error);
  if (block == nullptr) {
    SetLastError(error);
    return 0;
  }
  std::span<const std::uint8_t> data = block->data;
  std::size_t at = 0;
  for (std::size_t slot = 0; slot < kernel::kStringsPerBlock; ++slot) {
    if (data.size() - at < 2) break;
    std::size_t length = data[at] | (data[at + 1] << 8);
    at += 2;
    if (length * 2 > data.size() - at) break;
    if (slot == (id & 15)) {
      auto count = static_cast<int>(std::min<std::size_t>(length, static_cast<std::size_t>(capacity - 1)));
      for (int i = 0; i < count; ++i) {
        buffer[i] = static_cast<char16_t>(data[at + 2 * i] | (data[at + 2 * i + 1] << 8));
      }
      buffer[count] = 0;
      if (count == 0) SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
      return count;
    }
    at += length * 2;
  }
  SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
  return 0;
}
