#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Python module as users get it, imported by /usr/bin/python3 from outside
# the source tree:
#   1. python3-horodex (the .deb given) unpacked into a scratch root: its
#      layout, its control fields, no byte code, and a short session;
#   2. pip install --no-build-isolation from the checkout into a scratch
#      target, built by setup.py through CMake, and the same session.
#   scripts/test-python-package.sh build-deb/python3-horodex_2.0_amd64.deb
set -euo pipefail
cd "$(dirname "$0")/.."
deb=$(realpath "$1")
python=/usr/bin/python3
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
failed=0
fail() { echo "test-python-package.sh: $*" >&2; failed=1; }

# A session that touches each part: values from the library, a file read, help().
session() { # session SITE_DIR
  (cd "$root" && PYTHONPATH="$1" PYTHONDONTWRITEBYTECODE=1 "$python" - "$1" <<'PY'
import pydoc, sys
import horodex
assert horodex.__file__.startswith(sys.argv[1]), horodex.__file__
d = horodex.Duration("00:09:59;29", "29.97df") + 1
assert (d.frames, d.label, d.to("23.976").label) == (17982, "00:10:00;00", "00:09:59:10"), d
open("acts.csv", "w").write("Act 1,00:12:34:05\nAct 2,00:10:00:00\n")
lst = horodex.read("acts.csv", rate="25")
assert (lst.total.label, lst.inputs[0].format, lst.ok) == ("00:22:34:05", "list", True)
assert "Exact video timecode" in pydoc.render_doc(horodex)
PY
  )
}

dpkg-deb -x "$deb" "$root/deb"
site=$root/deb/usr/lib/python3/dist-packages
for file in __init__.py __init__.pyi py.typed "_horodex$("$python" -c 'import sysconfig; print(sysconfig.get_config_var("EXT_SUFFIX"))')"; do
  [ -f "$site/horodex/$file" ] || fail "missing usr/lib/python3/dist-packages/horodex/$file"
done
[ -z "$(find "$root/deb" -name '*.pyc' -o -name __pycache__)" ] || fail "byte code in the package"
depends=$(dpkg-deb -f "$deb" Depends)
grep -q 'python3 (>= 3\.[0-9]*), python3 (<< 3\.[0-9]*)' <<<"$depends" || fail "Depends lacks the Python version range: $depends"
session "$site" || fail "the module unpacked from $deb does not work"

"$python" -m pip install --quiet --no-cache-dir --root-user-action=ignore --no-build-isolation --no-deps --no-index --target "$root/pip" . \
  || fail "pip install --no-build-isolation . failed"
session "$root/pip" || fail "the module pip built does not work"
rm -rf build/lib* build/temp* build/bdist* python/horodex.egg-info

exit "$failed"
