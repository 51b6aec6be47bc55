#include "sim/display_loader.h"

#include <dlfcn.h>

#include <filesystem>

namespace sim {

std::filesystem::path DefaultDisplayModule() {
  std::error_code ec;
  auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  return (ec ? std::filesystem::path(".") : self.parent_path()) / "libquorvane_sdl.so";
}

DisplayModule LoadDisplayModule(const std::filesystem::path& module, std::string* error) {
  // The module stays loaded for the life of the process: the display runs until the program ends.
  void* handle = dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    *error = std::string("cannot load the display module: ") + dlerror();
    return {};
  }
  DisplayModule entries{reinterpret_cast<RunDisplayFunction>(dlsym(handle, "QuorvaneRunDisplay")),
                        reinterpret_cast<WakeDisplayFunction>(dlsym(handle, "QuorvaneWakeDisplay")),
                        reinterpret_cast<PlaySoundFunction>(dlsym(handle, "QuorvanePlaySound"))};
  if (entries.run == nullptr || entries.wake == nullptr || entries.play == nullptr) {
    *error = "the display module lacks its entry points";
    return {};
  }
  return entries;
}

}  // namespace sim
