#!/bin/bash
# Times keldarin-cli converting a batch of 64 bare and 64 full images against, on the same files
# in the same run: cp (the same bytes read and written, left in the page cache), cp followed by
# sync (the floor for outputs that are on the storage when the tool ends, as keldarin-cli's are)
# and, where the file system shares extents, cp --reflink=always followed by sync. Median of
# seven interleaved rounds, each into a fresh output folder after a sync, with the fastest and
# the slowest round beside it, on four file systems:
#   ext4   the work folder (default under /var/tmp, which is on the disk here)
#   tmpfs  mounted by the script when run as root, else /dev/shm
#   XFS    with reflink, on a loop device the script makes when run as root, and for the bare
#          half of the batch the same without reflink, to show what sharing the tail saves.
#   Btrfs  on a loop device the script makes when run as root (mkfs.btrfs, btrfs-progs).
# With KELDARIN_BENCH_AGAINST set to another keldarin-cli (an earlier build), every round runs
# that one too, as "earlier keldarin-cli", for a comparison within one run.
# Every keldarin-cli output is checked against an independent cp + dd recipe, and its peak
# memory is taken for 8 images and for the whole batch. Then the batch at scale: 1,000 and
# 10,000 inputs (hard links of one image), time and peak memory of a dry run on ext4 and, on the
# XFS with reflink, of the real run, whose outputs share the input's blocks; and the time and
# the bytes read of info over the 1,000.
#
# Usage: bench/cli/bench-cli.sh [path/to/keldarin-cli] [work folder on ext4] [scale]
# With "scale", only the part at scale runs.
set -euo pipefail

root="$(cd "$(dirname "$0")/../.." && pwd)"
cli="$(realpath "${1:-$root/build/native/cli/keldarin-cli}")"
work="${2:-$(mktemp -d /var/tmp/keldarin-bench.XXXXXX)}"
count=64 rounds=7
against="${KELDARIN_BENCH_AGAINST:+$(realpath "$KELDARIN_BENCH_AGAINST")}"
bare=$((0x7E0000)) bl=$((0x20000))
mounts=() shm=""
cleanup() {
    for m in "${mounts[@]}"; do umount "$m" 2>/dev/null || true; done
    rm -rf "$work" ${shm:+"$shm"}
}
trap cleanup EXIT

make_boot_loaders() { # shaped like real ones: only 1x.bin carries "tux" at offset 8
    head -c $bl /dev/urandom >1x.bin
    head -c $bl /dev/urandom >2x.bin
    printf tux | dd of=1x.bin bs=1 seek=8 conv=notrunc status=none
    printf abc | dd of=2x.bin bs=1 seek=8 conv=notrunc status=none
}

