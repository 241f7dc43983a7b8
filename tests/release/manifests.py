#!/usr/bin/python3
"""The package managers' manifests that tools/release.sh writes.

  manifests.py check DIST VERSION SCHEMAS RELEASE-TREE
      validates the winget and Scoop manifests in DIST against the schemas in
      SCHEMAS (winget-1.10.0/, scoop/) and checks them against the release:
      the version, the files' hashes in SHA256SUMS, the download URLs under
      the release tree's DRAVON_RELEASE_URL, the zip's folder and shortcut,
      and the oldest Windows its binaries' headers ask for. Prints one
      "ok" or "not ok" line per check; exit 1 when one failed.
  manifests.py field DIST NAME KEY... [-- KEY...]...
      prints values of manifest NAME (version, installer, zh-CN, en-US,
      scoop), one a line, each found by its KEYs (names, or numbers for list
      items; none has a blank).

Debian's python3-yaml and python3-jsonschema; /usr/bin/python3, where they are.
"""
import hashlib
import json
import pathlib
import re
import struct
import sys
import zipfile

import yaml

WINGET_SCHEMAS = {
    "version": "manifest.version.1.10.0.json",
    "defaultLocale": "manifest.defaultLocale.1.10.0.json",
    "locale": "manifest.locale.1.10.0.json",
    "installer": "manifest.installer.1.10.0.json",
}


def winget_files(dist):
    """The winget manifests by short name, or {} when there are none."""
    found = {}
    for path in sorted((dist / "winget").glob("manifests/*/*/*/*/*.yaml")):
        parts = path.name.split(".")
        kind = "version" if len(parts) == 3 else parts[2] if parts[2] == "installer" else parts[3]
        found[kind] = path
    return found


def load(dist, name):
    if name == "scoop":
        return json.loads((dist / "dravon.json").read_text(encoding="utf-8"))
    return yaml.safe_load(winget_files(dist)[name].read_text(encoding="utf-8"))


def release_url(tree):
    cache = (tree / "CMakeCache.txt").read_text(encoding="utf-8")
    match = re.search(r"^DRAVON_RELEASE_URL:STRING=(.*)$", cache, re.M)
    return match.group(1).rstrip("/") if match else None


def pe_windows_versions(data):
    """(OS version, subsystem version) a PE image's optional header asks for."""
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        return None
    optional = pe + 24
    os_major, os_minor = struct.unpack_from("<HH", data, optional + 40)
    sub_major, sub_minor = struct.unpack_from("<HH", data, optional + 48)
    return f"{os_major}.{os_minor}", f"{sub_major}.{sub_minor}"


class Checks:
    def __init__(self):
        self.failures = 0

    def __call__(self, what, passed, detail=""):
        if passed:
            print(f"ok - {what}")
        else:
            self.failures += 1
            print(f"not ok - {what}" + (f" ({detail})" if detail else ""))

    def equal(self, what, got, want):
        self(what, got == want, f"{got!r}, not {want!r}")


