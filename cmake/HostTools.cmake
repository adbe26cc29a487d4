# The Windows build needs native build-time tools (the widget packager, and for
# its tests the simulated television and the native bridge). It builds them
# itself from this same tree, so that configuring and building the Windows
# preset alone gives a complete installer.
include(ExternalProject)
set(HOST_TOOLS_DIR ${CMAKE_BINARY_DIR}/host-tools)
set(HOST_BIN ${HOST_TOOLS_DIR}/bin)
ExternalProject_Add(host_tools
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${HOST_TOOLS_DIR}
    CMAKE_ARGS -DHOST_TOOLS_ONLY=ON -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=Release
               -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS ${HOST_BIN}/wgt ${HOST_BIN}/tvsim ${HOST_BIN}/tvbridge
    USES_TERMINAL_BUILD ON)