make_batch() { # folder: 1x.bin, 2x.bin, bare01..64.img, full01..64.img; odd numbers are 1x
    mkdir -p "$1" && cd "$1"
    make_boot_loaders
    for i in $(seq -w 1 $count); do
        head -c $bare /dev/urandom >"bare$i.img"
        head -c $((0x800000)) /dev/urandom >"full$i.img"
        if ((10#$i % 2)); then
            printf tux | dd of="bare$i.img" bs=1 seek=8 conv=notrunc status=none
            printf tux | dd of="full$i.img" bs=1 seek=$((0x20001 + 8)) conv=notrunc status=none
        fi
    done
    cd - >/dev/null
}

# The independent recipe: the image part from its offset, the 0x00 a full image lacks, then the
# other variant's boot-loader over the first 128 KiB.
check_outputs() { # input folder, output folder, images...
    local in=$1 out=$2 image part loader tag expected=$work/expected.img
    shift 2
    for image in "$@"; do
        part=0
        (($(stat -c %s "$in/$image") == bare)) || part=$((0x20001))
        if [[ "$(dd if="$in/$image" bs=1 skip=$((part + 8)) count=3 status=none | tr -d '\0')" == tux ]]; then
            loader=2x.bin tag="(2xImage)"
        else
            loader=1x.bin tag="(1xImage)"
        fi
        dd if="$in/$image" of="$expected" bs=1M iflag=skip_bytes skip=$part status=none
        ((part == 0)) || printf '\0' >>"$expected"
        dd if="$in/$loader" of="$expected" bs=$bl count=1 conv=notrunc status=none
        cmp -s "$expected" "$out/${image%.img}$tag.img" || {
            echo "keldarin-cli wrote other bytes for $image" >&2
            exit 1
        }
    done
}

declare -A times
timed() { # key, command...: one round into a fresh, synced output folder
    local key=$1 start
    shift
    rm -rf "$out" && mkdir "$out" && sync
    start=$(date +%s%N)
    "$@"
    times[$key]+="$((($(date +%s%N) - start) / 1000)) "
}
median_us() { # key: microseconds, which ratios are taken from: a run of 10 ms is 0.010 s
    printf '%s\n' ${times[$1]} | sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'
}
median() { # key: seconds
    echo "$(median_us "$1")" | awk '{printf "%.4f", $1 / 1e6}'
}
ratio() { # key, key
    echo "$(median_us "$1") / $(median_us "$2")" | bc -l
}
spread() { # key: the fastest and the slowest round, seconds
    printf '%s\n' ${times[$1]} | sort -n | awk '{v[NR] = $1} END {printf "%.4f-%.4f", v[1] / 1e6, v[NR] / 1e6}'
}

copy() { cp "$@" "$out/"; }
copy_sync() { cp "$@" "$out/" && sync; }
reflink_sync() { cp --reflink=always "$@" "$out/" && sync; }
convert() { "$cli" convert -q -o "$out" "$@"; }
convert_earlier() { "$against" convert -q -o "$out" "$@"; }

report() { # title, floor key, keys...
    local title=$1 floor=$2 key
    shift 2
    echo "$title"
    printf '  %-34s %8s %9s  %s\n' method seconds "to $floor" "fastest-slowest"
    for key in "$@"; do
        [[ -n ${times[$key]:-} ]] || continue
        printf '  %-34s %8s %9.2f  %s\n' "$key" "$(median "$key")" \
            "$(ratio "$key" "$floor")" "$(spread "$key")"
    done
}

peak_memory() { # folder: KiB for 8 images and for all of them
    local n kib line=""
    for n in 8 $((2 * count)); do
        rm -rf "$out" && mkdir "$out"
        kib=$(/usr/bin/time -f %M "$cli" convert -q -o "$out" "${images[@]:0:$n}" 2>&1 >/dev/null)
        line+=" $n images: $kib KiB;"
    done
    echo "  peak memory of keldarin-cli:${line%;}"
}

bench() { # name, folder, reflink (yes/no)
    local name=$1 folder=$2 reflink=$3 round
    make_batch "$folder/in"
    cd "$folder/in"
    out=$folder/out
    images=(bare*.img full*.img)
    times=()
    for round in $(seq $rounds); do
        timed cp copy "${images[@]}"
        timed "cp + sync" copy_sync "${images[@]}"
        [[ $reflink == no ]] || timed "cp --reflink + sync" reflink_sync "${images[@]}"
        timed keldarin-cli convert "${images[@]}"
        [[ -z $against ]] || timed "earlier keldarin-cli" convert_earlier "${images[@]}"
        if [[ $reflink == yes ]]; then
            timed "bare: cp --reflink + sync" reflink_sync bare*.img
            timed "bare: keldarin-cli" convert bare*.img
            [[ -z $against ]] || timed "bare: earlier keldarin-cli" convert_earlier bare*.img
        fi
    done
    timed keldarin-cli convert "${images[@]}"
    check_outputs . "$out" "${images[@]}"
    local keys=(cp "cp + sync" keldarin-cli "earlier keldarin-cli")
    [[ $reflink == no ]] || keys=(cp "cp + sync" "cp --reflink + sync" keldarin-cli
                                  "earlier keldarin-cli" "bare: cp --reflink + sync"
                                  "bare: keldarin-cli" "bare: earlier keldarin-cli")
    report "$name: $count bare + $count full images, median of $rounds rounds" cp "${keys[@]}"
    [[ $reflink == no ]] || printf '  bare half: keldarin-cli %.2f × cp --reflink + sync\n' \
        "$(ratio "bare: keldarin-cli" "bare: cp --reflink + sync")"
    peak_memory
    cd - >/dev/null
    rm -rf "$folder/in" "$folder/out"
}

# The bare half alone on an XFS without reflink: keldarin-cli copying what it would share.
bench_unshared() { # folder
    make_batch "$1/in"
    cd "$1/in"
    out=$1/out
    times=()
    for round in $(seq $rounds); do timed "bare: keldarin-cli" convert bare*.img; done
    check_outputs . "$out" bare*.img
    echo "XFS without reflink: bare half, keldarin-cli $(median "bare: keldarin-cli") s"
    cd - >/dev/null
}

# Time and bytes read (rchar, which a shell's count takes over from each child it has waited
# for) of info over images: it needs the signature and the boot-loader area, not whole images.
info_cost() { # images...
    local start bytes
    start=$(date +%s%N)
    bytes=$(bash -c '"$@" >/dev/null 2>&1; awk "/^rchar/ {print \$2}" /proc/$$/io' _ "$cli" info "$@")
    echo "$((($(date +%s%N) - start) / 1000000)) ms, $bytes bytes read"
}

# Time and peak memory of one run over many inputs: the checks of each new output against the
# earlier ones must not grow with the batch, and memory only by a name or so per input.
bench_scale() { # folder, real run too (yes/no)
    local n
    mkdir -p "$1/in" && cd "$1/in"
    make_boot_loaders
    head -c $bare /dev/urandom >img00000.img
    perl -e 'for (1 .. 9999) { link "img00000.img", sprintf("img%05d.img", $_) or die "$!" }'
    out=$1/out
    for n in 1000 10000; do
        local images=(img*.img)
        images=("${images[@]:0:$n}")
        ((n != 1000)) || echo "  $n inputs, info: $(info_cost "${images[@]}")"
        rm -rf "$out" && mkdir "$out"
        echo "  $n inputs, dry run: $(/usr/bin/time -f "%e s, peak memory %M KiB" \
            "$cli" convert -n -q -o "$out" "${images[@]}" 2>&1 >/dev/null)"
        [[ $2 == yes ]] || continue
        sync
        echo "  $n inputs, real run: $(/usr/bin/time -f "%e s, peak memory %M KiB" \
            "$cli" convert -q -o "$out" "${images[@]}" 2>&1 >/dev/null)"
        check_outputs . "$out" img00000.img "img$(printf %05d $((n - 1))).img"
    done
    cd - >/dev/null
    rm -rf "$1/in" "$1/out"
}

mount_xfs() { # folder, reflink 0/1
    truncate -s 3G "$1.img"
    mkfs.xfs -q -m reflink="$2" "$1.img"
    mkdir -p "$1"
    mount -o loop "$1.img" "$1"
    mounts+=("$1")
}

mount_btrfs() { # folder
    truncate -s 3G "$1.img"
    mkfs.btrfs -q "$1.img" >/dev/null
    mkdir -p "$1"
    mount -o loop "$1.img" "$1"
    mounts+=("$1")
}

echo "keldarin-cli: $cli"
if [[ ${3:-} != scale ]]; then
    bench "ext4 ($(df --output=fstype "$work" | tail -1))" "$work/ext4" no
    echo
    if [[ $(id -u) == 0 ]]; then
        mkdir -p "$work/tmpfs" && mount -t tmpfs -o size=3g tmpfs "$work/tmpfs" &&
            mounts+=("$work/tmpfs")
        bench tmpfs "$work/tmpfs" no
    else
        shm=$(mktemp -d /dev/shm/keldarin-bench.XXXXXX)
        bench "tmpfs (/dev/shm)" "$shm" no
    fi
    echo
fi
if [[ $(id -u) == 0 ]] && command -v mkfs.xfs >/dev/null; then
    mount_xfs "$work/xfs" 1
    if [[ ${3:-} != scale ]]; then
        bench "XFS with reflink (loop device on ext4)" "$work/xfs" yes
        echo
        if command -v mkfs.btrfs >/dev/null; then
            mount_btrfs "$work/btrfs"
            bench "Btrfs (loop device on ext4)" "$work/btrfs" yes
        else
            echo "Btrfs: skipped; making one on a loop device needs mkfs.btrfs (btrfs-progs)"
        fi
        echo
        mount_xfs "$work/xfs-plain" 0
        bench_unshared "$work/xfs-plain"
    fi
    echo "At scale, XFS with reflink (1,000 and 10,000 links of one bare image):"
    bench_scale "$work/xfs" yes
else
    echo "XFS: skipped; making one on a loop device needs root and mkfs.xfs (xfsprogs)"
    echo "At scale, ext4 (1,000 and 10,000 links of one bare image):"
    bench_scale "$work/ext4" no
fi
