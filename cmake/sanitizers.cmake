# Applies the sanitizer chosen with BENCHBRIDGE_SANITIZE to every target of the build.
if(BENCHBRIDGE_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
elseif(BENCHBRIDGE_SANITIZE STREQUAL "thread")
  # Asio fences its handler memory with atomic_thread_fence, which TSan does not model, and GCC
  # says so (-Wtsan) in every file that includes Asio: a remark about Asio's insides, not a fault
  # of ours, so the warnings-as-errors build must not stop on it.
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    add_compile_options(-Wno-tsan)
  endif()
  add_link_options(-fsanitize=thread)
elseif(NOT BENCHBRIDGE_SANITIZE STREQUAL "")
  message(FATAL_ERROR "BENCHBRIDGE_SANITIZE must be empty, address or thread")
endif()

# The fuzzing build instruments every library for coverage and checks memory as it goes.
if(BENCHBRIDGE_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "BENCHBRIDGE_FUZZ needs clang (-DCMAKE_CXX_COMPILER=clang++)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
