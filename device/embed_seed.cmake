# Turns the registry seed into a C++ header so the default image needs no file at run time.
file(READ "${INPUT}" SEED)
file(WRITE "${OUTPUT}" "// Generated from device/registry_seed.reg by device/embed_seed.cmake.\n#pragma once\ninline constexpr const char* kRegistrySeed = R\"seed(${SEED})seed\";\n")
