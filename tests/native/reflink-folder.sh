#!/bin/sh
# mount BASE: an XFS file system with shared extents, on a loop device, at BASE/reflink.
# unmount BASE: removes it again.
set -eu
base=$2
if mountpoint -q "$base/reflink"; then
    umount "$base/reflink"
fi
rm -f "$base/reflink.img"
if [ "$1" = mount ]; then
    mkdir -p "$base/reflink"
    # The smallest size mkfs.xfs accepts, sparse.
    truncate -s 300M "$base/reflink.img"
    mkfs.xfs -q -m reflink=1 "$base/reflink.img"
    mount -o loop "$base/reflink.img" "$base/reflink"
fi
