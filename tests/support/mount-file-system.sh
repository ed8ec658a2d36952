#!/bin/sh
# mount FOLDER KIND [SECONDS]: makes a file system of KIND (fat32, exfat, ntfs, btrfs, xfs) in
# FOLDER.img and mounts it on FOLDER: FAT32, exFAT and NTFS through their FUSE drivers, as a
# desktop mounts a USB stick (exFAT and NTFS from a loop device, as from a stick's), btrfs and
# XFS (with shared extents) on a loop device by the kernel. With SECONDS, a FUSE driver still
# running then is killed: whatever waits on a hung one then fails at once, a test's own reads
# and writes too, and the mount can go.
# unmount FOLDER: unmounts it, ends its driver, frees its loop device and removes FOLDER.img.
# Every step has a deadline. Exit 77, saying why, where this machine cannot mount one; exit 1
# where a step fails or a driver hangs (it is killed and the mount detached).
set -eu
folder=$2
image=$folder.img

cannot() {
    echo "cannot mount here: $*" >&2
    exit 77
}

# Whether FOLDER is mounted, asked of the kernel's table: a stat of a hung FUSE mount never ends.
mounted() {
    grep -q " $folder " /proc/self/mounts
}

# Whether process $1 still runs: an ended one that nobody has reaped yet does not.
alive() {
    state=$(ps -o stat= -p "$1") && [ "${state#Z}" = "$state" ]
}

# A FUSE driver stays in the foreground, so that its process is known and its end awaited.
start_driver() {
    ${deadline:+timeout -s KILL "$deadline"} "$@" "$device" "$folder" </dev/null >"$folder.log" 2>&1 &
    echo $! >"$folder.pid"
    for _ in $(seq 100); do
        mounted && return 0
        alive "$(cat "$folder.pid")" || break
        sleep 0.1
    done
    echo "$1 did not mount $folder within 10 s:" >&2
    cat "$folder.log" >&2
    "$0" unmount "$folder"
    exit 1
}

if [ "$1" = mount ]; then
    deadline=${4:-}
    [ "$(id -u)" -eq 0 ] || cannot "mounting needs root"
    loop=yes
    case $3 in
    fat32) make="mkfs.fat -F 32" driver="fusefat -f -o rw+" loop=no ;;
    exfat) make=mkfs.exfat driver="mount.exfat-fuse -d" ;;
    ntfs) make="mkntfs -F -Q" driver="ntfs-3g -o no_detach" ;;
    btrfs) make=mkfs.btrfs driver=mount ;;
    xfs) make="mkfs.xfs -m reflink=1" driver=mount ;;
    *) cannot "no such kind: $3" ;;
    esac
    for tool in ${make%% *} ${driver%% *}; do
        command -v "$tool" >/dev/null || cannot "$tool is not installed (scripts/setup installs it)"
    done
    [ "$driver" = mount ] || [ -e /dev/fuse ] || cannot "no /dev/fuse"
    mkdir -p "$folder"
    # The smallest size every one of them accepts (mkfs.xfs'), sparse.
    truncate -s 300M "$image"
    if ! timeout -k 5 60 $make "$image" >"$folder.log" 2>&1; then
        cat "$folder.log" >&2
        exit 1
    fi
    device=$image
    if [ $loop = yes ]; then
        device=$(timeout -k 5 30 losetup --show -f "$image")
        echo "$device" >"$folder.loop"
    fi
    if [ "$driver" = mount ]; then
        timeout -k 5 30 mount "$device" "$folder"
    else
        start_driver $driver
    fi
    exit 0
fi

status=0
if mounted && ! timeout -k 5 30 umount "$folder"; then
    echo "unmounting $folder did not end within 30 s: detached" >&2
    umount -l "$folder" || true
    status=1
fi
if [ -f "$folder.pid" ]; then
    pid=$(cat "$folder.pid")
    for _ in $(seq 100); do
        alive "$pid" || break
        sleep 0.1
    done
    if alive "$pid"; then
        echo "the driver of $folder did not end within 10 s of its unmount: killed" >&2
        kill -9 "$pid"
        status=1
    fi
fi
if [ -f "$folder.loop" ]; then
    timeout -k 5 30 losetup -d "$(cat "$folder.loop")" || status=1
fi
rm -f "$image" "$folder.pid" "$folder.loop" "$folder.log"
exit $status
