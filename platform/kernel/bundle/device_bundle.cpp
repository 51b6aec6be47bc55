#include "platform/kernel/bundle/device_bundle.h"

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "platform/kernel/bundle/bundle_json.h"
#include "platform/kernel/bundle/bundle_parts.h"
#include "platform/kernel/control_socket.h"
#include "platform/kernel/device_root.h"
#include "platform/kernel/device_store.h"
#include "platform/kernel/reg_file.h"
#include "platform/kernel/registry.h"

namespace kernel {
namespace {

constexpr const char* kRegistryPart = "registry.reg";
constexpr const char* kStatePart = "state.json";
constexpr const char* kLogsPart = "logs.json";
constexpr const char* kClosingPart = "bundle.json";
constexpr std::string_view kFilesFolder = "files/";
constexpr int kFormat = 1;

struct ArchiveWriter {
  archive* a = archive_write_new();
  ~ArchiveWriter() { archive_write_free(a); }
};
struct ArchiveReader {
  archive* a = archive_read_new();
  ~ArchiveReader() { archive_read_free(a); }
};
struct EntryHolder {
  archive_entry* e = archive_entry_new();
  ~EntryHolder() { archive_entry_free(e); }
};
struct FdHolder {
  int fd = -1;
  ~FdHolder() {
    if (fd >= 0) ::close(fd);
  }
};

[[noreturn]] void Refuse(const std::string& reason) { throw BundleError(reason); }

// Removes a folder tree when the load it belongs to fails.
class Scratch {
 public:
  explicit Scratch(std::filesystem::path path) : m_path(std::move(path)) {}
  ~Scratch() {
    if (m_path.empty()) return;
    // Folders made read-only by the bundle are opened up so their contents can go.
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(m_path, ec); !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
      if (it->is_directory(ec)) std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
    }
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(m_path, ec);
  }
  void Keep() { m_path.clear(); }

 private:
  std::filesystem::path m_path;
};

// --- saving -----------------------------------------------------------------------------------

class BundleWriter {
 public:
  // Writes to file; failures name shownName (the bundle, not its temporary file).
  BundleWriter(const std::filesystem::path& file, const std::filesystem::path& shownName) : m_file(shownName) {
    archive_write_set_format_pax(m_archive.a);
    archive_write_add_filter_none(m_archive.a);
    if (archive_write_open_filename(m_archive.a, file.c_str()) != ARCHIVE_OK) Fail();
    m_opened = true;
  }

  void Text(const std::string& name, const std::string& text, std::int64_t time) {
    EntryHolder entry;
    archive_entry_set_pathname(entry.e, name.c_str());
    archive_entry_set_filetype(entry.e, AE_IFREG);
    archive_entry_set_perm(entry.e, 0644);
    archive_entry_set_size(entry.e, static_cast<la_int64_t>(text.size()));
    archive_entry_set_mtime(entry.e, time, 0);
    Header(entry.e);
    if (!text.empty() && archive_write_data(m_archive.a, text.data(), text.size()) < 0) Fail();
  }

  void Tree(const std::filesystem::path& folder, const std::string& inside, bool top) {
    std::vector<std::filesystem::directory_entry> entries;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
      auto name = entry.path().filename();
      if (top && IsDeviceStoreName(std::u16string(name.u16string()))) continue;
      entries.push_back(entry);
    }
    if (ec) Refuse("cannot list " + folder.string() + ": " + ec.message());
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.path().filename() < b.path().filename(); });
    for (const auto& entry : entries) {
      struct stat info{};
      if (::lstat(entry.path().c_str(), &info) != 0) Refuse("cannot read " + entry.path().string() + ": " + std::strerror(errno));
      std::string name = inside + entry.path().filename().string();
      // A device holds folders and files only; anything else on the host is not part of it.
      if (S_ISDIR(info.st_mode)) {
        Item(name + "/", AE_IFDIR, info, {});
        Tree(entry.path(), name + "/", false);
      } else if (S_ISREG(info.st_mode)) {
        Item(name, AE_IFREG, info, entry.path());
      }
    }
  }

  void Close() {
    if (archive_write_close(m_archive.a) != ARCHIVE_OK) Fail();
  }
  std::size_t Entries() const { return m_entries; }

 private:
  void Item(const std::string& name, unsigned type, const struct stat& info, const std::filesystem::path& source) {
    EntryHolder entry;
    archive_entry_set_pathname_utf8(entry.e, name.c_str());
    archive_entry_set_filetype(entry.e, type);
    archive_entry_set_perm(entry.e, info.st_mode & 0777);
    archive_entry_set_mtime(entry.e, info.st_mtim.tv_sec, info.st_mtim.tv_nsec);
    archive_entry_set_size(entry.e, type == AE_IFREG ? info.st_size : 0);
    Header(entry.e);
    if (type != AE_IFREG) return;
    FdHolder in{::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW)};
    if (in.fd < 0) Refuse("cannot read " + source.string() + ": " + std::strerror(errno));
    char buffer[65536];
    std::int64_t left = info.st_size;
    while (left > 0) {
      ssize_t n = ::read(in.fd, buffer, sizeof(buffer));
      if (n <= 0) Refuse("cannot read " + source.string() + " (it changed while it was saved)");
      n = std::min<ssize_t>(n, left);
      if (archive_write_data(m_archive.a, buffer, static_cast<std::size_t>(n)) < 0) Fail();
      left -= n;
    }
  }
  void Header(archive_entry* entry) {
    if (archive_write_header(m_archive.a, entry) != ARCHIVE_OK) Fail();
    ++m_entries;
  }
  [[noreturn]] void Fail() {
    const char* reason = archive_error_string(m_archive.a);
    if (!m_opened) reason = std::strerror(archive_errno(m_archive.a));
    Refuse("cannot write " + m_file.string() + ": " + (reason ? reason : "failed"));
  }

  ArchiveWriter m_archive;
  std::filesystem::path m_file;
  std::size_t m_entries = 0;
  bool m_opened = false;
};

