#!/usr/bin/env bash
# The rules in the <subsystem>/core/ folders need no widget: they may include Qt Core headers
# (and Core5Compat, QuaZip), never a header of Qt Gui, Widgets, Network or PrintSupport,
# and never a source outside a core folder of the project.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
qtinc="$(qmake6 -query QT_INSTALL_HEADERS 2>/dev/null || echo /usr/include/x86_64-linux-gnu/qt6)"
bad=0
while IFS= read -r file; do
  while IFS= read -r inc; do
    name="${inc#*<}"; name="${name%>*}"
    case "$name" in
      QtGui/*|QtWidgets/*|QtNetwork/*|QtPrintSupport/*) bad=1; echo "$file: #include <$name>" ;;
      */*) ;;
      *)
        for mod in QtGui QtWidgets QtNetwork QtPrintSupport; do
          if [ -e "$qtinc/$mod/$name" ]; then bad=1; echo "$file: #include <$name> ($mod)"; fi
        done ;;
    esac
  done < <(grep -hE '^\s*#\s*include\s*<' "$file" || true)
  while IFS= read -r inc; do
    name="${inc#*\"}"; name="${name%\"*}"
    case "$name" in
      */core/*|moc_*|*.moc) ;;
      *) bad=1; echo "$file: #include \"$name\" (not a core header)" ;;
    esac
  done < <(grep -hE '^\s*#\s*include\s*"' "$file" || true)
done < <(find "$root" -path "$root/build" -prune -o -path '*/core/*' \( -name '*.h' -o -name '*.cpp' \) -print)
if [ "$bad" -ne 0 ]; then
  echo "Core sources must not depend on Gui, Widgets, Network or PrintSupport." >&2
  exit 1
fi
