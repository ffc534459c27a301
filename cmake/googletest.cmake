# GoogleTest is built from Debian's sources with each toolchain (and with the sanitizers when they are on).
set(TAVARO_GOOGLETEST_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
# GoogleTest does not build cleanly with our warning set.
set(_tavaro_saved_options "${CMAKE_CXX_FLAGS}")
add_subdirectory(${TAVARO_GOOGLETEST_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
foreach(t gtest gtest_main gmock gmock_main)
  if(TARGET ${t})
    target_compile_options(${t} PRIVATE -Wno-error -w)
  endif()
endforeach()
