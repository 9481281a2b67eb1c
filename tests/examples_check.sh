#!/usr/bin/env bash
# The files in examples/ must be what scripts/make-examples makes today: it
# makes them again into a folder of its own and compares each with the one in
# examples/ by kind and shape (header lines, columns, row counts), not by
# value, since every run of the simulator and the clock differ.
#   examples_check.sh SOURCE_DIR BUILD_DIR
# A failure names the file and the difference; `scripts/make-examples` brings
# examples/ up to date.
set -euo pipefail
top=$1 build=$2
kvrtool="$build/tools/kvrtool/kvrtool"
committed="$top/examples"

# The programs run here must not see the user's port settings.
for name in $(compgen -e); do
    case $name in TOLK_TEST_*) ;; TOLK_*) unset "$name" ;; esac
done
export XDG_CONFIG_HOME=/nonexistent/kvr-examples-test

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fresh="$work/examples"
"$top/scripts/make-examples" --no-build --out "$fresh" "$build" >"$work/make.log" 2>&1 ||
    { cat "$work/make.log" >&2; echo "FAIL: scripts/make-examples failed" >&2; exit 1; }

failures=0
fail() {
    echo "FAIL: examples/$*" >&2
    failures=$((failures + 1))
}

# The same files, no more and no fewer.
diff <(cd "$committed" && ls) <(cd "$fresh" && ls) >"$work/files.diff" ||
    fail "holds other files than scripts/make-examples makes (< examples/, > made now):
$(cat "$work/files.diff")"

# Rows between a third and three times the committed count: the runs are
# timed, and a loaded machine polls fewer records.
rows_alike() {
    local file=$1 old=$2 new=$3
    if [ "$new" -lt $((old / 3)) ] || [ "$new" -gt $((old * 3)) ]; then
        fail "$file: $old rows, made now $new"
    fi
}

# The distinct field counts of FILE's lines from line FIRST on, split at SEP.
field_counts() {
    awk -F "$2" -v first="$3" 'NR >= first { print NF }' "$1" | sort -u | tr '\n' ' '
}

# CSV: the same header line, every row as wide as it, a like number of rows.
check_csv() {
    local name=$1 old=$2 new=$3
    [ "$(head -n 1 "$old")" = "$(head -n 1 "$new")" ] ||
        fail "$name: header is
  $(head -n 1 "$old")
made now
  $(head -n 1 "$new")"
    local width
    width=$(head -n 1 "$new" | awk -F, '{ print NF }')
    for f in "$old" "$new"; do
        [ "$(field_counts "$f" , 2)" = "$width " ] ||
            fail "$name: rows of $(field_counts "$f" , 2)fields in $f, the header has $width"
    done
    rows_alike "$name" $(($(wc -l <"$old") - 1)) $(($(wc -l <"$new") - 1))
}

# MSL: the same quoted header lines (up to their values where they have
# them: dates differ), names row and units row; every data row as wide as
# the names; a like number of rows.
check_msl() {
    local name=$1 old=$2 new=$3
    local header_old header_new
    header_old=$(grep '^"' "$old" | sed 's/:.*/:/')
    header_new=$(grep '^"' "$new" | sed 's/:.*/:/')
    [ "$header_old" = "$header_new" ] || fail "$name: header lines are
$header_old
made now
$header_new"
    local quoted
    quoted=$(grep -c '^"' "$new" || true)
    for row in 1 2; do
        local line=$((quoted + row))
        [ "$(sed -n "${line}p" "$old")" = "$(sed -n "${line}p" "$new")" ] ||
            fail "$name: line $line (the $([ "$row" = 1 ] && echo names || echo units)) is
  $(sed -n "${line}p" "$old")
made now
  $(sed -n "${line}p" "$new")"
    done
    local width
    width=$(sed -n "$((quoted + 1))p" "$new" | awk -F '\t' '{ print NF }')
    for f in "$old" "$new"; do
        local counts
        counts=$(grep -v '^"\|^MARK' "$f" | awk -F '\t' 'NR > 2 { print NF }' | sort -u | tr '\n' ' ')
        [ "$counts" = "$width " ] || fail "$name: rows of ${counts}fields in $f, the names row has $width"
    done
    rows_alike "$name" "$(grep -c -v '^"' "$old")" "$(grep -c -v '^"' "$new")"
}

# Live records as sent: the same number of lines, each a record ("*") of the
# committed records' length, and each one a record kvrtool decodes.
check_records() {
    local name=$1 old=$2 new=$3 values=$4
    [ "$(wc -l <"$old")" = "$(wc -l <"$new")" ] || fail "$name: $(wc -l <"$old") lines, made now $(wc -l <"$new")"
    local shape_old shape_new
    shape_old=$(awk '{ print substr($0, 1, 1) length($0) }' "$old" | sort -u | tr '\n' ' ')
    shape_new=$(awk '{ print substr($0, 1, 1) length($0) }' "$new" | sort -u | tr '\n' ' ')
    [ "$shape_old" = "$shape_new" ] || fail "$name: lines (first character, length) $shape_old, made now $shape_new"
    local decoded
    decoded=$("$kvrtool" decode --values "$values" "$old" | wc -l)
    [ "$decoded" = "$(wc -l <"$old")" ] || fail "$name: kvrtool decode reads $decoded of its $(wc -l <"$old") records"
}

# Values file: one image line of the same length, starting alike.
check_values() {
    local name=$1 old=$2 new=$3
    [ "$(wc -l <"$old")" = "$(wc -l <"$new")" ] || fail "$name: $(wc -l <"$old") lines, made now $(wc -l <"$new")"
    local len_old len_new
    len_old=$(head -n 1 "$old" | tr -d '\r' | wc -c)
    len_new=$(head -n 1 "$new" | tr -d '\r' | wc -c)
    [ "$len_old" = "$len_new" ] || fail "$name: image line of $len_old characters, made now $len_new"
    [ "$(head -c 1 "$old")" = "$(head -c 1 "$new")" ] || fail "$name: the image starts with another character"
}

# Log chart file: read back by kvrtool csv with its values file, the same
# header and width, a like number of rows.
check_chart() {
    local name=$1 old=$2 new=$3
    "$kvrtool" csv "$old" --values "${old%.KVL}.KVV" -o "$work/old-chart.csv" ||
        { fail "$name: kvrtool csv cannot read it"; return; }
    "$kvrtool" csv "$new" --values "${new%.KVL}.KVV" -o "$work/new-chart.csv"
    check_csv "$name (as kvrtool csv reads it)" "$work/old-chart.csv" "$work/new-chart.csv"
}

for new in "$fresh"/*; do
    name=$(basename "$new")
    old="$committed/$name"
    [ -f "$old" ] || continue
    case $name in
        *.csv) check_csv "$name" "$old" "$new" ;;
        *.msl) check_msl "$name" "$old" "$new" ;;
        *.txt) check_records "$name" "$old" "$new" "$committed/drive.KVV" ;;
        *.KVV) check_values "$name" "$old" "$new" ;;
        *.KVL) check_chart "$name" "$old" "$new" ;;
        *) fail "$name: no check for this kind of file" ;;
    esac
done

if [ "$failures" -gt 0 ]; then
    echo "examples/ is out of date ($failures differences): run scripts/make-examples" >&2
    exit 1
fi
echo "examples/: $(find "$fresh" -type f | wc -l) files match what scripts/make-examples makes"
