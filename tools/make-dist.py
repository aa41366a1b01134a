#!/usr/bin/env python3
"""Packs the Windows release: build/dist/Cardo-<version>-win32.zip and SHA256SUMS beside it.

The zip holds one folder, Cardo-<version>/, with the program, its library, its topic file,
its guide with the guide's pictures, cardo-cli.exe, README.txt and the browser extension
(browser/, to load unpacked). Two runs on the same commit
give the same bytes: the entries go in a fixed order, every entry carries the commit's time
(SOURCE_DATE_EPOCH when set), fixed permissions and no extra fields, and the binaries carry no
link time (the build links them with --no-insert-timestamp).

usage: make-dist.py WIN32_BUILD_DIR OUT_DIR
"""
import hashlib
import os
import re
import subprocess
import sys
import time
import zipfile

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))


def version():
    text = open(os.path.join(ROOT, "app", "resources", "version.h"), encoding="utf-8").read()
    return re.search(r'#define CARDO_VERSION_TEXT "([^"]+)"', text).group(1)


def source_time():
    if os.environ.get("SOURCE_DATE_EPOCH"):
        stamp = int(os.environ["SOURCE_DATE_EPOCH"])
    else:
        stamp = int(subprocess.run(["git", "-C", ROOT, "log", "-1", "--format=%ct"],
                                   check=True, capture_output=True, text=True).stdout)
    # A zip entry keeps local time with two-second steps and nothing before 1980.
    return time.gmtime(max(stamp, 315532800))[:6]


def readme(ver):
    """README.txt as Windows' Japanese text editors read it: code page 932 with CR LF."""
    text = open(os.path.join(ROOT, "package", "README.txt"), encoding="utf-8").read()
    license_text = open(os.path.join(ROOT, "LICENSE"), encoding="utf-8").read().rstrip("\n")
    text = text.replace("@VERSION@", ver).replace("@LICENSE@", license_text)
    return text.replace("\n", "\r\n").encode("cp932")


def contents(build):
    """(name in the folder, bytes), in the order they are packed."""
    files = [
        ("Cardo.exe", os.path.join(build, "app", "Cardo.exe")),
        ("CARDOFNC.DLL", os.path.join(build, "fnc", "CARDOFNC.DLL")),
        ("THELP.TXT", os.path.join(build, "app", "THELP.TXT")),
        ("CARDHELP.html", os.path.join(ROOT, "app", "info", "CARDHELP.html")),
        ("cardo-cli.exe", os.path.join(build, "cli", "cardo-cli.exe")),
    ]
    pictures = os.path.join(ROOT, "app", "info", "guide")
    if os.path.isdir(pictures):
        for name in sorted(os.listdir(pictures)):
            if name.endswith(".png"):
                files.append(("guide/" + name, os.path.join(pictures, name)))
    extension = os.path.join(ROOT, "browser")
    for folder, _, names in sorted(os.walk(extension)):
        for name in sorted(names):
            path = os.path.join(folder, name)
            files.append(("browser/" + os.path.relpath(path, extension).replace(os.sep, "/"), path))
    out = []
    for name, path in files:
        if not os.path.isfile(path):
            sys.exit(f"make-dist: {path} is missing (build the win32 tree first)")
        with open(path, "rb") as f:
            out.append((name, f.read()))
    out.append(("README.txt", readme(version())))
    return out


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__.strip().splitlines()[-1])
    build, out_dir = sys.argv[1], sys.argv[2]
    ver = version()
    folder = f"Cardo-{ver}/"
    stamp = source_time()
    os.makedirs(out_dir, exist_ok=True)
    zip_name = f"Cardo-{ver}-win32.zip"
    zip_path = os.path.join(out_dir, zip_name)
    temp_path = zip_path + ".tmp"
    with zipfile.ZipFile(temp_path, "w") as archive:
        entries = [(folder, None)] + [(folder + name, data) for name, data in contents(build)]
        for name, data in entries:
            info = zipfile.ZipInfo(name, date_time=stamp)
            info.create_system = 3  # Unix, so the permissions below are read as such
            if data is None:
                info.external_attr = (0o40755 << 16) | 0x10
                archive.writestr(info, b"")
            else:
                info.external_attr = 0o100644 << 16
                info.compress_type = zipfile.ZIP_DEFLATED
                archive.writestr(info, data, compresslevel=9)
    os.replace(temp_path, zip_path)
    digest = hashlib.sha256(open(zip_path, "rb").read()).hexdigest()
    with open(os.path.join(out_dir, "SHA256SUMS"), "w", encoding="ascii") as sums:
        sums.write(f"{digest}  {zip_name}\n")
    print(f"{zip_path}: {os.path.getsize(zip_path)} bytes, sha256 {digest}")


if __name__ == "__main__":
    main()
