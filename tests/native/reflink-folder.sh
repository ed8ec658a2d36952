#!/bin/sh
# mount BASE: an XFS file system with shared extents at BASE/reflink; and a second at
# BASE/store/flaky whose image lies in a small tmpfs at BASE/store, which a test fills so that
# the blocks the file system then writes anew are refused, as a failing disk's are.
# unmount BASE: removes them again.
set -eu
filesystem="$(dirname "$0")/../support/mount-file-system.sh"
base=$2
"$filesystem" unmount "$base/store/flaky"
"$filesystem" unmount "$base/reflink"
! mountpoint -q "$base/store" || umount "$base/store"
if [ "$1" = mount ]; then
    "$filesystem" mount "$base/reflink" xfs
    mkdir -p "$base/store"
    mount -t tmpfs -o size=96M tmpfs "$base/store"
    "$filesystem" mount "$base/store/flaky" xfs
fi
