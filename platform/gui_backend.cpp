#include "platform/gui_backend.h"

#include "platform/process.h"

#include <dlfcn.h>

#include <cstdio>
#include <string>

// Defined only where the backend is linked into the process (the tests); elsewhere the address
// is null and the backend library is loaded instead.
extern "C" GuiBackend* ZorvexQtBackend() __attribute__((weak));

namespace {

constexpr const char* kLibraryName = "libzorvex_qt.so";
constexpr const char* kEntryPoint = "ZorvexQtBackend";

std::string DirectoryOf(const std::string& path)
{
    const std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Loads the backend library from directory and asks it for its backend; null when the file is
// not there or is not a backend library. A library that exists but cannot be loaded is reported,
// since that is a broken installation rather than a missing one.
GuiBackend* LoadFrom(const std::string& directory)
{
    const std::string path = directory + kLibraryName;
    if (!FileExists(path))
        return nullptr;
    // Loaded for good: the backend's windows and the toolkit's threads live until the process
    // ends, so the library is never closed.
    void* library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* error = ::dlerror();
        std::fprintf(stderr, "zorvex: %s\n", error != nullptr ? error : path.c_str());
        return nullptr;
    }
    using EntryPoint = GuiBackend* (*)();
    const auto entry = reinterpret_cast<EntryPoint>(::dlsym(library, kEntryPoint));
    if (entry == nullptr) {
        std::fprintf(stderr, "zorvex: %s has no %s\n", path.c_str(), kEntryPoint);
        return nullptr;
    }
    return entry();
}

GuiBackend* LocateGuiBackend()
{
    if (ZorvexQtBackend != nullptr)
        return ZorvexQtBackend();
    const std::string directory = DirectoryOf(ExecutablePath());
    if (directory.empty())
        return nullptr;
    if (GuiBackend* backend = LoadFrom(directory))
        return backend;
    const std::string installed = directory + "../lib/zorvex/";
    if (GuiBackend* backend = LoadFrom(installed))
        return backend;
    if (!FileExists(directory + kLibraryName) && !FileExists(installed + kLibraryName))
        std::fprintf(stderr, "zorvex: no %s in %s or %s\n", kLibraryName, directory.c_str(), installed.c_str());
    return nullptr;
}

} // namespace

GuiBackend* FindGuiBackend()
{
    static GuiBackend* const backend = LocateGuiBackend();
    return backend;
}
