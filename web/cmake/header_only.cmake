# SPDX-License-Identifier: MIT
# The core's libraries, header-only, for a compiler that must not see the build machine's own
# headers or libraries: each package's directory of headers is linked into one folder of the
# build, and the targets the core links are plain interface targets over it. Threads: none.
set(hcci_header_root ${CMAKE_BINARY_DIR}/header-only)
file(MAKE_DIRECTORY ${hcci_header_root})
foreach(dir toml++ fmt fast_float)
  if(NOT EXISTS /usr/include/${dir})
    message(FATAL_ERROR "/usr/include/${dir} is missing: scripts/install-deps.sh installs it")
  endif()
  file(CREATE_LINK /usr/include/${dir} ${hcci_header_root}/${dir} SYMBOLIC)
endforeach()

add_library(tomlplusplus::tomlplusplus INTERFACE IMPORTED)
set_target_properties(tomlplusplus::tomlplusplus PROPERTIES
  INTERFACE_INCLUDE_DIRECTORIES ${hcci_header_root}
  INTERFACE_COMPILE_DEFINITIONS TOML_HEADER_ONLY=1)
add_library(fmt::fmt-header-only INTERFACE IMPORTED)
set_target_properties(fmt::fmt-header-only PROPERTIES
  INTERFACE_INCLUDE_DIRECTORIES ${hcci_header_root}
  INTERFACE_COMPILE_DEFINITIONS FMT_HEADER_ONLY=1)
add_library(FastFloat::fast_float INTERFACE IMPORTED)
set_target_properties(FastFloat::fast_float PROPERTIES
  INTERFACE_INCLUDE_DIRECTORIES ${hcci_header_root})
add_library(Threads::Threads INTERFACE IMPORTED)

# find_package() of each is then answered by the targets above.
foreach(package tomlplusplus fmt FastFloat Threads)
  set(${package}_FOUND TRUE)
endforeach()
macro(find_package name)
  if(NOT "${name}" MATCHES "^(tomlplusplus|fmt|FastFloat|Threads)$")
    _find_package(${ARGV})
  endif()
endmacro()