// --- loading ----------------------------------------------------------------------------------

// A device file name's characters: no controls nor those a device name cannot hold.
bool GoodComponent(std::string_view part) {
  if (part.empty() || part == "." || part == "..") return false;
  for (char c : part) {
    if (static_cast<unsigned char>(c) < 0x20 || std::string_view("\\:*?\"<>|").find(c) != std::string_view::npos) return false;
  }
  return true;
}

// The folder path under files/ ("a/b" for "files/a/b/" or "files/a/b"), or nullopt when the name
// may not be laid (absolute, "..", empty parts, a store name at the top).
std::optional<std::string> FilePart(std::string_view name, bool folder) {
  if (!name.starts_with(kFilesFolder)) return std::nullopt;
  name.remove_prefix(kFilesFolder.size());
  if (folder && name.ends_with('/')) name.remove_suffix(1);
  if (name.empty()) return std::nullopt;
  std::size_t start = 0;
  bool first = true;
  for (;;) {
    std::size_t slash = name.find('/', start);
    std::string_view part = name.substr(start, slash == std::string_view::npos ? std::string_view::npos : slash - start);
    if (!GoodComponent(part)) return std::nullopt;
    if (first) {
      std::u16string wide(part.begin(), part.end());
      if (IsDeviceStoreName(wide)) return std::nullopt;
      first = false;
    }
    if (slash == std::string_view::npos) break;
    start = slash + 1;
  }
  return std::string(name);
}

struct Folder {
  std::filesystem::path path;
  mode_t mode;
  struct timespec time;
};

class BundleReader {
 public:
  BundleReader(const std::filesystem::path& file, std::filesystem::path staging)
      : m_file(file), m_staging(std::move(staging)) {
    archive_read_support_format_tar(m_archive.a);
    archive_read_support_filter_none(m_archive.a);
    archive_read_support_filter_gzip(m_archive.a);
    if (archive_read_open_filename(m_archive.a, file.c_str(), 65536) != ARCHIVE_OK) {
      Refuse("cannot read " + file.string() + ": " + std::strerror(archive_errno(m_archive.a)));
    }
  }

  // Reads every entry: the parts into memory, the files into the staging folder.
  void Read() {
    archive_entry* entry = nullptr;
    for (;;) {
      int rc = archive_read_next_header(m_archive.a, &entry);
      if (rc == ARCHIVE_EOF) break;
      if (rc != ARCHIVE_OK) Fail("is damaged or cut short");
      if (m_closed) Refuse(m_file.string() + " has entries after its closing record bundle.json");
      if (++m_entries > kMostBundleEntries) Refuse(m_file.string() + " holds more than " + std::to_string(kMostBundleEntries) + " entries");
      Entry(entry);
    }
    if (!m_closed) Refuse(m_file.string() + " is cut short: it has no closing record bundle.json");
    for (const char* part : {kRegistryPart, kStatePart, kLogsPart}) {
      if (!m_parts.count(part)) Refuse(m_file.string() + " has no " + part);
    }
  }

  const std::string& Part(const char* name) { return m_parts[name]; }

