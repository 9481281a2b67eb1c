#!/usr/bin/env bash
# A man page must format without warnings and name every option that the
# program's own --help text names, so that the two stay in step.
#   man_page_check.sh PAGE PROGRAM [COMMAND...]
# With COMMANDs, each "PROGRAM COMMAND --help" is read as well.
set -euo pipefail
page=$1 program=$2
shift 2

warnings=$(LC_ALL=C.UTF-8 groff -man -ww -z "$page" 2>&1)
[ -z "$warnings" ] || { echo "FAIL: groff warns about $page:" >&2; echo "$warnings" >&2; exit 1; }

help=$(env -u DISPLAY -u WAYLAND_DISPLAY "$program" --help)
for command in "$@"; do
    help+=$'\n'$(env -u DISPLAY -u WAYLAND_DISPLAY "$program" "$command" --help 2>&1 || true)
done
options=$(grep -o -- '--[a-z0-9][a-z0-9-]*' <<<"$help" | sort -u)
[ -n "$options" ] || { echo "FAIL: $program --help names no options" >&2; exit 1; }

# In man source a minus is written \-.
text=$(sed 's/\\-/-/g' "$page")
missing=()
for option in $options; do
    grep -q -E -e "${option}([^a-z0-9-]|\$)" <<<"$text" || missing+=("$option")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "FAIL: $page does not document: ${missing[*]}" >&2
    exit 1
fi
echo "$page documents all $(wc -w <<<"$options") options of $(basename "$program")"
