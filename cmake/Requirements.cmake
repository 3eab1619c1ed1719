# Finds what the build needs and, when something is missing, says in one
# line which Debian package brings it (the leading space keeps CMake from
# wrapping the line).
function(drowsel_require found package what)
  if(NOT ${found})
    message(FATAL_ERROR " Missing ${what}: install the Debian package '${package}' (sudo apt-get install ${package})${ARGN}")
  endif()
endfunction()

set(CURSES_NEED_NCURSES TRUE)
set(CURSES_NEED_WIDE TRUE)
find_package(Curses QUIET)
drowsel_require(CURSES_FOUND libncurses-dev "ncursesw headers")

find_package(Iconv QUIET)
drowsel_require(Iconv_FOUND libc6-dev "iconv (glibc)")

if(DROWSEL_TESTS)
  find_package(GTest QUIET)
  drowsel_require(GTest_FOUND libgtest-dev "GoogleTest" ", or configure with -DDROWSEL_TESTS=OFF for the game alone")
endif()
if(DROWSEL_BENCHMARKS)
  find_package(benchmark QUIET)
  drowsel_require(benchmark_FOUND libbenchmark-dev "Google Benchmark")
endif()
