#!/bin/sh
# Fails when engine code (src/sfv, src/config, src/fileops, src/dataset, not their
# widgets) uses the message seam: the engine hands warnings back to the window
# that started the work (support/report.h), which shows them.
# Usage: engine_opens_no_dialogs.sh <src folder>
src=${1:?usage: engine_opens_no_dialogs.sh <src folder>}
[ -f "$src/support/messages.h" ] || { echo "no $src/support/messages.h" >&2; exit 2; }
found=$(grep -rn 'support/messages\.h' "$src/sfv" "$src/config" "$src/fileops" "$src/dataset" \
  --include='*.cpp' --include='*.h' | grep -v "^$src/[a-z]*/widgets/")
if [ -n "$found" ]; then
  echo "Engine code that opens dialogs (hand a TReportEvent text back instead):"
  echo "$found"
  exit 1
fi
exit 0
