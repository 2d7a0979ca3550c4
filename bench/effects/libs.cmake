target_link_libraries(bench_effects PRIVATE effects_ops)
target_compile_definitions(bench_effects PRIVATE ZELPIX_SAMPLES_DIR="${ZELPIX_SAMPLES_DIR}")
