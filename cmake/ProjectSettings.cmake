# Compile settings shared by every target of the tree. Every target that
# compiles code links msgdesk_settings PRIVATE (a static library passes it
# on to the link of its users as a link-only dependency) instead of setting
# flags of its own.
add_library(msgdesk_settings INTERFACE)
target_compile_features(msgdesk_settings INTERFACE cxx_std_17)
target_compile_definitions(msgdesk_settings INTERFACE
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_DISABLE_DEPRECATED_UP_TO=0x060000
    QT_NO_FOREACH
)
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(msgdesk_settings INTERFACE -Wall -Wextra -Wpedantic -Wno-reserved-identifier)
    # QtTest's QSKIP(message) leaves the macro's variadic part empty, which
    # clang's pedantic mode reports in every test that skips.
    if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        target_compile_options(msgdesk_settings INTERFACE -Wno-gnu-zero-variadic-macro-arguments)
    endif()
    if(MSGDESK_WERROR)
        target_compile_options(msgdesk_settings INTERFACE -Werror)
    endif()
elseif(MSVC)
    target_compile_options(msgdesk_settings INTERFACE /W4 /utf-8)
endif()

# Registers one QtTest program with CTest. Tests run offscreen, in a fixed
# time zone and locale, with a throw-away HOME so no user folder is touched.
function(msgdesk_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE msgdesk_settings Qt6::Test ${ARG_LIBS})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    # The wrapper gives every run an empty HOME of its own inside the build folder.
    add_test(NAME ${name}
        COMMAND ${CMAKE_COMMAND} -DTEST_PROGRAM=$<TARGET_FILE:${name}>
                -DTEST_HOME=${CMAKE_BINARY_DIR}/test-homes/${name}
                -P ${PROJECT_SOURCE_DIR}/cmake/RunTest.cmake)
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TZ=Asia/Shanghai;LC_ALL=C.UTF-8;LANG=C.UTF-8;MSGDESK_TEST_DATA=${PROJECT_SOURCE_DIR}/schemas;LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/cmake/lsan.supp:print_suppressions=0"
        TIMEOUT 300)
endfunction()

# AddressSanitizer and UndefinedBehaviorSanitizer over the whole tree (the
# "asan" preset), carried by msgdesk_settings like every other setting, so
# every target that links it is built and linked with them. Every finding
# stops the program, so a test that meets one fails. With clang, code also
# carries the fuzzers' coverage hooks, so that the fuzz targets of the same
# build are guided by the libraries' code.
if(MSGDESK_SANITIZE)
    target_compile_options(msgdesk_settings INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        target_compile_options(msgdesk_settings INTERFACE -fsanitize=fuzzer-no-link)
    endif()
    target_link_options(msgdesk_settings INTERFACE -fsanitize=address,undefined)
endif()
