#!/usr/bin/env bash
# The code's layout and its static checks, over every C++ file of the project.
# Usage: lint.sh format|tidy SOURCE_DIR BUILD_DIR (the latter with
# compile_commands.json).
set -u
what=$1
source_dir=$2
build_dir=$3
mapfile -t files < <(find "$source_dir/src" "$source_dir/tests" "$source_dir/bench" -name '*.cpp' -o -name '*.h' | sort)
case "$what" in
format)
    clang-format --dry-run --Werror "${files[@]}"
    ;;
tidy)
    # Headers are checked through the files that include them.
    printf '%s\n' "${files[@]}" | grep '\.cpp$' | xargs -P "$(nproc)" -n 1 clang-tidy -p "$build_dir" --quiet
    ;;
*)
    echo "usage: lint.sh format|tidy SOURCE_DIR BUILD_DIR" >&2
    exit 2
    ;;
esac
