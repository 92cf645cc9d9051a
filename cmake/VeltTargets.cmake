# Compiler settings shared by every target of our own.

if(VELT_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -g)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
endif()
if(VELT_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "VELT_FUZZ needs clang (libFuzzer): -DCMAKE_CXX_COMPILER=clang++")
  endif()
  # The libraries get the coverage hooks; only the fuzz targets link libFuzzer's main.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer -g)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
endif()
if(VELT_TSAN)
  add_compile_options(-fsanitize=thread -g -O1)
  add_link_options(-fsanitize=thread)
endif()

# Our own code builds warning-free; third-party headers are included as system headers.
function(velt_warnings target)
  if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  endif()
  # g++ 12 reports out-of-bounds and overlap on plain std::vector/std::string inserts at -O2
  # (its bugs 105329, 105651); those three stay warnings so they cannot fail the build.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE
      -Wno-error=array-bounds -Wno-error=restrict -Wno-error=stringop-overflow)
  endif()
  # The warning set is g++'s; clang's other opinions must not stop a fuzz build.
  if(VELT_FUZZ)
    target_compile_options(${target} PRIVATE -Wno-error)
  endif()
endfunction()

# Sources include one another from the root ("crypto/hex.h", "engine/encrypt.h"), but a layer
# sees only its own folder and those of the layers it links: each layer's include directory in
# the build tree holds a single symbolic link, named after the layer, to its source folder. A
# layer including a layer above it then fails to compile. Tests and tools see the whole tree.
function(velt_layer_includes target folder)
  set(root ${PROJECT_BINARY_DIR}/include/${target})
  get_filename_component(parent ${root}/${folder} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  target_include_directories(${target} PUBLIC ${root})
endfunction()

# One library per layer folder: velt_add_library(velt_crypto SOURCES ... DEPS ...). The folder
# that becomes visible to the layers above is the one of the calling CMakeLists.txt.
function(velt_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  if(folder MATCHES "^tests(/|$)")
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  else()
    velt_layer_includes(${name} ${folder})
  endif()
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
  velt_warnings(${name})
endfunction()
