target_link_libraries(bench_${name} PRIVATE document_ops Qt6::Gui)
