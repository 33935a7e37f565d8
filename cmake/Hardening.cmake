# SPDX-License-Identifier: GPL-3.0-or-later
# The hardening Debian builds its packages with: position-independent executables, stack protector,
# fortified libc calls (they need optimisation, so not in Debug) and a read-only relocation table bound at
# start.
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
include(CheckPIESupported)
check_pie_supported()
add_compile_options(-fstack-protector-strong $<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>)
add_link_options(-Wl,-z,relro -Wl,-z,now)
