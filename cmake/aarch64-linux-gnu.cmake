# Cross-compiles for 64-bit ARM Linux with Debian's cross compiler (g++-aarch64-linux-gnu) and
# the arm64 libraries that multiarch installs beside the host's (scripts/install-deps.sh arm64):
#   cmake -S . -B build-arm64 --toolchain cmake/aarch64-linux-gnu.cmake
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)

# With multiarch the target's files live in the host's own tree, not in a separate sysroot:
# libraries in /usr/lib/aarch64-linux-gnu, headers in /usr/include, the same for every
# architecture. So the search keeps the host's prefixes, and the library architecture is what
# steers find_library and find_package to the arm64 directories rather than the x86-64 ones.
# nlohmann-json's package file is in /usr/share and found as it is natively; utfcpp's is in the
# x86-64 directory, so CMakeLists.txt finds its header instead.
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
# Tools found at configure time run here, on the host.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
