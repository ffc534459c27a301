# Objects shared between clones of the tree on one machine (cmake/ccache-compile).
find_program(TAVARO_CCACHE ccache)
if(TAVARO_CCACHE)
  set(CMAKE_C_COMPILER_LAUNCHER "${CMAKE_SOURCE_DIR}/cmake/ccache-compile")
  set(CMAKE_CXX_COMPILER_LAUNCHER "${CMAKE_SOURCE_DIR}/cmake/ccache-compile")
endif()

# Flags every target of the project shares: warnings are errors everywhere.
add_compile_options(-Wall -Wextra -Wpedantic -Werror -Wshadow -Wconversion -Wno-sign-conversion)
# GCC 12 reports impossible overlaps in inlined std::string copies at -O2 and
# above (GCC bug 105329); the warning says nothing about our code there.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  add_compile_options(-Wno-restrict)
endif()

if(WIN32)
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
  # Everything static: no MinGW runtime DLLs to ship beside the programs.
  add_link_options(-static -static-libgcc -static-libstdc++)
  # Sections at page-aligned offsets in the file: Wine then maps an image
  # straight from the file, where with the linker's 512-byte default it reads
  # the whole image into fresh memory at every start (the updater's 2.7 MB,
  # the runtime libraries' debug sections included, which Release drops).
  add_link_options(-Wl,--file-alignment=0x1000 $<$<CONFIG:Release>:-s>)
  # All programs side by side, as they are installed.
  set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  # Our own Wine runner starts every Windows test program; the 32-bit build's
  # run through Wine's WoW64 layer, in a prefix of their own (tools/wine-env).
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(CMAKE_CROSSCOMPILING_EMULATOR env TAVARO_WOW64=1 "${CMAKE_SOURCE_DIR}/cmake/wine-run")
  else()
    set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_SOURCE_DIR}/cmake/wine-run")
  endif()
endif()

if(TAVARO_BUILD_FUZZ)
  # Every library is instrumented for coverage; the targets link the fuzzer's main.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

if(TAVARO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()


# A GoogleTest program: tavaro_add_gtest(name SOURCES ... LIBS ...). Under Wine
# the tests are discovered when ctest runs, inside the test session.
function(tavaro_add_gtest name)
  if(NOT TAVARO_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main GTest::gmock)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 PROPERTIES ${ARG_PROPERTIES})
endfunction()
