#include "bx3/module.h"

#include <dirent.h>
#include <dlfcn.h>
#include <sys/stat.h>

#include <algorithm>

#include "bx3/host.h"

namespace bx3 {

LoadedModule::LoadedModule(std::string path, void* handle, ModuleMain main)
    : path_(std::move(path)), handle_(handle), main_(main) {}

LoadedModule::~LoadedModule() {
  if (started_) main_(kModuleEnd, 0, 0, 0);
  ::dlclose(handle_);
}

int32_t LoadedModule::Call(int32_t action, intptr_t p1, intptr_t p2, intptr_t p3) const {
  return main_(action, p1, p2, p3);
}

brantic::Result<std::unique_ptr<LoadedModule>> LoadedModule::Load(const std::string& path) {
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) return brantic::IoError(path + ": cannot load: " + ::dlerror());
  auto main = reinterpret_cast<ModuleMain>(::dlsym(handle, "bx3_main"));
  if (!main) {
    ::dlclose(handle);
    return brantic::IllegalArgumentError(path + ": not a module (no bx3_main)");
  }
  std::unique_ptr<LoadedModule> module(new LoadedModule(path, handle, main));
  module->record_ = HostRecord{kHostApiVersion, 0, module->path_.c_str()};
  const int32_t started = module->Call(kModuleStart, 0, 0, reinterpret_cast<intptr_t>(&module->record_));
  if (started != 1) {
    return brantic::IllegalStateError(path + ": refused to start (answer " + std::to_string(started) + ")");
  }
  module->started_ = true;
  ResourceState state{};
  state.pending = 1;
  ResourceRequest request{};
  request.state = &state;
  const int32_t loaded =
      module->Call(kModuleMessage, kModuleMessageLoadResources, reinterpret_cast<intptr_t>(&request));
  if (loaded != 1 || state.pending != 0) {
    return brantic::IllegalStateError(path + ": cannot load its string resources");
  }
  if (module->Call(kModulePluginStart) != 1) {
    module->problem_ = path + ": could not register all of its plug-ins";
  }
  return module;
}

std::vector<std::unique_ptr<LoadedModule>> LoadModules(const std::string& folder, std::vector<std::string>& problems) {
  std::vector<std::string> libraries;
  if (DIR* modules = ::opendir(folder.c_str())) {
    while (const dirent* entry = ::readdir(modules)) {
      const std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      const std::string sub = folder + "/" + name;
      DIR* inner = ::opendir(sub.c_str());
      if (!inner) continue;
      while (const dirent* file = ::readdir(inner)) {
        const std::string fileName = file->d_name;
        if (fileName.size() > 3 && fileName.compare(fileName.size() - 3, 3, ".so") == 0) {
          libraries.push_back(sub + "/" + fileName);
        }
      }
      ::closedir(inner);
    }
    ::closedir(modules);
  }
  std::sort(libraries.begin(), libraries.end());
  std::vector<std::unique_ptr<LoadedModule>> loaded;
  for (const std::string& library : libraries) {
    auto module = LoadedModule::Load(library);
    if (module) {
      if (!(*module)->Problem().empty()) problems.push_back((*module)->Problem());
      loaded.push_back(std::move(*module));
    } else {
      problems.push_back(module.GetError().Message());
    }
  }
  return loaded;
}

}  // namespace bx3
