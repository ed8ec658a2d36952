#!/bin/bash
# Times keldarin-cli on a batch of 64 bare and 64 full images against, on the same files in the
# same run: cp (the floor: the same bytes read and written), cp followed by sync (the floor for
# outputs that are on the disk when the tool ends, as keldarin-cli's are), srec_cat, and the
# cp + dd conv=notrunc recipe. Also checks that every recipe wrote the same bytes as
# keldarin-cli, and that its peak memory does not grow with the batch.
#
# Usage: bench/cli/bench-cli.sh [path/to/keldarin-cli] [work folder, default under /tmp]
set -euo pipefail

root="$(cd "$(dirname "$0")/../.." && pwd)"
cli="$(realpath "${1:-$root/build/native/cli/keldarin-cli}")"
work="${2:-$(mktemp -d /tmp/keldarin-bench.XXXXXX)}"
count=64
bare=$((0x7E0000)); full=$((0x800000)); bl=$((0x20000))
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/in"
cd "$work/in"
head -c $bl /dev/urandom > 1x.bin
head -c $bl /dev/urandom > 2x.bin
for i in $(seq -w 1 $count); do
    head -c $bare /dev/urandom > "bare$i.img"
    head -c $full /dev/urandom > "full$i.img"
    # Half of each kind are 1x images: "tux" at offset 8 of the image part.
    if (( 10#$i % 2 )); then
        printf tux | dd of="bare$i.img" bs=1 seek=8 conv=notrunc status=none
        printf tux | dd of="full$i.img" bs=1 seek=$((0x20001 + 8)) conv=notrunc status=none
    fi
done
images=(bare*.img full*.img)
echo "batch: ${#images[@]} images ($count bare, $count full), $(du -sh . | cut -f1) in $work"

now() { date +%s.%N; }
declare -A seconds

run() { # name, then the command; run in a fresh output folder after a sync, keep the best time
    local name=$1; shift
    rm -rf "$work/out"; mkdir "$work/out"; sync
    local start took; start=$(now)
    "$@"
    took=$(echo "$(now) - $start" | bc)
    if [[ -z "${seconds[$name]:-}" ]] || (( $(echo "$took < ${seconds[$name]}" | bc) )); then
        seconds[$name]=$took
    fi
}

copy_all() { cp "${images[@]}" "$work/out/"; }
copy_all_sync() { cp "${images[@]}" "$work/out/"; sync; }
convert_all() { "$cli" convert -q -o "$work/out" "${images[@]}"; }

# The boot-loader that the recipes must use for an image, and where its image part starts.
recipe_args() {
    local image=$1 part=0 length
    length=$(stat -c %s "$image")
    (( length == full )) && part=$((0x20001))
    if [[ "$(dd if="$image" bs=1 skip=$((part + 8)) count=3 status=none | tr -d '\0')" == tux ]]; then
        echo "2x.bin $part (2xImage)"
    else
        echo "1x.bin $part (1xImage)"
    fi
}

srec_all() {
    local image loader part tag
    for image in "${images[@]}"; do
        read -r loader part tag < <(recipe_args "$image")
        local out="$work/out/${image%.img}$tag.img"
        if (( part == 0 )); then
            srec_cat "$loader" -binary "$image" -binary -crop $bl $bare -o "$out" -binary
        else
            srec_cat "$loader" -binary "$image" -binary -crop $((part + bl)) $full \
                -offset -$part -generate $((bare - 1)) $bare -constant 0 -o "$out" -binary
        fi
    done
}

dd_all() {
    local image loader part tag
    for image in "${images[@]}"; do
        read -r loader part tag < <(recipe_args "$image")
        local out="$work/out/${image%.img}$tag.img"
        if (( part == 0 )); then
            cp "$image" "$out"
        else
            dd if="$image" of="$out" bs=1M iflag=skip_bytes skip=$part status=none
            printf '\0' >> "$out"
        fi
        dd if="$loader" of="$out" bs=$bl count=1 conv=notrunc status=none
    done
}

rounds=3 # the quick ones, interleaved; srec_cat takes a minute and runs once
for round in $(seq $rounds); do
    run cp copy_all
    run "cp + sync" copy_all_sync
    run keldarin-cli convert_all
done
mv "$work/out" "$work/cli-out"
run srec_cat srec_all
diff -rq "$work/cli-out" "$work/out" >/dev/null || { echo "srec_cat wrote other bytes"; exit 1; }
for round in $(seq $rounds); do run "cp + dd" dd_all; done
diff -rq "$work/cli-out" "$work/out" >/dev/null || { echo "cp + dd wrote other bytes"; exit 1; }
echo "all recipes wrote the same bytes as keldarin-cli"

echo
echo "best of $rounds rounds (srec_cat: one round)"
printf '%-14s %9s %14s\n' method seconds "ratio to cp"
for name in cp "cp + sync" keldarin-cli srec_cat "cp + dd"; do
    printf '%-14s %9.2f %14.2f\n' "$name" "${seconds[$name]}" \
        "$(echo "${seconds[$name]} / ${seconds[cp]}" | bc -l)"
done

echo
for n in 8 ${#images[@]}; do
    rm -rf "$work/out"; mkdir "$work/out"
    kib=$(/usr/bin/time -f %M "$cli" convert -q -o "$work/out" "${images[@]:0:$n}" 2>&1 >/dev/null)
    printf 'peak memory converting %3d images: %6d KiB\n' "$n" "$kib"
done