  // Folders get their modes and times last, deepest first: writing inside a folder changes its
  // time, and a read-only folder could not be written into.
  void FinishFolders() {
    std::sort(m_folders.begin(), m_folders.end(), [](const Folder& a, const Folder& b) { return a.path > b.path; });
    for (const auto& folder : m_folders) {
      struct timespec times[2] = {folder.time, folder.time};
      if (::chmod(folder.path.c_str(), folder.mode) != 0 || ::utimensat(AT_FDCWD, folder.path.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) {
        Refuse("cannot lay " + folder.path.string() + ": " + std::strerror(errno));
      }
    }
  }

 private:
  void Entry(archive_entry* entry) {
    const char* raw = archive_entry_pathname_utf8(entry);
    if (!raw) raw = archive_entry_pathname(entry);
    std::string name = raw ? raw : "";
    std::string shown = "the entry '" + name.substr(0, 200) + "' of " + m_file.string();
    if (!m_names.insert(name).second) Refuse(shown + " comes twice");
    if (archive_entry_hardlink(entry) || archive_entry_symlink(entry) || archive_entry_filetype(entry) == AE_IFLNK) {
      Refuse(shown + " is a link; a bundle holds folders and files only");
    }
    unsigned type = archive_entry_filetype(entry);
    if (type != AE_IFREG && type != AE_IFDIR) Refuse(shown + " is neither a folder nor a file");
    la_int64_t size = archive_entry_size_is_set(entry) ? archive_entry_size(entry) : 0;
    if (size < 0 || static_cast<std::uint64_t>(size) > kLargestBundleEntry) {
      Refuse(shown + " is larger than " + std::to_string(kLargestBundleEntry >> 20) + " MB");
    }
    m_total += static_cast<std::uint64_t>(size);
    if (m_total > kLargestBundleTotal) Refuse(m_file.string() + " holds more than " + std::to_string(kLargestBundleTotal >> 20) + " MB");

    if (name == kRegistryPart || name == kStatePart || name == kLogsPart || name == kClosingPart) {
      if (type != AE_IFREG) Refuse(shown + " is not a file");
      std::string text = Data(static_cast<std::size_t>(size));
      if (name == kClosingPart) return Close(text);
      m_parts[name] = std::move(text);
      return;
    }
    auto inside = FilePart(name, type == AE_IFDIR);
    if (!inside) Refuse(shown + " is not a device file's name (absolute, with '..', or outside files/)");
    std::filesystem::path host = m_staging / std::filesystem::u8path(*inside);
    std::error_code ec;
    std::filesystem::create_directories(type == AE_IFDIR ? host : host.parent_path(), ec);
    if (ec) Refuse("cannot lay " + host.string() + ": " + ec.message());
    struct timespec time{archive_entry_mtime(entry), archive_entry_mtime_nsec(entry)};
    mode_t mode = archive_entry_perm(entry) & 0777;
    if (type == AE_IFDIR) {
      m_folders.push_back({host, mode, time});
      return;
    }
    FdHolder out{::open(host.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600)};
    if (out.fd < 0) Refuse("cannot lay " + host.string() + ": " + std::strerror(errno));
    std::string bytes = Data(static_cast<std::size_t>(size));
    struct timespec times[2] = {time, time};
    if (::write(out.fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) || ::fchmod(out.fd, mode) != 0 ||
        ::futimens(out.fd, times) != 0) {
      Refuse("cannot lay " + host.string() + ": " + std::strerror(errno));
    }
  }

  std::string Data(std::size_t size) {
    std::string bytes(size, '\0');
    std::size_t got = 0;
    while (got < size) {
      la_ssize_t n = archive_read_data(m_archive.a, bytes.data() + got, size - got);
      if (n < 0) Fail("is damaged or cut short");
      if (n == 0) Refuse(m_file.string() + " is cut short");
      got += static_cast<std::size_t>(n);
    }
    return bytes;
  }

  void Close(const std::string& text) {
    std::string error;
    auto json = ParseJson(text, &error);
    const JsonValue* format = json ? json->Member("format") : nullptr;
    const JsonValue* entries = json ? json->Member("entries") : nullptr;
    if (!format || format->kind != JsonValue::Kind::kInteger || format->integer != kFormat) {
      Refuse(m_file.string() + ": bundle.json does not name format " + std::to_string(kFormat));
    }
    if (!entries || entries->kind != JsonValue::Kind::kInteger || entries->integer != static_cast<std::int64_t>(m_entries - 1)) {
      Refuse(m_file.string() + ": bundle.json counts other entries than the bundle holds");
    }
    m_closed = true;
  }

  [[noreturn]] void Fail(const char* what) {
    const char* reason = archive_error_string(m_archive.a);
    Refuse(m_file.string() + " " + what + (reason ? std::string(": ") + reason : ""));
  }

  ArchiveReader m_archive;
  std::filesystem::path m_file;
  std::filesystem::path m_staging;
  std::map<std::string, std::string> m_parts;
  std::set<std::string> m_names;
  std::vector<Folder> m_folders;
  std::uint64_t m_total = 0;
  std::size_t m_entries = 0;
  bool m_closed = false;
};

std::string ClosingRecord(std::size_t entries) {
  return "{\"format\": " + std::to_string(kFormat) + ", \"entries\": " + std::to_string(entries) + "}\n";
}

bool EmptyFolder(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::is_directory(path, ec) && std::filesystem::is_empty(path, ec);
}

}  // namespace

