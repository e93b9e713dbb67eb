# Include-scan tests: the sources must keep to their floors, and the scanner
# must notice when a file reaches up or pulls Qt in where it does not belong.
set(layers_scripts "${CMAKE_CURRENT_LIST_DIR}")

add_test(NAME layers.scan
         COMMAND "${CMAKE_COMMAND}" "-DROOT=${PROJECT_SOURCE_DIR}" -P "${layers_scripts}/CheckLayers.cmake")

# Adds `line` to a copy of `file` and expects the scan to report it.
function(zpk_layers_violation name file line)
  add_test(NAME layers.${name}
           COMMAND "${CMAKE_COMMAND}"
                   "-DROOT=${PROJECT_SOURCE_DIR}"
                   "-DWORK=${CMAKE_BINARY_DIR}/layers/${name}"
                   "-DFILE=${file}"
                   "-DLINE=${line}"
                   -P "${layers_scripts}/CheckViolation.cmake")
endfunction()

zpk_layers_violation(window_uses_cli  src/window/MainWindow.cpp "#include \"cli/Commands.h\"")
zpk_layers_violation(decode_uses_draw src/decode/Decoder.cpp    "#include \"draw/Draw.h\"")
zpk_layers_violation(decode_uses_qt   src/decode/Decoder.h      "#include <QString>")

add_test(NAME layers.documented
         COMMAND "${CMAKE_COMMAND}" "-DROOT=${PROJECT_SOURCE_DIR}" -P "${layers_scripts}/CheckFloorDocs.cmake")
