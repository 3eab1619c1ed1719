# The browser build (Emscripten): the same game code with the browser
# terminal, linked into a folder of static files, page/, that any static web
# server can serve. The terminal build's CP932 conversions use iconv, which
# the browser's C library lacks; the browser's (text/table/) use tables
# generated here by a small host program from the build machine's iconv.
find_program(DROWSEL_HOST_CXX NAMES c++ g++ clang++)
if(NOT DROWSEL_HOST_CXX)
  message(FATAL_ERROR "Missing a host C++ compiler for the CP932 tables: install the Debian package 'g++'")
endif()

set(generated ${CMAKE_BINARY_DIR}/generated)
file(MAKE_DIRECTORY ${generated})
add_custom_command(
  OUTPUT ${generated}/cp932_table.cpp
  COMMAND ${DROWSEL_HOST_CXX} -std=c++20 -O1 -I${CMAKE_SOURCE_DIR}/src
          -o ${generated}/cp932_table_gen ${CMAKE_SOURCE_DIR}/tools/cp932_table.cpp
  COMMAND ${generated}/cp932_table_gen ${generated}/cp932_table.cpp
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/cp932_table.cpp ${CMAKE_SOURCE_DIR}/src/text/table/cp932_table.h
  COMMENT "Generating the CP932 tables from the host's iconv"
  VERBATIM)

# The game's folders, the browser backend and its program.
set(web_globs)
foreach(dir game world creatures screen text text/table backends/browser)
  list(APPEND web_globs src/${dir}/*.cpp)
endforeach()
file(GLOB web_sources CONFIGURE_DEPENDS ${web_globs})
# The checks of the rules of play serve the tests, the soak, the fuzzers and
# the benchmarks; the page never runs them.
list(REMOVE_ITEM web_sources ${CMAKE_SOURCE_DIR}/src/game/invariants.cpp)

# The recordings whole: recording/ holds no file on disk and no renderer.
file(GLOB web_recording_sources CONFIGURE_DEPENDS src/recording/*.cpp)

set(page ${CMAKE_BINARY_DIR}/page)
add_executable(drowsel_web
  ${web_sources}
  ${web_recording_sources}
  src/programs/web_main.cpp
  ${generated}/cp932_table.cpp)
target_include_directories(drowsel_web PRIVATE src ${generated})
target_compile_options(drowsel_web PRIVATE -Os)
# Asyncify lets the game's blocking key read and sleep wait for the page.
target_link_options(drowsel_web PRIVATE
  -Os
  -sASYNCIFY
  "-sASYNCIFY_IMPORTS=['__asyncjs__page_next_key','__asyncjs__page_next_key_within','__asyncjs__page_replay_length','__asyncjs__page_stay','emscripten_sleep']"
  -sASYNCIFY_STACK_SIZE=16384
  -sENVIRONMENT=web
  -sFILESYSTEM=0
  -sALLOW_MEMORY_GROWTH=1)
set_target_properties(drowsel_web PROPERTIES
  OUTPUT_NAME game
  SUFFIX .js
  RUNTIME_OUTPUT_DIRECTORY ${page})
# The optimizer of Debian's emscripten needs Debian's node modules.
set_property(TARGET drowsel_web PROPERTY CXX_LINKER_LAUNCHER
  ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)

# The page's own files beside the program.
set(page_files index.html page.js bridge.js keys.js kept.js layout.js palette.js reading.js recordings.js
  runs.js screen.js touch.js offline.js style.css manifest.webmanifest)
foreach(file ${page_files})
  configure_file(web/${file} ${page}/${file} COPYONLY)
endforeach()

# Made at build time: the manifest's icons, the page's Japanese font (a
# subset of a Debian font; without one the page uses the machine's fonts)
# and the service worker, its cache named after a hash of the page's files.
# Debian's python3 first: its fontTools makes the font.
find_program(DROWSEL_PYTHON NAMES python3 HINTS /usr/bin)
if(NOT DROWSEL_PYTHON)
  message(FATAL_ERROR "Missing python3 for the page's icons and service worker: install the Debian package 'python3'")
endif()
set(page_source_files ${page_files})
list(TRANSFORM page_source_files PREPEND ${CMAKE_SOURCE_DIR}/web/)
file(GLOB_RECURSE game_text_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*.cpp ${CMAKE_SOURCE_DIR}/src/*.h)
add_custom_command(
  OUTPUT ${page}/sw.js ${page}/icon-192.png ${page}/icon-512.png
  COMMAND ${DROWSEL_PYTHON} ${CMAKE_SOURCE_DIR}/tools/page_assets.py
          --source ${CMAKE_SOURCE_DIR} --page ${page}
  DEPENDS drowsel_web ${CMAKE_SOURCE_DIR}/tools/page_assets.py ${CMAKE_SOURCE_DIR}/web/sw.js
          ${page_source_files} ${game_text_sources}
  COMMENT "Making the page's icons, font and service worker"
  VERBATIM)
add_custom_target(drowsel_page ALL DEPENDS ${page}/sw.js)
