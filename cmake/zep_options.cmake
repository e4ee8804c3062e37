# One interface target carries the language level, warnings and Qt defines.
add_library(zep_options INTERFACE)
target_compile_features(zep_options INTERFACE cxx_std_20)
target_compile_options(zep_options INTERFACE -Wall -Wextra -Wpedantic)
target_compile_definitions(zep_options INTERFACE
  QT_NO_KEYWORDS
  QT_NO_CAST_FROM_BYTEARRAY
  QT_DISABLE_DEPRECATED_UP_TO=0x060000
  ZEP_VERSION="${PROJECT_VERSION}")
if(ZEP_TSAN)
  target_compile_options(zep_options INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(zep_options INTERFACE -fsanitize=thread)
endif()
if(ZEP_ASAN)
  target_compile_options(zep_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer)
  target_link_options(zep_options INTERFACE -fsanitize=address,undefined)
endif()
