// Imports that are bound when they are first called, not when the program starts.
//
// A program calls a DLL function through its import slot, the pointer the
// compiler names `__imp_Name` (`__imp__Name@N` with i686's stdcall decoration)
// and the loader fills at start-up from the import library. A lazy import is
// that slot defined by the program itself instead, holding at first a
// function of the same signature that loads the DLL from the system folder,
// looks the function up, stores it in the slot and calls it: from then on
// the call costs what a plain import costs, and nothing of the DLL is loaded
// before it is needed. The calling code is unchanged (it includes the SDK's
// header and calls the function by name); the program simply does not link
// the DLL's import library.
//
// This replaces the toolchain's delay-load libraries (dlltool
// --output-delaylib), whose import slots the i686 linker leaves empty: the
// first call jumped to address 0.
//
// A DLL or function that cannot be had is not an exception, as it is for
// delay-loading: the call returns the failure value given with the import,
// with the loader's error as the thread's last error, and the next call tries
// again. Any thread may make the first call; two threads that race store the
// same address.
//
//   TAVARO_LAZY_IMPORT(L"wininet.dll", InternetOpenW, 20, nullptr);
//
// names the DLL, the function, the bytes of its arguments on an i686 stack
// (the number after '@' in the import library's name: a wrong one leaves the
// call unresolved at link time) and the value that reports failure.
#pragma once

#include <windows.h>

namespace common {

// The function `name` of the system DLL `dll`, loaded from the system folder
// (never from the program's folder or the current one); null with the
// thread's last error set when either cannot be had.
FARPROC resolveSystemFunction(const wchar_t* dll, const char* name) noexcept;

template <typename Function>
struct LazyImport;

template <typename Result, typename... Arguments>
struct LazyImport<Result(WINAPI*)(Arguments...)> {
  using Function = Result(WINAPI*)(Arguments...);

  // What the slot holds until the first call has bound it.
  template <Function* slot, const wchar_t* dll, const char* name, Result failure>
  static Result WINAPI firstCall(Arguments... arguments) {
    const auto bound = reinterpret_cast<Function>(reinterpret_cast<void*>(resolveSystemFunction(dll, name)));
    if (bound == nullptr) return failure;
    // The compiler's calls load the slot without C++ atomics; an aligned
    // pointer store is seen whole by them.
    __atomic_store_n(slot, bound, __ATOMIC_RELEASE);
    return bound(arguments...);
  }
};

}  // namespace common

#if defined(_WIN64)
#define TAVARO_IMPORT_SLOT_NAME(function, stack_bytes) "__imp_" #function
#else
#define TAVARO_IMPORT_SLOT_NAME(function, stack_bytes) "__imp__" #function "@" #stack_bytes
#endif

#define TAVARO_LAZY_IMPORT(dll, function, stack_bytes, failure)                                                 \
  namespace tavaro_lazy_import {                                                                                \
  constexpr wchar_t function##_dll[] = dll;                                                                     \
  constexpr char function##_name[] = #function;                                                                 \
  extern "C" decltype(&::function) function##_slot __asm__(TAVARO_IMPORT_SLOT_NAME(function, stack_bytes));     \
  decltype(&::function) function##_slot =                                                                       \
      ::common::LazyImport<decltype(&::function)>::firstCall<&function##_slot, function##_dll, function##_name, \
                                                             failure>;                                          \
  }
