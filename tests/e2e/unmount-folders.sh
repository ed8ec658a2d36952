#!/bin/sh
# Removes what mount-folders.sh made.
set -eu
base=$1
status=0
"$(dirname "$0")/../support/mount-file-system.sh" unmount "$base/exfat" || status=1
rmdir "$base/exfat" 2>/dev/null || true
for folder in ro full; do
    if mountpoint -q "$base/$folder"; then
        umount "$base/$folder"
    fi
    rmdir "$base/$folder" 2>/dev/null || true
done
exit $status
