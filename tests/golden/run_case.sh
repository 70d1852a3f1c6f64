#!/usr/bin/env bash
# Runs one golden case: CASE/cmd is a bash script run in a fresh work folder with $CLI set to
# lexmora-cli and $CASE to the case folder; its standard output must equal CASE/expected/stdout,
# and every other file in CASE/expected/ must equal the file of the same name in the work folder.
set -u
cli=$(realpath "$1")
case_dir=$(realpath "$2")
work=$(mktemp -d)
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
export CLI=$cli CASE=$case_dir WORK=$work LC_ALL=C.UTF-8
cd "$work" || exit 1
bash "$case_dir/cmd" >"$work/.stdout" 2>"$work/.stderr"
status=$?
failed=0
if [ -f "$case_dir/expected/status" ] && [ "$status" != "$(cat "$case_dir/expected/status")" ]; then
    echo "exit status $status, expected $(cat "$case_dir/expected/status")"; failed=1
fi
for expected in "$case_dir"/expected/*; do
    name=$(basename "$expected")
    [ "$name" = status ] && continue
    actual="$work/$name"
    [ "$name" = stdout ] && actual="$work/.stdout"
    [ "$name" = stderr ] && actual="$work/.stderr"
    if ! cmp -s "$expected" "$actual"; then
        echo "--- $name differs:"; diff <(od -c "$expected") <(od -c "$actual" 2>/dev/null) | head -20
        failed=1
    fi
done
[ $failed = 0 ] || { echo "stderr was:"; cat "$work/.stderr"; }
exit $failed
