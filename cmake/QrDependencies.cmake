# Every outside library the build uses, looked up once here; the folders link the imported
# targets by these names. The game and its data need only the first group. GoogleTest and the
# X client library come in with the test suites; the benchmarks' peers (Boehm GC, SDL2) are
# optional, and a benchmark whose peer is missing is left out.
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)

# The game and the data generator.
find_package(OpenGL REQUIRED)                                               # OpenGL::GL
pkg_check_modules(QR_GLFW3 REQUIRED IMPORTED_TARGET glfw3)                  # PkgConfig::QR_GLFW3
pkg_check_modules(QR_OPENAL REQUIRED IMPORTED_TARGET openal)                # PkgConfig::QR_OPENAL
pkg_check_modules(QR_STB REQUIRED IMPORTED_TARGET stb)                      # PkgConfig::QR_STB
pkg_check_modules(QR_VORBISENC REQUIRED IMPORTED_TARGET vorbisenc vorbis ogg)  # PkgConfig::QR_VORBISENC

# The test suites: GoogleTest, and Xlib for the window tests and the journeys.
if(BUILD_TESTING)
  find_package(GTest REQUIRED)
  include(GoogleTest)
  pkg_check_modules(QR_X11 REQUIRED IMPORTED_TARGET x11)                    # PkgConfig::QR_X11
elseif(QR_BUILD_BENCHMARKS)
  pkg_check_modules(QR_X11 IMPORTED_TARGET x11)
endif()

# The benchmarks' peers.
if(QR_BUILD_BENCHMARKS)
  pkg_check_modules(QR_BDWGC IMPORTED_TARGET bdw-gc)                        # PkgConfig::QR_BDWGC
  pkg_check_modules(QR_SDL2 IMPORTED_TARGET sdl2)                           # PkgConfig::QR_SDL2
endif()
