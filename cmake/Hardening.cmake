# SPDX-License-Identifier: GPL-3.0-or-later
# The hardening Debian builds its packages with: position-independent executables, stack protector,
# fortified libc calls (they need optimisation, so not in Debug) and a read-only relocation table bound at
# start.
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
include(CheckPIESupported)
check_pie_supported()
add_compile_options(-fstack-protector-strong $<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>)
if(WIN32)
  # The PE linker's counterparts: address space layout randomisation (64-bit, relocatable) and no-execute
  # data; the stack protector's runtime (libssp) is linked in.
  add_link_options(-fstack-protector-strong -Wl,--dynamicbase -Wl,--high-entropy-va -Wl,--nxcompat)
else()
  add_link_options(-Wl,-z,relro -Wl,-z,now)
endif()
