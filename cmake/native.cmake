# Platform-free parts of the program built for the host with the sanitizers,
# and their tests. Everything here must compile without <windows.h>.
find_package(GTest REQUIRED)
set(SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
set(RINGLOCK_PURE_SOURCES
  ${PROJECT_SOURCE_DIR}/answer/CallTexts.cpp
  ${PROJECT_SOURCE_DIR}/history/CallLog.cpp
  ${PROJECT_SOURCE_DIR}/settings/SettingsFormat.cpp
  ${PROJECT_SOURCE_DIR}/ui/LayoutMath.cpp)
file(GLOB NATIVE_TEST_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/logic/*.cpp)
add_executable(test_native ${RINGLOCK_PURE_SOURCES} ${NATIVE_TEST_SOURCES})
ringlock_strict(test_native)
target_compile_options(test_native PRIVATE ${SANITIZE})
target_link_options(test_native PRIVATE ${SANITIZE})
target_link_libraries(test_native PRIVATE GTest::gtest_main)
add_test(NAME native COMMAND test_native)