void SaveDeviceBundle(const std::filesystem::path& file) {
  Device& device = CurrentDevice();
  DeviceStore& store = device.Store();
  std::string registry, state, logs;
  store.Batch([&] {
    registry = FormatRegFile(ExportRegistry(std::nullopt));
    state = FormatStateJson(store.AllState());
    logs = FormatLogsJson({store.KeyLog(), store.SoundLog(), store.ResetLog()});
  });
  auto now = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
  std::filesystem::path partial = file;
  partial += ".partial-" + std::to_string(::getpid());
  Scratch cleanup(partial);
  {
    BundleWriter writer(partial, file);
    writer.Text(kRegistryPart, registry, now);
    writer.Text(kStatePart, state, now);
    writer.Text(kLogsPart, logs, now);
    writer.Tree(device.Root(), std::string(kFilesFolder), true);
    writer.Text(kClosingPart, ClosingRecord(writer.Entries()), now);
    writer.Close();
  }
  std::error_code ec;
  std::filesystem::rename(partial, file, ec);
  if (ec) Refuse("cannot write " + file.string() + ": " + ec.message());
  cleanup.Keep();
}

void LoadDeviceBundle(const std::filesystem::path& file, const std::filesystem::path& root, bool replace) {
  std::error_code ec;
  auto target = std::filesystem::absolute(root, ec).lexically_normal();
  if (target.filename().empty()) target = target.parent_path();
  bool exists = std::filesystem::exists(std::filesystem::symlink_status(target, ec));
  if (exists && !std::filesystem::is_directory(std::filesystem::symlink_status(target, ec))) {
    Refuse(target.string() + " is not a folder");
  }
  if (exists && !ListRunningInstances(target).empty()) Refuse("a utility runs on " + target.string() + "; end it first");
  if (exists && !replace && !EmptyFolder(target)) Refuse("the device root " + target.string() + " is not empty (load --force replaces it)");
  if (!std::filesystem::is_directory(target.parent_path(), ec)) Refuse("the folder " + target.parent_path().string() + " does not exist");

  std::filesystem::path staging = target;
  staging += ".loading-" + std::to_string(::getpid());
  if (::mkdir(staging.c_str(), 0755) != 0) Refuse("cannot create " + staging.string() + ": " + std::strerror(errno));
  Scratch cleanup(staging);
  {
    BundleReader reader(file, staging);
    reader.Read();
    auto keys = ParseRegFile(reader.Part(kRegistryPart));
    if (auto* bad = std::get_if<RegFileError>(&keys)) {
      Refuse(file.string() + ": registry.reg line " + std::to_string(bad->line) + ": " + bad->message);
    }
    std::string error;
    auto state = ParseStateJson(reader.Part(kStatePart), &error);
    auto logs = state ? ParseLogsJson(reader.Part(kLogsPart), &error) : std::nullopt;
    if (!logs) Refuse(file.string() + ": " + error);
    auto device = std::make_shared<Device>(staging);
    SetCurrentDevice(device);
    try {
      DeviceStore& store = device->Store();
      store.Batch([&] {
        store.Clear();
        ImportRegistry(std::get<std::vector<RegFileKey>>(keys));
        for (const auto& entry : *state) {
          if (entry.number) {
            store.SetInt(entry.name, *entry.number);
          } else {
            store.SetBlob(entry.name, entry.blob.data(), entry.blob.size());
          }
        }
        for (const auto& k : logs->keys) store.AppendKeyLog(k);
        for (const auto& s : logs->sounds) store.AppendSoundLog(s);
        for (const auto& r : logs->resets) store.AppendResetLog(r);
      });
    } catch (const BundleError&) {
      SetCurrentDevice(nullptr);
      throw;
    } catch (const std::exception& e) {
      SetCurrentDevice(nullptr);
      Refuse(file.string() + ": " + e.what());
    }
    SetCurrentDevice(nullptr);
    device.reset();
    reader.FinishFolders();
  }
  // Everything is laid: the new device takes the old one's place.
  std::filesystem::path aside = target;
  aside += ".replaced-" + std::to_string(::getpid());
  if (exists) {
    std::filesystem::rename(target, aside, ec);
    if (ec) Refuse("cannot replace " + target.string() + ": " + ec.message());
  }
  std::filesystem::rename(staging, target, ec);
  if (ec) {
    if (exists) std::filesystem::rename(aside, target, ec);
    Refuse("cannot lay " + target.string() + ": " + ec.message());
  }
  cleanup.Keep();
  if (exists) {
    Scratch removeOld(aside);
  }
}

}  // namespace kernel
