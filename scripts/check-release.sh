#!/usr/bin/env bash
# Packs the release of a Windows build tree and checks the programs in its zip:
# each stripped copy is still loaded at a random address (DYNAMIC_BASE with
# HIGH_ENTROPY_VA, NX_COMPAT), keeps the relocations that this needs, and
# imports only the system's known DLLs.
#   scripts/check-release.sh BUILD_DIR
set -uo pipefail
build=${1:?a Windows build tree}
here=$(cd "$(dirname "$0")" && pwd)
(cd "$build" && cpack --config CPackConfig.cmake >/dev/null) || { echo "FAIL: cpack could not pack the release"; exit 1; }
zip=$(ls "$build"/release/Vesk-Palette-*-win64.zip 2>/dev/null | head -n 1)
[ -f "$zip" ] || { echo "FAIL: no release zip in $build/release"; exit 1; }
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
python3 -m zipfile -e "$zip" "$unpacked" || { echo "FAIL: $zip does not unpack"; exit 1; }
status=0
for name in Quillbar.exe Pathmend.exe; do
  exe=$unpacked/$name
  [ -f "$exe" ] || { echo "FAIL: $name is not in the zip"; status=1; continue; }
  headers=$(x86_64-w64-mingw32-objdump -p "$exe")
  flags=$((16#$(sed -n 's/^DllCharacteristics\s*//p' <<<"$headers")))
  file_flags=$(sed -n 's/^Characteristics\s*//p' <<<"$headers")
  for flag in HIGH_ENTROPY_VA:0x20 DYNAMIC_BASE:0x40 NX_COMPAT:0x100; do
    (( flags & ${flag#*:} )) || { echo "FAIL: $name lacks ${flag%%:*}"; status=1; }
  done
  # IMAGE_FILE_RELOCS_STRIPPED, and the relocation table's own entry in the header.
  (( file_flags & 0x1 )) && { echo "FAIL: $name says its relocations were stripped"; status=1; }
  reloc_size=$(awk '/^Entry 5 / { print $4 }' <<<"$headers")
  (( 16#${reloc_size:-0} > 0 )) || { echo "FAIL: $name has no relocations"; status=1; }
  bash "$here/check-imports.sh" "$exe" || status=1
done
[ $status -eq 0 ] && echo "ok: $(basename "$zip") ($(stat -c %s "$zip") bytes): both programs keep DYNAMIC_BASE, HIGH_ENTROPY_VA, NX_COMPAT and their relocations"
exit $status
