# The 32-bit build of the serial library (tolk32) on a 64-bit Debian host:
# the same compilers with -m32 (g++-multilib). The kernels of our machines do
# not run i386 programs directly, so tests run under qemu-i386 (qemu-user);
# declaring a cross build makes CTest and gtest_discover_tests put the
# emulator in front of every test program.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT -m32)
set(CMAKE_CXX_FLAGS_INIT -m32)
set(CMAKE_EXE_LINKER_FLAGS_INIT -m32)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -m32)
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
find_program(KVR_QEMU_I386 qemu-i386 REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${KVR_QEMU_I386})
