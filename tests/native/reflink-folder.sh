#!/bin/sh
# mount BASE: an XFS file system with shared extents, on a loop device, at BASE/reflink; and a
# second at BASE/flaky whose loop file lies in a small tmpfs at BASE/store, which a test fills
# so that the blocks the file system then writes anew are refused, as a failing disk's are.
# unmount BASE: removes them again.
set -eu
base=$2
for mount in "$base/reflink" "$base/flaky" "$base/store"; do
    ! mountpoint -q "$mount" || umount "$mount"
done
rm -f "$base/reflink.img"
if [ "$1" = mount ]; then
    mkdir -p "$base/reflink" "$base/flaky" "$base/store"
    # The smallest size mkfs.xfs accepts, sparse; its log and headers take about 70 MiB.
    truncate -s 300M "$base/reflink.img"
    mkfs.xfs -q -m reflink=1 "$base/reflink.img"
    mount -o loop "$base/reflink.img" "$base/reflink"
    mount -t tmpfs -o size=96M tmpfs "$base/store"
    truncate -s 300M "$base/store/flaky.img"
    mkfs.xfs -q -m reflink=1 "$base/store/flaky.img"
    mount -o loop "$base/store/flaky.img" "$base/flaky"
fi
