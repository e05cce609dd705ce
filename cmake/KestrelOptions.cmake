# One interface target carries the language level, warnings and Qt defines of every target.
add_library(kestrel_options INTERFACE)
target_compile_features(kestrel_options INTERFACE cxx_std_20)
target_compile_options(kestrel_options INTERFACE -Wall -Wextra -Wpedantic)
target_compile_definitions(kestrel_options INTERFACE
    QT_NO_CAST_TO_ASCII
    QT_NO_URL_CAST_FROM_STRING
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_NO_FOREACH
    QT_USE_QSTRINGBUILDER
    KESTREL_VERSION="${PROJECT_VERSION}")

if(KESTREL_SANITIZE)
    target_compile_options(kestrel_options INTERFACE
        -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(kestrel_options INTERFACE -fsanitize=address,undefined)
endif()

# Coverage feedback for the fuzz targets (clang only); the targets themselves link libFuzzer.
if(KESTREL_FUZZ)
    target_compile_options(kestrel_options INTERFACE -fsanitize=fuzzer-no-link)
    target_link_options(kestrel_options INTERFACE -fsanitize=fuzzer-no-link)
endif()
