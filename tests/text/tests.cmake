# The default-font test renders its own reference with FreeType; the font
# tool test runs the tool.
pkg_check_modules(TEXT_TEST_FREETYPE REQUIRED IMPORTED_TARGET freetype2)
target_link_libraries(test_text_default_font PRIVATE PkgConfig::TEXT_TEST_FREETYPE)
target_link_libraries(test_text_fontgen PRIVATE PkgConfig::TEXT_TEST_FREETYPE)
target_compile_definitions(test_text_fontgen PRIVATE FONTGEN_BINARY="$<TARGET_FILE:fontgen>")
add_dependencies(test_text_fontgen fontgen)
