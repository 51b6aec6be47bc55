// devicectl save and load: the whole device as one tar archive.
#include "platform/kernel/bundle/device_bundle.h"
#include "platform/kernel/device_root.h"
#include "tools/devicectl/commands.h"

namespace devicectl {

void SaveCommand(const Args& args, std::ostream& out) {
  if (args.size() != 1) throw UsageError("usage: save FILE.tar");
  try {
    kernel::SaveDeviceBundle(args[0]);
  } catch (const kernel::BundleError& e) {
    throw CommandError(e.what());
  }
  out << "saved " << kernel::CurrentDevice().Root().string() << " to " << args[0] << "\n";
}

void LoadCommand(const Args& args, const std::filesystem::path& root, std::ostream& out) {
  std::optional<std::string> file;
  std::filesystem::path target = root;
  bool force = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--force") {
      force = true;
    } else if (args[i] == "--device" && i + 1 < args.size()) {
      target = args[++i];
    } else if (!file && !args[i].starts_with("--")) {
      file = args[i];
    } else {
      throw UsageError("usage: load FILE.tar [--device NEW] [--force]");
    }
  }
  if (!file) throw UsageError("usage: load FILE.tar [--device NEW] [--force]");
  try {
    kernel::LoadDeviceBundle(*file, target, force);
  } catch (const kernel::BundleError& e) {
    throw CommandError(e.what());
  }
  out << "loaded " << *file << " into " << target.string() << "\n";
}

}  // namespace devicectl
