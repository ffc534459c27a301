# One product version for every deliverable and the installer: the project's
# VERSION (top-level CMakeLists.txt), written into each program's version
# resource and passed to makensis.
set(TAVARO_PRODUCT "Tavaro")
set(TAVARO_COMPANY "Tavaro")
set(TAVARO_COPYRIGHT "Copyright (C) 2026 Tavaro")
set(TAVARO_VERSION_QUAD ${PROJECT_VERSION}.0)

# Adds a version resource to `target` with its description.
function(tavaro_version_resource target description)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "SHARED_LIBRARY")
    set(version_file_type VFT_DLL)
    set(version_file_name ${target}.dll)
  else()
    set(version_file_type VFT_APP)
    set(version_file_name ${target}.exe)
  endif()
  set(version_description "${description}")
  set(version_internal_name ${target})
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
