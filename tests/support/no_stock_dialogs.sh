#!/bin/sh
# Fails when a source file outside src/support/widgets names a stock dialog class.
# Usage: no_stock_dialogs.sh <src folder>
src=${1:?usage: no_stock_dialogs.sh <src folder>}
[ -d "$src/support/widgets" ] || { echo "no $src/support/widgets" >&2; exit 2; }
found=$(grep -rnE 'QMessageBox|QInputDialog|QFileDialog' "$src" \
  --include='*.cpp' --include='*.h' --include='*.hpp' --include='*.ui' \
  | grep -v "^$src/support/widgets/")
if [ -n "$found" ]; then
  echo "Stock dialogs outside src/support/widgets (use support/messages.h):"
  echo "$found"
  exit 1
fi
exit 0
