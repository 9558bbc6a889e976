#!/usr/bin/env python3
"""False alarms of `lorvane --check` on the YAML, TOML and JSON files of this system.

A false alarm is a file the reference parser accepts (PyYAML safe_load_all,
tomllib, json) on which lorvane reports a problem. Files the reference rejects
are counted apart. Application tags such as !REF are syntax, not errors: with
YAML_TAGS=strict they count as rejections, as plain safe_load_all has them;
by default they are constructed as untagged values.
Usage: realfiles.py LORVANE [ROOT...]
"""
import collections
import json
import os
import subprocess
import sys
import tomllib

import yaml

class AnyTagLoader(yaml.SafeLoader):
    pass


def _untagged(loader, suffix, node):
    if isinstance(node, yaml.MappingNode):
        return loader.construct_mapping(node)
    if isinstance(node, yaml.SequenceNode):
        return loader.construct_sequence(node)
    return loader.construct_scalar(node)


AnyTagLoader.add_multi_constructor("", _untagged)
STRICT_TAGS = os.environ.get("YAML_TAGS") == "strict"

KINDS = {".yaml": "yaml", ".yml": "yaml", ".toml": "toml", ".json": "json"}
ROOTS = ["/usr/share", "/usr/lib/python3", "/usr/lib/python3.11", "/usr/local/lib", "/etc", "/opt", "/usr/lib"]
SKIP = ("/proc", "/sys", "/work", "/tmp", "/root")


def reference_ok(kind, data):
    try:
        text = data.decode("utf-8-sig")
    except UnicodeDecodeError:
        return None  # not UTF-8: no reference verdict
    try:
        if kind == "yaml":
            for _ in yaml.load_all(text, Loader=yaml.SafeLoader if STRICT_TAGS else AnyTagLoader):
                pass
        elif kind == "toml":
            tomllib.loads(text)
        else:
            json.loads(text)
        return True
    except Exception:
        return False


def files(roots):
    seen = set()
    for root in roots:
        for dirpath, dirnames, names in os.walk(root, followlinks=False):
            if dirpath.startswith(SKIP):
                dirnames[:] = []
                continue
            for n in names:
                ext = os.path.splitext(n)[1].lower()
                if ext not in KINDS:
                    continue
                p = os.path.join(dirpath, n)
                real = os.path.realpath(p)
                if real in seen or not os.path.isfile(real) or os.path.getsize(real) > 64 << 20:
                    continue
                seen.add(real)
                yield p, KINDS[ext]


def check(lorvane, paths):
    """PATH -> first message (or None) from lorvane --check, in batches."""
    out = {}
    for k in range(0, len(paths), 200):
        batch = paths[k:k + 200]
        r = subprocess.run([lorvane, "--check", *batch], capture_output=True, text=True, errors="replace")
        for p in batch:
            out[p] = None
        for line in r.stdout.splitlines():
            for p in batch:
                if line.startswith(p + ":") and out[p] is None:
                    out[p] = line[len(p) + 1:]
                    break
    return out


def main():
    lorvane = sys.argv[1]
    roots = sys.argv[2:] or ROOTS
    by_kind = collections.defaultdict(list)
    for p, kind in files(roots):
        by_kind[kind].append(p)
    for kind in ("yaml", "toml", "json"):
        paths = sorted(by_kind[kind])
        verdicts = {}
        for p in paths:
            with open(p, "rb") as f:
                verdicts[p] = reference_ok(kind, f.read())
        found = check(lorvane, paths)
        accepted = [p for p in paths if verdicts[p] is True]
        rejected = [p for p in paths if verdicts[p] is False]
        false_alarms = [p for p in accepted if found[p] is not None]
        agree_reject = [p for p in rejected if found[p] is not None]
        rate = 100.0 * len(false_alarms) / len(accepted) if accepted else 0.0
        print(f"{kind}: {len(paths)} files, reference accepts {len(accepted)}, rejects {len(rejected)}; "
              f"false alarms {len(false_alarms)} ({rate:.2f} %); both reject {len(agree_reject)}; "
              f"lorvane accepts what the reference rejects {len(rejected) - len(agree_reject)}")
        causes = collections.Counter(found[p].split(": ", 1)[-1] for p in false_alarms)
        for message, count in causes.most_common(15):
            print(f"    {count:5d}  {message}")
        for p in false_alarms[:int(os.environ.get("SHOW", "0"))]:
            print(f"      {p}:{found[p]}")


if __name__ == "__main__":
    main()
