// Move-only owners of Win32 handles, views and modules.
//
// One template, with the handle's "empty" value and its close function in a
// traits type. reset() keeps the calling thread's last error, so an owner that
// goes out of scope on an error path does not overwrite the code the caller is
// about to read.
#pragma once

#include <windows.h>

#include <utility>

namespace common {

template <class Traits>
class UniqueResource {
 public:
  using Value = typename Traits::Value;

  UniqueResource() noexcept = default;
  explicit UniqueResource(Value value) noexcept : value_(value) {}
  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;
  UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~UniqueResource() noexcept { reset(); }

  Value get() const noexcept { return value_; }
  explicit operator bool() const noexcept { return value_ != Traits::empty(); }

  Value release() noexcept { return std::exchange(value_, Traits::empty()); }

  void reset(Value value = Traits::empty()) noexcept {
    Value old = std::exchange(value_, value);
    if (old != Traits::empty()) {
      const DWORD lastError = GetLastError();
      Traits::close(old);
      SetLastError(lastError);
    }
  }

  // For APIs that return the handle through an out parameter.
  Value* put() noexcept {
    reset();
    return &value_;
  }

 private:
  Value value_ = Traits::empty();
};

struct HandleTraits {
  using Value = HANDLE;
  static Value empty() noexcept { return nullptr; }
  static void close(Value v) noexcept { ::CloseHandle(v); }
};

struct FileHandleTraits {
  using Value = HANDLE;
  static Value empty() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(Value v) noexcept { ::CloseHandle(v); }
};

struct ViewTraits {
  using Value = void*;
  static Value empty() noexcept { return nullptr; }
  static void close(Value v) noexcept { ::UnmapViewOfFile(v); }
};

struct ModuleTraits {
  using Value = HMODULE;
  static Value empty() noexcept { return nullptr; }
  static void close(Value v) noexcept { ::FreeLibrary(v); }
};

struct FindHandleTraits {
  using Value = HANDLE;
  static Value empty() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(Value v) noexcept { ::FindClose(v); }
};

struct LocalMemoryTraits {
  using Value = HLOCAL;
  static Value empty() noexcept { return nullptr; }
  static void close(Value v) noexcept { ::LocalFree(v); }
};

struct ServiceHandleTraits {
  using Value = SC_HANDLE;
  static Value empty() noexcept { return nullptr; }
  static void close(Value v) noexcept { ::CloseServiceHandle(v); }
};

struct RegistryKeyTraits {
  using Value = HKEY;
  static Value empty() noexcept { return nullptr; }
  static void close(Value v) noexcept { ::RegCloseKey(v); }
};

struct HeapMemoryTraits {
  using Value = void*;
  static Value empty() noexcept { return nullptr; }
  static void close(Value v) noexcept { ::HeapFree(::GetProcessHeap(), 0, v); }
};

struct GdiObjectTraits {
  using Value = HGDIOBJ;
  static Value empty() noexcept { return nullptr; }
  static void close(Value v) noexcept { ::DeleteObject(v); }
};

struct MemoryDcTraits {
  using Value = HDC;
  static Value empty() noexcept { return nullptr; }
  static void close(Value v) noexcept { ::DeleteDC(v); }
};

struct IconTraits {
  using Value = HICON;
  static Value empty() noexcept { return nullptr; }
  static void close(Value v) noexcept { ::DestroyIcon(v); }
};

using UniqueHandle = UniqueResource<HandleTraits>;          // NULL when empty
using UniqueFile = UniqueResource<FileHandleTraits>;        // INVALID_HANDLE_VALUE when empty
using UniqueView = UniqueResource<ViewTraits>;              // MapViewOfFile
using UniqueModule = UniqueResource<ModuleTraits>;          // LoadLibrary
using UniqueFindHandle = UniqueResource<FindHandleTraits>;  // FindFirstFile
using UniqueLocal = UniqueResource<LocalMemoryTraits>;      // LocalAlloc, CommandLineToArgvW
using UniqueServiceHandle = UniqueResource<ServiceHandleTraits>;  // OpenSCManager, CreateService
using UniqueHKey = UniqueResource<RegistryKeyTraits>;             // RegOpenKeyEx
using UniqueHeapMemory = UniqueResource<HeapMemoryTraits>;        // HeapAlloc on the process heap
using UniqueGdiObject = UniqueResource<GdiObjectTraits>;          // fonts, brushes, bitmaps
using UniqueMemoryDc = UniqueResource<MemoryDcTraits>;            // CreateCompatibleDC
using UniqueIcon = UniqueResource<IconTraits>;                    // LoadImage(IMAGE_ICON), CreateIconFromResourceEx

}  // namespace common