def check(dist, version, schemas, tree):
    import jsonschema  # here: the field lookups, one process each, need only yaml

    ok = Checks()
    name = f"Dravon-{version}"
    zip_name, setup_name = f"{name}-win64.zip", f"{name}-setup.exe"

    sums = {}
    for line in (dist / "SHA256SUMS").read_text().splitlines():
        digest, file = line.split(None, 1)
        sums[file.lstrip("*")] = digest
    for file in (zip_name, setup_name):
        real = hashlib.sha256((dist / file).read_bytes()).hexdigest()
        ok.equal(f"SHA256SUMS holds the hash of {file}", sums.get(file), real)

    base = release_url(tree)
    ok(f"the release tree names its download address ({base})", base is not None and base.startswith("https://"))

    # winget: four files in the package repository's folder of this version.
    files = winget_files(dist)
    ok.equal("winget: a version, a default locale, a locale and an installer manifest",
             sorted(files), sorted(["version", "zh-CN", "en-US", "installer"]))
    if len(files) != 4:
        return ok.failures
    manifests = {kind: yaml.safe_load(path.read_text(encoding="utf-8")) for kind, path in files.items()}
    ident = manifests["version"].get("PackageIdentifier", "")
    publisher_id, _, package = ident.partition(".")
    folder = files["version"].parent.relative_to(dist / "winget")
    ok.equal("winget: the folder is the repository's for the package and version",
             str(folder), f"manifests/{publisher_id[:1].lower()}/{publisher_id}/{package}/{version}")
    for kind, path in files.items():
        data = manifests[kind]
        schema = json.loads((schemas / "winget-1.10.0" / WINGET_SCHEMAS[data.get("ManifestType")]).read_text())
        errors = [e.message for e in jsonschema.Draft7Validator(schema).iter_errors(data)]
        ok(f"winget: {path.name} is valid against its 1.10.0 schema", not errors, "; ".join(errors))
        ok.equal(f"winget: {path.name} names the package", data.get("PackageIdentifier"), ident)
        ok.equal(f"winget: {path.name} says version {version}", data.get("PackageVersion"), version)
        suffix = {"version": "", "installer": ".installer"}.get(kind, f".locale.{kind}")
        ok.equal(f"winget: {path.name} is named after its content", path.name, f"{ident}{suffix}.yaml")
    ok.equal("winget: zh-CN is the default locale", manifests["version"].get("DefaultLocale"), "zh-CN")
    ok.equal("winget: the zh-CN manifest is the default locale's", manifests["zh-CN"].get("ManifestType"),
             "defaultLocale")

    installer = manifests["installer"]
    entries = installer.get("Installers") or [{}]
    ok.equal("winget: one installer", len(entries), 1)
    ok.equal("winget: the installer's hash is the one in SHA256SUMS", entries[0].get("InstallerSha256"),
             sums.get(setup_name))
    ok.equal("winget: the installer's address", entries[0].get("InstallerUrl"), f"{base}/{version}/{setup_name}")
    ok.equal("winget: a per-machine NSIS installer", (installer.get("InstallerType"), installer.get("Scope")),
             ("nullsoft", "machine"))
    arp = (installer.get("AppsAndFeaturesEntries") or [{}])[0]
    ok.equal("winget: the Apps and Features entry has the installer's product code", arp.get("ProductCode"),
             installer.get("ProductCode"))
    ok.equal("winget: the Apps and Features entry says the version", arp.get("DisplayVersion"), version)
    ok.equal("winget: the Apps and Features entry names the publisher", arp.get("Publisher"),
             manifests["zh-CN"].get("Publisher"))

    # The oldest Windows, as every binary's header asks for it.
    minimum = installer.get("MinimumOSVersion", "")
    with zipfile.ZipFile(dist / zip_name) as archive:
        names = archive.namelist()
        asks = {}
        for member in names:
            if member.lower().endswith((".exe", ".dll")):
                asks[member.split("/")[-1]] = pe_windows_versions(archive.read(member))
    ok(f"winget: the binaries' headers ask for Windows {minimum} or later",
       asks and all(v == (minimum, minimum) for v in asks.values()), str(asks))

    # Scoop: the portable zip.
    scoop = load(dist, "scoop")
    schema = json.loads((schemas / "scoop" / "schema.json").read_text())
    errors = [e.message for e in jsonschema.Draft7Validator(schema).iter_errors(scoop)]
    ok("scoop: dravon.json is valid against its schema", not errors, "; ".join(errors))
    ok.equal("scoop: the version", scoop.get("version"), version)
    x64 = scoop.get("architecture", {}).get("64bit", {})
    ok.equal("scoop: the zip's hash is the one in SHA256SUMS", x64.get("hash"), sums.get(zip_name))
    ok.equal("scoop: the zip's address", x64.get("url"), f"{base}/{version}/{zip_name}")
    tops = {n.split("/")[0] for n in names}
    ok.equal("scoop: extract_dir is the zip's one folder", [scoop.get("extract_dir")], sorted(tops))
    targets = [s[0] for s in scoop.get("shortcuts", [])]
    ok("scoop: each shortcut's program is in that folder",
       targets and all(f"{scoop.get('extract_dir')}/{t}" in names for t in targets), str(targets))
    ok("scoop: nothing is kept in the app's folder between versions (settings are in the registry)",
       "persist" not in scoop)
    update = scoop.get("autoupdate", {})
    template = update.get("architecture", {}).get("64bit", {}).get("url", "")
    ok.equal("scoop: the update template gives this version's address", template.replace("$version", version),
             x64.get("url"))
    ok.equal("scoop: the update template gives this version's folder",
             update.get("extract_dir", "").replace("$version", version), scoop.get("extract_dir"))
    return ok.failures


def main(argv):
    if len(argv) == 5 and argv[0] == "check":
        dist, version, schemas, tree = argv[1:]
        if not (pathlib.Path(schemas) / "winget-1.10.0").is_dir():
            print(f"not ok - the manifest schemas are in {schemas}")
            return 1
        failures = check(pathlib.Path(dist), version, pathlib.Path(schemas), pathlib.Path(tree))
        print(f"# {failures} failure(s)")
        return 1 if failures else 0
    if len(argv) >= 4 and argv[0] == "field":
        manifest = load(pathlib.Path(argv[1]), argv[2])
        for path in " ".join(argv[3:]).split(" -- "):
            value = manifest
            for key in path.split():
                value = value[int(key)] if isinstance(value, list) else value[key]
            print(value)
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
