# The portable code on Linux, under AddressSanitizer and UndefinedBehaviorSanitizer.
set(VEXORIN_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_compile_options(${VEXORIN_SANITIZE})
add_link_options(${VEXORIN_SANITIZE})

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${GOOGLETEST_SOURCE_DIR} googletest EXCLUDE_FROM_ALL)

add_subdirectory(tests/unit)
