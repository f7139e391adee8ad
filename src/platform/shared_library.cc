#include "platform/shared_library.h"

#include <dlfcn.h>
#include <unistd.h>

namespace platform {
namespace {

// The directory of the running program, with its final '/'; empty when it
// cannot be had.
std::string programDirectory() {
  char path[4096];
  ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return {};
  std::string text(path, static_cast<std::size_t>(length));
  std::size_t slash = text.rfind('/');
  return slash == std::string::npos ? std::string() : text.substr(0, slash + 1);
}

}  // namespace

void* openLibraryAt(const std::string& path, std::string& error) {
  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char* reason = dlerror();
    error = reason != nullptr ? reason : path + ": cannot be loaded";
  }
  return library;
}

void* openProgramLibrary(const char* fileName, const char* relativeDirectory,
                         std::string& error) {
  std::string directory = programDirectory();
  if (directory.empty()) {
    error = std::string(fileName) + ": the program's directory is unknown";
    return nullptr;
  }
  // Installed beside its own libraries first; the build tree keeps it
  // beside the program.
  std::string installed =
      directory + relativeDirectory + "/" + std::string(fileName);
  if (access(installed.c_str(), F_OK) == 0) {
    return openLibraryAt(installed, error);
  }
  std::string built = directory + fileName;
  if (access(built.c_str(), F_OK) == 0) return openLibraryAt(built, error);
  error = std::string(fileName) + " is neither in " + directory +
          relativeDirectory + " nor in " + directory;
  return nullptr;
}

void* librarySymbol(void* library, const char* name) {
  return dlsym(library, name);
}

}  // namespace platform
