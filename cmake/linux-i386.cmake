# Build for 32-bit x86 Linux with the host's g++ (Debian's g++-multilib), run under qemu's user mode:
# the host's tests on the word size of the program that ships. File offsets and times stay 64-bit,
# so that the word size is all that differs from the host build.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT "-m32 -D_FILE_OFFSET_BITS=64 -D_TIME_BITS=64")
set(CMAKE_CXX_FLAGS_INIT "-m32 -D_FILE_OFFSET_BITS=64 -D_TIME_BITS=64")
# Where the kernel runs no 32-bit code (and no binfmt_misc handler hands it to qemu), ctest and the
# test discovery at build time run the programs through qemu themselves.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-i386-static)
