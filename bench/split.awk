# SPDX-License-Identifier: Apache-2.0
# The split a user would write instead of segmentor: the header lines copied
# into every line file, each record appended to "<first field>.dat", the
# file closed when the line changes.  awk -v nhead=1 -f split.awk INPUT
NR <= nhead { header = header $0 "\n"; next }
NF == 0 { next }
$1 != line {
  if (out != "") close(out)
  line = $1
  out = line ".dat"
  printf "%s", header > out
}
{ print > out }
