# Compiler flags shared by every target of the project.

# Reals must give the same bits as the games expect: no fused multiply-add, no fast-math.
add_compile_options(-ffp-contract=off -fno-fast-math)
add_compile_options(-Wall -Wextra -Wno-unused-parameter)
if(QV_WERROR)
  add_compile_options(-Werror)
endif()

if(QV_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
  add_compile_definitions(QV_SANITIZED=1)
endif()

if(QV_FUZZ)
  # The engine is instrumented for coverage; only the fuzz targets link libFuzzer's main.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# Rebuilds across several work trees of the project share compiled objects when ccache is there.
find_program(QV_CCACHE ccache)
if(QV_CCACHE)
  set(CMAKE_C_COMPILER_LAUNCHER "${QV_CCACHE}")
  set(CMAKE_CXX_COMPILER_LAUNCHER "${QV_CCACHE}")
endif()
