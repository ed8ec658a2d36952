#!/bin/sh
# Prepares the output folders that the clone tests cannot get otherwise while running as root,
# which ignores permission bits: BASE/ro, a read-only tmpfs, and BASE/full, a tmpfs too small for
# an output image. Each holds a bare 1x image "box.img". BASE/exfat is an empty exFAT through its
# FUSE driver, as a USB stick is mounted (none where the machine has no driver).
set -eu
base=$1
filesystem="$(dirname "$0")/../support/mount-file-system.sh"

make_image() {
    head -c 8257536 /dev/urandom >"$1"
    printf tux | dd of="$1" bs=1 seek=8 conv=notrunc status=none
}

for folder in ro full; do
    mkdir -p "$base/$folder"
    if mountpoint -q "$base/$folder"; then
        umount "$base/$folder"
    fi
done

mount -t tmpfs -o size=16m tmpfs "$base/ro"
make_image "$base/ro/box.img"
mount -o remount,ro "$base/ro"

# 9 MiB: the image fits, its converted copy does not.
mount -t tmpfs -o size=9m tmpfs "$base/full"
make_image "$base/full/box.img"

"$filesystem" unmount "$base/exfat" || true
"$filesystem" mount "$base/exfat" exfat || [ $? -eq 77 ]
