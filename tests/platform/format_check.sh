#!/bin/sh
# Fails when a file of the program code is not as .clang-format lays it out; skipped (77) without
# clang-format. SOURCE_DIR is the repository's top folder.
SOURCE_DIR=$1
command -v clang-format >/dev/null 2>&1 || { echo "clang-format is not installed"; exit 77; }
cd "$SOURCE_DIR" || exit 1
find model platform settings qt_backend resources symbol host interleaver design_files design simulation \
    synthesis tarnwick core_model tools -name '*.cpp' -o -name '*.h' | sort | xargs clang-format --dry-run -Werror
