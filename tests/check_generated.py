#!/usr/bin/env python3
"""Regenerates the character tables and compares them byte for byte with
the committed ones. Skips (exit 77) when this Python's Unicode version is
not the one the committed tables were made from."""
import os
import re
import subprocess
import sys
import unicodedata

root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
committed_path = os.path.join(root, "platform", "src", "kvi18n_tables.cpp")
with open(committed_path, encoding="utf-8") as f:
    committed = f.read()
made_from = re.search(r"from Unicode (\S+);", committed).group(1)
if made_from != unicodedata.unidata_version:
    print("skipping: the tables were generated from Unicode %s, this Python has %s"
          % (made_from, unicodedata.unidata_version))
    sys.exit(77)
fresh = subprocess.run([sys.executable, os.path.join(root, "tools", "gen_i18n_tables.py")],
                       check=True, capture_output=True, text=True).stdout
if fresh != committed:
    print("platform/src/kvi18n_tables.cpp differs from what tools/gen_i18n_tables.py writes;"
          " regenerate it")
    sys.exit(1)
print("generated tables are current (Unicode %s)" % made_from)
