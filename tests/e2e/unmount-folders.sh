#!/bin/sh
# Removes what mount-folders.sh made.
set -eu
base=$1
for folder in ro full; do
    if mountpoint -q "$base/$folder"; then
        umount "$base/$folder"
    fi
    rmdir "$base/$folder" 2>/dev/null || true
done
